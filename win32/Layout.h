#pragma once
// The window HQ and its twelve controls in twips, and their pixels at the
// display's real DPI. No window system here, so the numbers can be checked
// at any DPI.

#include <array>

namespace win32ui {

// Control IDs, in tab index order. They start above IDOK and IDCANCEL so
// that Enter and Escape can never reach a control.
enum ControlId : int {
    MLyS = 100,
    LaB0,
    LaB1,
    BaRc0,
    LaB2,
    BaRc1,
    CLyS,
    Frame1,
    Label1,
    Command1,
    Text1,
    Text2,
};

struct ControlLayout {
    ControlId id;
    const wchar_t* name;
    int left, top, width, height; // twips; inside Frame1 relative to the frame
    bool inFrame;
    bool takesFocus;
};

inline constexpr int kClientWidthTwips = 8820;
inline constexpr int kClientHeightTwips = 7845;

inline constexpr std::array<ControlLayout, 12> kControls = {{
    {MLyS, L"MLyS", 60, 300, 8715, 6510, false, true},
    {LaB0, L"LaB(0)", 60, 60, 1275, 240, false, false},
    {LaB1, L"LaB(1)", 1440, 60, 1695, 240, false, false},
    {BaRc0, L"BaRc(0)", 1320, 60, 135, 7455, false, true},
    {LaB2, L"LaB(2)", 3240, 60, 5265, 240, false, false},
    {BaRc1, L"BaRc(1)", 3120, 60, 135, 7455, false, true},
    {CLyS, L"CLyS", 4320, 840, 1695, 5715, false, true},
    {Frame1, L"Frame1", 0, 6840, 8775, 675, false, false},
    {Label1, L"Label1", 30, 240, 1320, 300, true, false},
    {Command1, L"Command1", 6300, 7560, 915, 255, false, true},
    {Text1, L"Text1", 1440, 240, 1815, 315, true, true},
    {Text2, L"Text2", 3240, 240, 5475, 315, true, true},
}};

// Topmost first; the header labels lie under everything.
inline constexpr std::array<ControlId, 9> kStackingOrder = {
    Command1, BaRc1, BaRc0, Frame1, CLyS, MLyS, LaB0, LaB1, LaB2,
};

const ControlLayout& layoutOf(ControlId id);

struct PixelRect {
    int left, top, width, height;
    bool operator==(const PixelRect&) const = default;
};

// Rounded to the nearest pixel; 15 twips are one pixel at 96 DPI.
int twipsToPixels(int twips, int dpi);

// Both edges are converted, not the size, so that controls that meet in
// twips still meet in pixels at any DPI.
PixelRect toPixels(int left, int top, int width, int height, int dpiX, int dpiY);
PixelRect toPixels(const ControlLayout& control, int dpiX, int dpiY);

} // namespace win32ui
