#pragma once
// Drives the real window HQ by messages, as the user's mouse and keyboard
// would, and reads what it shows.

#include <HQ.h>

#include <memory>
#include <string>
#include <windows.h>

namespace win32_testing {

// Handles every queued message the way the program's event loop does.
void pump(win32ui::HQ& window);

// A left click at a point of the control's client area: button down, then up.
void click(HWND control, POINT at);
void clickCentre(HWND control);
// A click on item `index` of a list box.
void clickItem(HWND list, int index);
// A key pressed and released with the focus in `target` (an edit or list).
void pressKey(win32ui::HQ& window, HWND target, UINT key);

std::wstring textOf(HWND window);
// The text of item `index` of a list box.
std::wstring itemOf(HWND list, int index);
int indexOf(HWND list, const std::wstring& text);

// The colour on screen at a point of the control's client area.
COLORREF pixelAt(HWND control, POINT at);

// Runs `action`, which should bring up the program's message box; presses
// its OK button and returns its text ("" when no box came).
template <typename Action>
std::wstring messageBoxDuring(Action action);

void startWatchingForMessageBox();
std::wstring stopWatchingForMessageBox();

template <typename Action>
std::wstring messageBoxDuring(Action action)
{
    startWatchingForMessageBox();
    action();
    return stopWatchingForMessageBox();
}

} // namespace win32_testing
