// Twips to pixels at other DPI settings than the one the tests run at.

#include <Layout.h>

#include <gtest/gtest.h>

using namespace win32ui;

TEST(Layout, TableIsWholePixelsAt96Dpi)
{
    for (const ControlLayout& control : kControls) {
        PixelRect at = toPixels(control, 96, 96);
        EXPECT_EQ(at, (PixelRect{control.left / 15, control.top / 15, control.width / 15, control.height / 15}))
            << control.name;
    }
}

TEST(Layout, LargerSettingsScaleAndKeepEdgesTogether)
{
    for (int dpi : {120, 144, 192}) {
        SCOPED_TRACE(dpi);
        auto px = [dpi](ControlId id) { return toPixels(layoutOf(id), dpi, dpi); };
        EXPECT_EQ(twipsToPixels(kClientWidthTwips, dpi), kClientWidthTwips * dpi / 1440);
        // The bars run from the headers' top to the frame's bottom edge.
        EXPECT_EQ(px(BaRc0).top, px(LaB0).top);
        EXPECT_EQ(px(BaRc0).top + px(BaRc0).height, px(Frame1).top + px(Frame1).height);
        // Fields in the frame stand under the headers: same left edges
        // (relative to the frame, which starts at x 0).
        EXPECT_EQ(px(Text1).left, px(LaB1).left);
        EXPECT_EQ(px(Text2).left, px(LaB2).left);
        // A bar's right edge meets the next column where the twips meet.
        EXPECT_EQ(px(BaRc1).left + px(BaRc1).width, px(Text1).left + px(Text1).width);
    }
    EXPECT_EQ(toPixels(layoutOf(MLyS), 144, 144), (PixelRect{6, 30, 872, 651}));
    EXPECT_EQ(twipsToPixels(7845, 144), 785); // 784.5 rounds up
}
