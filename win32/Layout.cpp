#include "Layout.h"

#include <stdexcept>

namespace win32ui {

const ControlLayout& layoutOf(ControlId id)
{
    for (const ControlLayout& control : kControls) {
        if (control.id == id)
            return control;
    }
    throw std::out_of_range("no such control");
}

int twipsToPixels(int twips, int dpi)
{
    long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

PixelRect toPixels(int left, int top, int width, int height, int dpiX, int dpiY)
{
    int x0 = twipsToPixels(left, dpiX);
    int y0 = twipsToPixels(top, dpiY);
    return {x0, y0, twipsToPixels(left + width, dpiX) - x0, twipsToPixels(top + height, dpiY) - y0};
}

PixelRect toPixels(const ControlLayout& control, int dpiX, int dpiY)
{
    return toPixels(control.left, control.top, control.width, control.height, dpiX, dpiY);
}

} // namespace win32ui
