// form_rect NAME: prints "left top width height" of the named control in the
// window's client area at 96 DPI, from the form table.
#include <FormLayout.h>

#include <cstdio>

int main(int argc, char** argv)
{
    for (const entry::ControlSpec& control : entry::kControls) {
        if (argc != 2 || control.name != argv[1])
            continue;
        entry::PixelRect at = entry::toPixels(control.twips, 96, 96);
        if (control.inFrame) {
            const entry::PixelRect frame = entry::toPixels(entry::spec(entry::Control::Frame1).twips, 96, 96);
            at.left += frame.left;
            at.top += frame.top;
        }
        std::printf("%d %d %d %d\n", at.left, at.top, at.width, at.height);
        return 0;
    }
    std::fprintf(stderr, "usage: form_rect CONTROL-NAME\n");
    return 2;
}
