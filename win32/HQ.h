#pragma once
// The window HQ: its twelve controls, their look, and the binding of the
// window's notifications to the handlers of entry::HQForm.

#include "Layout.h"
#include "Win32Controls.h"

#include <HQForm.h>

#include <array>
#include <string>
#include <windows.h>

namespace win32ui {

inline constexpr wchar_t kWindowClass[] = L"TolmarinHQ";
inline constexpr int kIconId = 1;

class HQ {
public:
    // Creates the window and all its controls, hidden, with the files of
    // `dataDirectory` not yet touched.
    HQ(HINSTANCE instance, const std::string& dataDirectory);
    ~HQ();
    HQ(const HQ&) = delete;
    HQ& operator=(const HQ&) = delete;

    // Runs Form_Load. A file that cannot be created or read is reported in
    // a message box; the window is then never shown and false comes back.
    bool load();
    void show(int showCommand);
    // The event loop; returns the program's exit code.
    int run();
    // One message of the event loop, as run() handles it.
    void process(const MSG& message);

    // Tab and Shift+Tab move the focus in the order of the tab indices
    // (which differs from the stacking order, so the dialog manager cannot
    // do it). Returns true when `message` was such a key and is used up.
    bool handleTabKey(const MSG& message);

    HWND hwnd() const { return hwnd_; }
    HWND control(ControlId id) const { return controls_[id - MLyS]; }
    entry::HQForm& form() { return form_; }
    int dpiX() const { return dpiX_; }
    int dpiY() const { return dpiY_; }

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK frameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    void createControls();
    void fitComboHeight(HWND combo, int height);
    void onCommand(int id, int code);
    LRESULT onColor(HDC dc, HWND control);
    void drawButton(const DRAWITEMSTRUCT& item);
    void paintFrame(HWND frame);
    // Runs a handler; anything it throws is reported and ends the program.
    template <typename Handler>
    void guarded(Handler handler);

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    std::array<HWND, 12> controls_{};
    int dpiX_ = 96;
    int dpiY_ = 96;
    HFONT defaultFont_ = nullptr; // "MS Sans Serif" 8.25 pt bold
    HFONT courierFont_ = nullptr; // "Courier New" 9 pt bold
    HICON icon_ = nullptr;
    HWND lastFocus_ = nullptr;
    bool quitOnDestroy_ = false; // only the program's own loop ends with the window
    bool failed_ = false;
    WNDPROC frameDefault_ = nullptr;

    Win32ListBox mlys_;
    Win32ListBox clys_;
    Win32Label label1_;
    Win32ComboBox text1_;
    Win32ComboBox text2_;
    Win32Platform platform_;
    entry::HQForm form_;
};

// Registers the window class once per process.
void registerWindowClass(HINSTANCE instance);

// The whole program: window, Form_Load, event loop. Returns the exit code.
int runProgram(HINSTANCE instance, int showCommand);

} // namespace win32ui
