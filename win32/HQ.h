#pragma once
// The window HQ: its twelve controls, their look, and the binding of the
// window's notifications to the handlers of entry::HQForm.

#include "Win32Controls.h"

#include <FormLayout.h>
#include <HQForm.h>
#include <HandlerGuard.h>

#include <array>
#include <string>
#include <windows.h>

namespace win32ui {

inline constexpr wchar_t kWindowClass[] = L"TolmarinHQ";
inline constexpr int kIconId = 1;
// A control's ID is its row in the form table plus this. They start above
// IDOK and IDCANCEL so that Enter and Escape can never reach a control.
inline constexpr int kFirstControlId = 100;

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

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    HWND control(entry::Control id) const { return controls_[static_cast<std::size_t>(id)]; }
    // Tab and Shift+Tab move the focus in the order of the tab indices
    // (which differs from the stacking order, so the dialog manager cannot
    // do it). Returns true when `message` was such a key and is used up.
    bool handleTabKey(const MSG& message);
    static LRESULT CALLBACK frameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK pickerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    void createControls();
    void fitComboHeight(HWND combo, int height);
    void onCommand(entry::Control id, int code);
    LRESULT onColor(HDC dc, HWND control);
    void drawButton(const DRAWITEMSTRUCT& item);
    // A row of a list box or of a combo box's list.
    void drawRow(const DRAWITEMSTRUCT& item);
    void paintFrame(HWND frame);
    // Runs a handler; anything it throws is reported and ends the program.
    template <typename Handler>
    void guarded(Handler handler);

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    std::array<HWND, entry::kControlCount> controls_{};
    int dpiX_ = 96;
    int dpiY_ = 96;
    HFONT windowFont_ = nullptr;
    HFONT fixedPitchFont_ = nullptr;
    HWND lastFocus_ = nullptr;
    bool quitOnDestroy_ = false; // only the program's own loop ends with the window
    bool closeAfterHandler_ = false; // a close that came while a Save waited for a lock
    WNDPROC frameDefault_ = nullptr;
    WNDPROC pickerDefault_ = nullptr;
    // CLyS was refilled, hidden or left by the focus during the current
    // mouse press: the rest of that press picks nothing.
    bool stalePress_ = false;
    bool endingStalePress_ = false;

    // The controls the handlers work on: MLyS the entry list, CLyS the date
    // list, Label1 the date label, Text1 the branch, Text2 the reason.
    Win32ListBox mlys_;
    Win32ListBox clys_;
    Win32Label label1_;
    Win32ComboBox text1_;
    Win32ComboBox text2_;
    Win32Platform platform_;
    entry::HQForm form_;
    entry::HandlerGuard guard_{platform_};
};

// Registers the window class once per process.
void registerWindowClass(HINSTANCE instance);

// The whole program: window, Form_Load, event loop. Returns the exit code.
int runProgram(HINSTANCE instance, int showCommand);

} // namespace win32ui
