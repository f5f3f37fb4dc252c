#pragma once
// The control operations the window's handlers use: the whole interface
// between the handlers and a window system. The Qt and Win32 front ends each
// implement it; tests use an in-memory one.

#include <LineList.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace entry {

class ListBox {
public:
    virtual ~ListBox() = default;
    // Removes every item; afterwards no item is selected.
    virtual void clear() = 0;
    // Adds an item at the end without selecting it or scrolling to it.
    virtual void addItem(const std::string& text) = 0;
    // Adds every line at the end, in order. Front ends override this to take
    // a large file without one call per line.
    virtual void addItems(logbook::LineList lines)
    {
        for (std::size_t i = 0; i < lines.size(); ++i)
            addItem(lines.textAt(i));
    }
    // The selected item's text, or "" when nothing is selected.
    virtual std::string selectedText() const = 0;
    virtual void setVisible(bool visible) = 0;
    virtual bool hasFocus() const = 0;
};

// An editable drop-down combo box.
class ComboBox {
public:
    virtual ~ComboBox() = default;
    virtual std::string editText() const = 0;
    virtual void setEditText(const std::string& text) = 0;
    // Adds an item to the item list (at the end, or at its sorted place).
    virtual void addItem(const std::string& text) = 0;
    virtual void addItems(logbook::LineList lines)
    {
        for (std::size_t i = 0; i < lines.size(); ++i)
            addItem(lines.textAt(i));
    }
    virtual std::size_t count() const = 0;
    virtual std::string itemText(std::size_t index) const = 0;
    virtual void setFocus() = 0;
};

class Label {
public:
    virtual ~Label() = default;
    virtual std::string caption() const = 0;
    virtual void setCaption(const std::string& caption) = 0;
};

// What the handlers need from the platform beyond the controls.
class Platform {
public:
    virtual ~Platform() = default;
    // Upper-cases by the rules of the user's locale, letters beyond A to Z
    // included, one character to one: a character without a single capital
    // ("ß") stays as it is.
    virtual std::string toUpper(std::string_view text) const = 0;
    // Shows a failure to the user in a modal message box.
    virtual void showError(const std::string& message) = 0;
    // Lets `interval` pass while Save waits for a lock another program
    // holds: the window shows that it is busy, and may repaint, but runs no
    // handler. waitDone() ends it.
    virtual void waitBusy(std::chrono::milliseconds interval) = 0;
    virtual void waitDone() = 0;
    // While start-up, long under way, waits for the data file `path`: a
    // small window names it and shows how far its read is (`done` of
    // `total` bytes), until loadingDone(). False once the user has closed
    // that window: start-up is then given up.
    virtual bool showLoading(const std::string& path, std::uint64_t done, std::uint64_t total) = 0;
    virtual void loadingDone() = 0;
};

// The controls of the window HQ that the handlers touch: MLyS the entry
// list, CLyS the date list, Label1 the date label, Text1 the branch, Text2
// the reason.
struct HQControls {
    ListBox& MLyS;
    ListBox& CLyS;
    Label& Label1;
    ComboBox& Text1;
    ComboBox& Text2;
    Platform& platform;
};

} // namespace entry
