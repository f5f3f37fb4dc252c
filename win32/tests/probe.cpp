// win32_probe controls|message|close: prints each control's name, rectangle on
// the X display, visibility, CLyS's items and the input texts; or prints the
// message box and presses OK; or closes the window.
#include <HQ.h>
#include <WideText.h>

#include <cstdio>
#include <string>

namespace {

std::string textOf(HWND window) // WM_GETTEXT: GetWindowText would not ask another process
{
    wchar_t text[1024] = {};
    ::SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return win32ui::toUtf8(text);
}

BOOL CALLBACK print(HWND child, LPARAM messageBox)
{
    wchar_t className[32] = {};
    ::GetClassNameW(child, className, 32);
    if (messageBox) {
        if (lstrcmpiW(className, L"Static") == 0)
            std::printf("%s", textOf(child).c_str());
        return TRUE;
    }
    const int row = ::GetDlgCtrlID(child) - win32ui::kFirstControlId;
    if (row < 0 || row >= static_cast<int>(entry::kControlCount))
        return TRUE;
    const std::string name(entry::kControls[static_cast<std::size_t>(row)].name);
    RECT r;
    ::GetWindowRect(child, &r);
    std::printf("%s %ld %ld %ld %ld %d\n", name.c_str(), r.left, r.top, r.right - r.left, r.bottom - r.top,
                ::IsWindowVisible(child) ? 1 : 0);
    POINT origin{0, 0};
    ::ClientToScreen(child, &origin);
    if (name == "CLyS") // left, top, item height, first visible item, count
        std::printf("CLyS.items %ld %ld %ld %ld %ld\n", origin.x, origin.y,
                    static_cast<long>(::SendMessageW(child, LB_GETITEMHEIGHT, 0, 0)),
                    static_cast<long>(::SendMessageW(child, LB_GETTOPINDEX, 0, 0)),
                    static_cast<long>(::SendMessageW(child, LB_GETCOUNT, 0, 0)));
    if (name == "Text1" || name == "Text2" || name == "Label1")
        std::printf("%s.text %s\n", name.c_str(), textOf(child).c_str());
    return TRUE;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    const bool messageBox = command == "message";
    HWND window = nullptr;
    for (int tries = 0; tries < 200 && !(window && ::IsWindowVisible(window)); ++tries) { // 20 seconds
        ::Sleep(tries ? 100 : 0);
        window = ::FindWindowW(messageBox ? L"#32770" : win32ui::kWindowClass, L"Tolmarin");
    }
    if (!window || (command != "controls" && !messageBox && command != "close")) {
        std::fprintf(stderr, "usage: win32_probe controls|message|close, with the window there\n");
        return 2;
    }
    if (command == "close")
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    else
        ::EnumChildWindows(window, &print, messageBox);
    if (messageBox) {
        std::printf("\n");
        ::PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
    return 0;
}
