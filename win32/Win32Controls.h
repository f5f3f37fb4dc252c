#pragma once
// The control operations of entry/Controls.h on real Win32 controls.

#include <Controls.h>
#include <ListItems.h>

#include <functional>
#include <windows.h>

namespace win32ui {

// A single-selection list box (LISTBOX class), owner-drawn with rows of one
// height. It keeps its items (ListItems) and draws each row from them: only
// the characters in view, every NUL as a visible character. A no-data list
// (LBS_NODATA) holds only the count of rows; any other holds each item's
// chosen text, for the keyboard's search.
class Win32ListBox : public entry::ListBox {
public:
    explicit Win32ListBox(HWND list = nullptr) : hwnd_(list) {}
    // Takes the control once its font is set.
    void attach(HWND list);
    // Draws a row (WM_DRAWITEM), in the colours set in its DC.
    void drawRow(const DRAWITEMSTRUCT& item) const;
    // The keyboard's search of a no-data list (WM_CHARTOITEM): the next row
    // after the caret whose text starts with `typed`, case aside; else -2.
    LRESULT rowStartingWith(wchar_t typed) const;

    void clear() override;
    void addItem(const std::string& text) override;
    void addItems(logbook::LineList lines) override;
    std::string selectedText() const override;
    void setVisible(bool visible) override;
    bool hasFocus() const override;

private:
    // The horizontal scroll range follows the widest row.
    void fitWidth();

    HWND hwnd_;
    entry::ListItems items_;
    int cellWidth_ = 1;
    bool noData_ = false;
};

// An editable drop-down combo box (COMBOBOX class, CBS_DROPDOWN), its list
// owner-drawn like Win32ListBox. The control holds each item's chosen text,
// which a choice puts into the field; the whole items are kept here.
//
// The control takes one message an item. So that a hundred thousand items
// do not hold up the start, the items of addItems() reach it afterwards, a
// step at a time while the window is idle, and all at once before the
// control's list is needed (the focus, a new item).
class Win32ComboBox : public entry::ComboBox {
public:
    explicit Win32ComboBox(HWND combo = nullptr) : hwnd_(combo) {}
    void attach(HWND combo);
    void drawRow(const DRAWITEMSTRUCT& item) const;

    std::string editText() const override;
    void setEditText(const std::string& text) override;
    void addItem(const std::string& text) override;
    void addItems(logbook::LineList lines) override;
    std::size_t count() const override;
    std::string itemText(std::size_t index) const override;
    void setFocus() override;

    // Gives the control some of the items it lacks; true while some are left.
    bool fillStep();
    // Gives the control every item it lacks.
    void fillAll();

private:
    void fill(std::size_t most);

    HWND hwnd_;
    HWND list_ = nullptr; // the drop-down list
    entry::ListItems items_;
    std::size_t filled_ = 0; // the items the control holds, the first of items_
};

// A static control used as a label.
class Win32Label : public entry::Label {
public:
    explicit Win32Label(HWND label = nullptr) : hwnd_(label) {}
    void attach(HWND label) { hwnd_ = label; }

    std::string caption() const override;
    void setCaption(const std::string& caption) override;

private:
    HWND hwnd_;
};

// Upper-casing by the user's locale, failures in a message box, and the
// busy window while a Save waits for a lock.
class Win32Platform : public entry::Platform {
public:
    void setOwner(HWND owner) { owner_ = owner; }
    std::string toUpper(std::string_view text) const override;
    void showError(const std::string& message) override;
    // Shows the wait cursor and answers sent messages and repaints, so that
    // Windows never takes the window for hung; input stays queued.
    void waitBusy(std::chrono::milliseconds interval) override;
    void waitDone() override;
    // From the first waitBusy() to waitDone(): no handler may run.
    bool waiting() const { return waiting_; }
    // A small window of its own, shown before the main window.
    bool showLoading(const std::string& path, std::uint64_t done, std::uint64_t total) override;
    void loadingDone() override;

private:
    HWND owner_ = nullptr;
    bool waiting_ = false;
    HCURSOR cursorBefore_ = nullptr;
    HWND loading_ = nullptr;
    HWND loadingText_ = nullptr;
    bool loadingClosed_ = false;
};

// The string storage (in bytes) to reserve for `count` items of `bytes`
// bytes in all: no item keeps more than a row's characters, and the hint
// never exceeds what the message's LPARAM carries.
LPARAM listStorageHint(std::size_t count, std::size_t bytes);

// The program's own message box, owned by `owner` (may be null).
void showMessage(HWND owner, const std::string& message);

std::wstring windowText(HWND window);

} // namespace win32ui
