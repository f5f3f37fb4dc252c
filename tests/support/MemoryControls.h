#pragma once
// Plain in-memory controls, so the handlers run without any window.

#include <Controls.h>
#include <HQForm.h>

#include <optional>
#include <string>
#include <vector>

namespace testing_support {

class MemoryListBox : public entry::ListBox {
public:
    void clear() override
    {
        items.clear();
        selected.reset();
    }
    void addItem(const std::string& text) override { items.push_back(text); }
    std::string selectedText() const override { return selected ? items.at(*selected) : std::string(); }
    void setVisible(bool show) override { visible = show; }
    bool hasFocus() const override { return focused; }

    // What a user's choice does before the window system calls the handler:
    // the list takes the focus and selects the item.
    void select(const std::string& text)
    {
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i] == text) {
                focused = true;
                selected = i;
                return;
            }
        }
        throw std::out_of_range("no item " + text);
    }

    std::vector<std::string> items;
    std::optional<std::size_t> selected;
    bool visible = false;
    bool focused = false;
};

class MemoryComboBox : public entry::ComboBox {
public:
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

class MemoryLabel : public entry::Label {
public:
    std::string caption() const override { return text; }
    void setCaption(const std::string& value) override { text = value; }

    std::string text = "DATE";
};

// Upper-cases ASCII, Latin-1 and basic Cyrillic letters: enough to show that
// the handlers use the platform's rules rather than A to Z alone.
class MemoryPlatform : public entry::Platform {
public:
    std::string toUpper(std::string_view text) const override;
    void showError(const std::string& message) override { errors.push_back(message); }

    std::vector<std::string> errors;
};

// A whole window's worth of controls with the form wired to them.
struct MemoryWindow {
    explicit MemoryWindow(const std::string& dataDirectory,
                          logbook::FileSystem& files = logbook::platformFileSystem())
        : form({MLyS, CLyS, Label1, Text1, Text2, platform}, dataDirectory, files)
    {
    }

    // The inputs filled in as given, then Save clicked.
    void save(const std::string& date, const std::string& branch, const std::string& reason)
    {
        Label1.text = date;
        Text1.text = branch;
        Text2.text = reason;
        form.Command1_Click();
    }

    // Label1 click, then day, month and year chosen in CLyS.
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
