#pragma once
// The control operations of the handlers, carried out on Qt widgets.

#include <Controls.h>

#include <QLocale>
#include <QString>

#include <functional>
#include <memory>

class QComboBox;

namespace qtui {

class ClickableLabel;
class LineListModel;
class LoadingWindow;
class ListBoxView;

class QtListBox : public entry::ListBox {
public:
    explicit QtListBox(ListBoxView* view) : view_(view) {}
    void clear() override;
    void addItem(const std::string& text) override;
    void addItems(logbook::LineList lines) override;
    std::string selectedText() const override;
    void setVisible(bool visible) override;
    bool hasFocus() const override;

private:
    ListBoxView* view_;
};

class QtComboBox : public entry::ComboBox {
public:
    QtComboBox(QComboBox* combo, LineListModel* items) : combo_(combo), items_(items) {}
    std::string editText() const override;
    void setEditText(const std::string& text) override;
    void addItem(const std::string& text) override;
    void addItems(logbook::LineList lines) override;
    std::size_t count() const override;
    std::string itemText(std::size_t index) const override;
    void setFocus() override;

private:
    // Adding items must not change what the user typed.
    template<typename Add> void keepingEditText(Add add);

    QComboBox* combo_;
    LineListModel* items_;
};

class QtLabel : public entry::Label {
public:
    explicit QtLabel(ClickableLabel* label) : label_(label) {}
    std::string caption() const override;
    void setCaption(const std::string& caption) override;

private:
    ClickableLabel* label_;
};

class QtPlatform : public entry::Platform {
public:
    using ErrorReporter = std::function<void(const QString& message)>;
    explicit QtPlatform(ErrorReporter report);
    ~QtPlatform() override;
    std::string toUpper(std::string_view text) const override;
    void showError(const std::string& message) override;
    void waitBusy(std::chrono::milliseconds interval) override;
    void waitDone() override;
    bool showLoading(const std::string& path, std::uint64_t done, std::uint64_t total) override;
    void loadingDone() override;
    void setErrorReporter(ErrorReporter report) { report_ = std::move(report); }
    // While Save waits for a lock: no handler may run meanwhile.
    bool waiting() const { return waiting_; }

private:
    ErrorReporter report_;
    bool waiting_ = false;
    std::unique_ptr<LoadingWindow> loading_;
    // Made once: the first Save upper-cases every known branch and reason,
    // and QLocale::system() per call would double its cost.
    QLocale locale_ = QLocale::system();
};

} // namespace qtui
