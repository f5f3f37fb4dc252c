#pragma once
// The window HQ as data: its caption, client size and font, and its twelve
// controls with their place, look and order. Both front ends build the
// window from this table and nothing else, so it is the one place the
// window's layout is written.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

namespace entry {

inline constexpr std::string_view kWindowCaption = "Tolmarin";
inline constexpr int kClientWidthTwips = 8820;
inline constexpr int kClientHeightTwips = 7845;

struct FontSpec {
    std::string_view face;
    int centiPoints; // hundredths of a point
    bool bold;
    bool fixedPitch;
};
// Every control without a font of its own uses the window's.
inline constexpr FontSpec kWindowFont = {"MS Sans Serif", 825, true, false};
// The entry list, the headers above it and the date label: the columns of
// an entry line stand under their headers only in a fixed-pitch font.
inline constexpr FontSpec kFixedPitchFont = {"Courier New", 900, true, true};

enum class ControlKind { ListBox, Label, PushButton, Frame, ComboBox };
enum class ControlFont { Window, FixedPitch };

struct Rgb {
    std::uint8_t red, green, blue;
    bool operator==(const Rgb&) const = default;
};
// No colour: the toolkit's own for that kind of control.
using Colour = std::optional<Rgb>;

struct TwipRect {
    int left, top, width, height;
};

struct ControlSpec {
    std::string_view name; // as the code knows it: "MLyS", "LaB(0)", ...
    ControlKind kind;
    bool inFrame; // a child of Frame1, placed relative to it; else of the window
    std::string_view caption;
    TwipRect twips;
    Colour background;
    Colour text;
    ControlFont font;
    int tabIndex;
    int stacking; // 0 is topmost among the controls that share its parent
    bool shownAtStart;
    bool takesFocus;
    std::string_view accessibleName; // what a screen reader says
};

// The controls, by their row in kControls. Glossary of the short names:
// MLyS the entry list, LaB the column headers, BaRc the bars between the
// columns, CLyS the date list (the picker's pop-up), Frame1 the frame "Add",
// Label1 the date label, Text1 the branch, Text2 the reason, Command1 Save.
enum class Control { MLyS, LaB0, LaB1, BaRc0, LaB2, BaRc1, CLyS, Frame1, Label1, Command1, Text1, Text2 };

inline constexpr std::size_t kControlCount = 12;

// One row per control, in tab index order. Colours left out ({}) are the
// toolkit's own for that kind of control.
inline constexpr std::array<ControlSpec, kControlCount> kControls = {{
    {"MLyS", ControlKind::ListBox, false, "", {60, 300, 8715, 6510}, {}, Rgb{0, 128, 0},
     ControlFont::FixedPitch, 0, 5, true, true, "Entries"},
    {"LaB(0)", ControlKind::Label, false, "DATE", {60, 60, 1275, 240}, Rgb{0, 128, 0}, Rgb{0, 255, 0},
     ControlFont::FixedPitch, 1, 6, true, false, "DATE"},
    {"LaB(1)", ControlKind::Label, false, "BRANCH", {1440, 60, 1695, 240}, Rgb{0, 128, 0}, Rgb{0, 255, 0},
     ControlFont::FixedPitch, 2, 7, true, false, "BRANCH"},
    {"BaRc(0)", ControlKind::PushButton, false, "", {1320, 60, 135, 7455}, Rgb{0, 128, 128}, {},
     ControlFont::Window, 3, 2, true, true, "Column bar 1"},
    {"LaB(2)", ControlKind::Label, false, "REASON", {3240, 60, 5265, 240}, Rgb{0, 128, 0}, Rgb{0, 255, 0},
     ControlFont::FixedPitch, 4, 8, true, false, "REASON"},
    {"BaRc(1)", ControlKind::PushButton, false, "", {3120, 60, 135, 7455}, Rgb{0, 128, 128}, {},
     ControlFont::Window, 5, 1, true, true, "Column bar 2"},
    {"CLyS", ControlKind::ListBox, false, "", {4320, 840, 1695, 5715}, Rgb{192, 192, 255}, Rgb{0, 0, 255},
     ControlFont::Window, 6, 4, false, true, "Date picker"},
    {"Frame1", ControlKind::Frame, false, "Add", {0, 6840, 8775, 675}, Rgb{128, 64, 0}, Rgb{255, 255, 0},
     ControlFont::Window, 7, 3, true, false, "Add"},
    // No background of its own: the date label shows the frame's.
    {"Label1", ControlKind::Label, true, "DATE", {30, 240, 1320, 300}, {}, Rgb{0, 255, 255},
     ControlFont::FixedPitch, 8, 0, true, false, "Date"},
    {"Command1", ControlKind::PushButton, false, "Save", {6300, 7560, 915, 255}, Rgb{147, 208, 221}, {},
     ControlFont::Window, 9, 0, true, true, "Save"},
    {"Text1", ControlKind::ComboBox, true, "", {1440, 240, 1815, 315}, Rgb{255, 255, 192}, Rgb{0, 128, 0},
     ControlFont::Window, 10, 1, true, true, "Branch"},
    {"Text2", ControlKind::ComboBox, true, "", {3240, 240, 5475, 315}, Rgb{255, 255, 192}, Rgb{0, 128, 0},
     ControlFont::Window, 11, 2, true, true, "Reason"},
}};

constexpr const ControlSpec& design(Control control) { return kControls[static_cast<std::size_t>(control)]; }

// The controls ordered by their tab index, and by stacking, topmost first.
constexpr std::array<Control, kControlCount> sortedBy(int ControlSpec::*key)
{
    std::array<Control, kControlCount> order{};
    for (std::size_t i = 0; i < kControlCount; ++i)
        order[i] = static_cast<Control>(i);
    for (std::size_t i = 1; i < kControlCount; ++i)
        for (std::size_t k = i; k > 0 && design(order[k]).*key < design(order[k - 1]).*key; --k)
            std::swap(order[k], order[k - 1]);
    return order;
}
inline constexpr std::array<Control, kControlCount> kTabOrder = sortedBy(&ControlSpec::tabIndex);
inline constexpr std::array<Control, kControlCount> kStackingOrder = sortedBy(&ControlSpec::stacking);

struct PixelRect {
    int left, top, width, height;
    bool operator==(const PixelRect&) const = default;
};

// Rounded to the nearest pixel; 15 twips are one pixel at 96 DPI.
constexpr int twipsToPixels(int twips, int dpi)
{
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

// Both edges are converted, not the size, so that controls that meet in
// twips still meet in pixels at any DPI.
constexpr PixelRect toPixels(const TwipRect& rect, int dpiX, int dpiY)
{
    const int left = twipsToPixels(rect.left, dpiX);
    const int top = twipsToPixels(rect.top, dpiY);
    return {left, top, twipsToPixels(rect.left + rect.width, dpiX) - left,
            twipsToPixels(rect.top + rect.height, dpiY) - top};
}

} // namespace entry
