#pragma once
// Plain in-memory controls, so the handlers run without any window.

#include <Controls.h>
#include <HQForm.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

struct MemoryListBox : entry::ListBox {
    void clear() override { items.clear(); selected.reset(); }
    void addItem(const std::string& text) override { items.push_back(text); }
    std::string selectedText() const override { return selected ? items.at(*selected) : std::string(); }
    void setVisible(bool show) override { visible = show; }
    bool hasFocus() const override { return focused; }

    // A user's choice: the list takes the focus and selects the item.
    void select(const std::string& text)
    {
        selected = std::find(items.begin(), items.end(), text) - items.begin();
        focused = true;
        if (*selected == items.size())
            throw std::out_of_range("no item " + text);
    }

    std::vector<std::string> items;
    std::optional<std::size_t> selected;
    bool visible = false;
    bool focused = false;
};

struct MemoryComboBox : entry::ComboBox {
    std::string editText() const override { return text; }
    void setEditText(const std::string& value) override { text = value; }
    void addItem(const std::string& item) override { items.push_back(item); }
    std::size_t count() const override { return items.size(); }
    std::string itemText(std::size_t index) const override { return items.at(index); }
    void setFocus() override { focused = true; }

    std::string text;
    std::vector<std::string> items;
    bool focused = false;
};

struct MemoryLabel : entry::Label {
    std::string caption() const override { return text; }
    void setCaption(const std::string& value) override { text = value; }
    std::string text = "DATE";
};

// Upper-cases ASCII, Latin-1 and Cyrillic letters: more than A to Z, as a locale does.
struct MemoryPlatform : entry::Platform {
    std::string toUpper(std::string_view text) const override;
    // A message must never show over a window still busy with a Save's wait.
    void showError(const std::string& message) override { errors.push_back(busy ? "[busy] " + message : message); }
    void waitBusy(std::chrono::milliseconds interval) override { busy = true, waited += interval, std::this_thread::sleep_for(interval); }
    void waitDone() override { busy = false; }
    bool showLoading(const std::string& path, std::uint64_t, std::uint64_t) override { return loading.push_back(path), true; }
    void loadingDone() override { loading.push_back("done"); }
    std::vector<std::string> errors;
    std::vector<std::string> loading; // the files a long load named, then "done"
    bool busy = false;
    std::chrono::milliseconds waited{0}; // in all, while Saves waited for locks
};

// A whole window's worth of controls with the form wired to them.
struct MemoryWindow {
    explicit MemoryWindow(const std::string& dataDirectory,
                          logbook::FileSystem& files = logbook::platformFileSystem())
        : form({MLyS, CLyS, Label1, Text1, Text2, platform}, dataDirectory, files)
    {
    }

    // The inputs filled in, then Save clicked; Label1 clicked, then a date chosen.
    void save(const std::string& date, const std::string& branch, const std::string& reason)
    {
        Label1.text = date;
        Text1.text = branch;
        Text2.text = reason;
        form.Command1_Click();
    }

    void pickDate(const std::string& day, const std::string& month, const std::string& year)
    {
        form.Label1_Click();
        for (const std::string* choice : {&day, &month, &year}) {
            CLyS.select(*choice);
            form.CLyS_Click();
        }
    }

    MemoryListBox MLyS;
    MemoryListBox CLyS;
    MemoryLabel Label1;
    MemoryComboBox Text1;
    MemoryComboBox Text2;
    MemoryPlatform platform;
    entry::HQForm form;
};

} // namespace testing_support
