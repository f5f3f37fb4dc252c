// form_rect NAME: "left top width height" of the control in the client area at 96 DPI.
#include <FormLayout.h>

#include <cstdio>

int main(int argc, char** argv)
{
    const entry::PixelRect frame = entry::toPixels(entry::design(entry::Control::Frame1).twips, 96, 96);
    for (const entry::ControlSpec& control : entry::kControls) {
        const entry::PixelRect at = entry::toPixels(control.twips, 96, 96);
        if (argc == 2 && control.name == argv[1]) {
            std::printf("%d %d %d %d\n", at.left + (control.inFrame ? frame.left : 0),
                        at.top + (control.inFrame ? frame.top : 0), at.width, at.height);
            return 0;
        }
    }
    std::fprintf(stderr, "usage: form_rect CONTROL-NAME\n");
    return 2;
}
