#include <FormLayout.h>

#include <gtest/gtest.h>

using entry::PixelRect;

// At 96 DPI every twip value of the window is a whole pixel, so only other
// settings show how pixels are rounded and which DPI serves which axis.
TEST(FormLayout, PixelsRoundToTheNearestAtAnyDpi)
{
    // BaRc(0): x 1320..1455 (132..145.5 at 144 DPI), y 60..7515 (5..626.25 at 120 DPI).
    EXPECT_EQ(entry::toPixels({1320, 60, 135, 7455}, 144, 120), (PixelRect{132, 5, 14, 621}));
    // Edges are converted, not sizes: the bar still ends where Frame1 ends.
    const PixelRect frame = entry::toPixels({0, 6840, 8775, 675}, 144, 120);
    EXPECT_EQ(frame.top + frame.height, 626);
    EXPECT_EQ(entry::twipsToPixels(-5, 144), -1); // half a pixel rounds away from zero
}
