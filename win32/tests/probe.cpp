// win32_probe.exe: tells a test outside Wine where the running program's
// controls are on the screen, and answers or closes its windows. Without a
// window manager Wine's screen coordinates are the X display's.
//   win32_probe controls   each control's name, screen rectangle and
//                          visibility; CLyS's item height, first visible item
//                          and count; the texts of Label1, Text1 and Text2
//   win32_probe message    waits for the program's message box, prints its
//                          text and presses OK
//   win32_probe close      asks the window to close
#include <HQ.h>
#include <WideText.h>

#include <cstdio>
#include <string>

namespace {

HWND waitFor(const wchar_t* className)
{
    for (int tries = 0; tries < 200; ++tries) { // 20 seconds
        HWND window = ::FindWindowW(className, L"Tolmarin");
        if (window && ::IsWindowVisible(window))
            return window;
        ::Sleep(100);
    }
    return nullptr;
}

BOOL CALLBACK printControl(HWND child, LPARAM)
{
    const int row = ::GetDlgCtrlID(child) - win32ui::kFirstControlId;
    if (row < 0 || row >= static_cast<int>(entry::kControlCount))
        return TRUE;
    const std::string name(entry::kControls[static_cast<std::size_t>(row)].name);
    RECT rect;
    ::GetWindowRect(child, &rect);
    std::printf("%s %ld %ld %ld %ld %d\n", name.c_str(), rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top, ::IsWindowVisible(child) ? 1 : 0);
    if (name == "CLyS") {
        POINT origin{0, 0};
        ::ClientToScreen(child, &origin);
        std::printf("CLyS.items %ld %ld %ld %ld %ld\n", origin.x, origin.y,
                    static_cast<long>(::SendMessageW(child, LB_GETITEMHEIGHT, 0, 0)),
                    static_cast<long>(::SendMessageW(child, LB_GETTOPINDEX, 0, 0)),
                    static_cast<long>(::SendMessageW(child, LB_GETCOUNT, 0, 0)));
    }
    if (name == "Text1" || name == "Text2" || name == "Label1") {
        // GetWindowText would not ask a window of another process.
        wchar_t text[256] = {};
        ::SendMessageW(child, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
        std::printf("%s.text %s\n", name.c_str(), win32ui::toUtf8(text).c_str());
    }
    return TRUE;
}

BOOL CALLBACK printStatic(HWND child, LPARAM)
{
    wchar_t className[32] = {};
    ::GetClassNameW(child, className, 32);
    wchar_t text[1024] = {};
    if (lstrcmpiW(className, L"Static") == 0 && ::SendMessageW(child, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text)))
        std::printf("%s", win32ui::toUtf8(text).c_str());
    return TRUE;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    HWND window = command == "message" ? waitFor(L"#32770") : waitFor(win32ui::kWindowClass);
    if (!window || (command != "controls" && command != "message" && command != "close")) {
        std::fprintf(stderr, "usage: win32_probe controls|message|close (the window must be there)\n");
        return 2;
    }
    if (command == "controls")
        ::EnumChildWindows(window, &printControl, 0);
    if (command == "message") {
        ::EnumChildWindows(window, &printStatic, 0);
        std::printf("\n");
        ::PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
    if (command == "close")
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
}
