#include "WindowDriver.h"

#include <Win32Controls.h>

namespace win32_testing {

namespace {

std::wstring capturedMessage;
UINT_PTR watchTimer = 0;

BOOL CALLBACK collectText(HWND child, LPARAM lParam)
{
    wchar_t className[32] = {};
    ::GetClassNameW(child, className, 32);
    if (lstrcmpiW(className, L"Static") == 0)
        *reinterpret_cast<std::wstring*>(lParam) += win32ui::windowText(child);
    return TRUE;
}

// Runs inside the message box's own modal loop.
void CALLBACK closeMessageBox(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = ::FindWindowW(L"#32770", L"Tolmarin");
    if (!box || !::IsWindowVisible(box))
        return;
    std::wstring text;
    ::EnumChildWindows(box, &collectText, reinterpret_cast<LPARAM>(&text));
    capturedMessage += text;
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

} // namespace

void pump(win32ui::HQ& window)
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        window.process(message);
}

void click(HWND control, POINT at)
{
    LPARAM where = MAKELPARAM(at.x, at.y);
    ::SendMessageW(control, WM_MOUSEMOVE, 0, where);
    ::SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, where);
    ::SendMessageW(control, WM_LBUTTONUP, 0, where);
}

void clickCentre(HWND control)
{
    RECT rect;
    ::GetClientRect(control, &rect);
    click(control, {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

void clickItem(HWND list, int index)
{
    ::SendMessageW(list, LB_SETTOPINDEX, index, 0);
    RECT item{};
    ::SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
    click(list, {(item.left + item.right) / 2, (item.top + item.bottom) / 2});
}

void pressKey(win32ui::HQ& window, HWND target, UINT key)
{
    ::SetFocus(target);
    ::PostMessageW(::GetFocus(), WM_KEYDOWN, key, 1);
    ::PostMessageW(::GetFocus(), WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
    pump(window);
}

std::wstring textOf(HWND window) { return win32ui::windowText(window); }

std::wstring itemOf(HWND list, int index)
{
    LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR)
        return L"<none>";
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

int indexOf(HWND list, const std::wstring& text)
{
    return static_cast<int>(::SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(text.c_str())));
}

COLORREF pixelAt(HWND control, POINT at)
{
    ::RedrawWindow(::GetAncestor(control, GA_ROOT), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::ClientToScreen(control, &at);
    HDC screen = ::GetDC(nullptr);
    COLORREF colour = ::GetPixel(screen, at.x, at.y);
    ::ReleaseDC(nullptr, screen);
    return colour;
}

void startWatchingForMessageBox()
{
    capturedMessage.clear();
    watchTimer = ::SetTimer(nullptr, 0, 30, &closeMessageBox);
}

std::wstring stopWatchingForMessageBox()
{
    ::KillTimer(nullptr, watchTimer);
    return capturedMessage;
}

} // namespace win32_testing
