#pragma once

#include "QtControls.h"

#include <FormLayout.h>
#include <HQForm.h>
#include <HandlerGuard.h>

#include <QWidget>

#include <array>
#include <memory>

class QComboBox;

namespace qtui {

class ClickableLabel;
class ListBoxView;

// The program's one window, built from the form table: the entry list under
// its column headers, the date picker's pop-up list, and the frame "Add"
// with the date, branch and reason fields and the Save button. Each control
// carries its name (MLyS, Text1, ...) as its object name.
class HQ : public QWidget {
    Q_OBJECT

public:
    // `files` is where the data files are read and written: the platform's
    // own, or in tests one that fails on purpose.
    explicit HQ(const std::string& dataDirectory, logbook::FileSystem& files = logbook::platformFileSystem(),
                QWidget* parent = nullptr);
    ~HQ() override;

    // Runs Form_Load; throws what it throws.
    void load();

    // Where failure messages go; a modal message box unless replaced.
    void setErrorReporter(QtPlatform::ErrorReporter report);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void bindEvents();
    // Runs a handler; anything it throws is reported and ends the program.
    bool guarded(void (entry::HQForm::*handler)());
    template<typename Widget> Widget* control(entry::Control id) const
    {
        return static_cast<Widget*>(controls_[static_cast<std::size_t>(id)]);
    }

    std::array<QWidget*, entry::kControlCount> controls_{};
    // The controls the handlers work on: MLyS the entry list, CLyS the date
    // list, Label1 the date label, Text1 the branch, Text2 the reason.
    std::unique_ptr<QtListBox> MLyS_;
    std::unique_ptr<QtListBox> CLyS_;
    std::unique_ptr<QtLabel> Label1_;
    std::unique_ptr<QtComboBox> Text1_;
    std::unique_ptr<QtComboBox> Text2_;
    std::unique_ptr<QtPlatform> platform_;
    std::unique_ptr<entry::HQForm> form_;
    std::unique_ptr<entry::HandlerGuard> guard_;
};

} // namespace qtui
