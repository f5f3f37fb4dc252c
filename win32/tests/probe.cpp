// win32_probe.exe: tells a test outside Wine where the running program's
// controls are on the screen, and answers or closes its windows. Without a
// window manager Wine's screen coordinates are the X display's.
//
//   win32_probe controls   name, screen rectangle and visibility of each
//                          control; CLyS's item height, first visible item
//                          and item count; the texts of Label1, Text1, Text2
//   win32_probe message    waits for the program's message box, prints its
//                          text and presses OK
//   win32_probe close      asks the window to close

#include <Layout.h>
#include <Utf16.h>

#include <cstdio>
#include <string>
#include <windows.h>

namespace {

HWND waitFor(const wchar_t* className, const wchar_t* title)
{
    for (int tries = 0; tries < 200; ++tries) { // 20 seconds
        HWND window = ::FindWindowW(className, title);
        if (window && ::IsWindowVisible(window))
            return window;
        ::Sleep(100);
    }
    return nullptr;
}

BOOL CALLBACK printControl(HWND child, LPARAM)
{
    const int id = ::GetDlgCtrlID(child);
    for (const win32ui::ControlLayout& layout : win32ui::kControls) {
        if (layout.id != id)
            continue;
        RECT rect;
        ::GetWindowRect(child, &rect);
        std::printf("%s %ld %ld %ld %ld %d\n", logbook::toUtf8(layout.name).c_str(), rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, ::IsWindowVisible(child) ? 1 : 0);
        if (id == win32ui::CLyS) {
            POINT origin{0, 0};
            ::ClientToScreen(child, &origin);
            std::printf("CLyS.items %ld %ld %ld %ld %ld\n", origin.x, origin.y,
                        static_cast<long>(::SendMessageW(child, LB_GETITEMHEIGHT, 0, 0)),
                        static_cast<long>(::SendMessageW(child, LB_GETTOPINDEX, 0, 0)),
                        static_cast<long>(::SendMessageW(child, LB_GETCOUNT, 0, 0)));
        }
        if (id == win32ui::Text1 || id == win32ui::Text2 || id == win32ui::Label1) {
            wchar_t text[256] = {};
            ::SendMessageW(child, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
            std::printf("%s.text %s\n", logbook::toUtf8(layout.name).c_str(), logbook::toUtf8(text).c_str());
        }
    }
    return TRUE;
}

BOOL CALLBACK collectText(HWND child, LPARAM lParam)
{
    wchar_t className[32] = {};
    ::GetClassNameW(child, className, 32);
    if (lstrcmpiW(className, L"Static") == 0) {
        wchar_t text[1024] = {};
        ::SendMessageW(child, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
        *reinterpret_cast<std::wstring*>(lParam) += text;
    }
    return TRUE;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "controls") {
        HWND window = waitFor(L"TolmarinHQ", L"Tolmarin");
        if (!window)
            return 2;
        ::EnumChildWindows(window, &printControl, 0);
        return 0;
    }
    if (command == "message") {
        HWND box = waitFor(L"#32770", L"Tolmarin");
        if (!box)
            return 2;
        std::wstring text;
        ::EnumChildWindows(box, &collectText, reinterpret_cast<LPARAM>(&text));
        std::printf("%s\n", logbook::toUtf8(text).c_str());
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        return 0;
    }
    if (command == "close") {
        HWND window = ::FindWindowW(L"TolmarinHQ", L"Tolmarin");
        if (!window)
            return 2;
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    }
    std::fprintf(stderr, "usage: win32_probe controls|message|close\n");
    return 2;
}
