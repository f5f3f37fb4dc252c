#pragma once

#include "QtControls.h"

#include <HQForm.h>

#include <QWidget>

#include <array>
#include <memory>

class ClickableLabel;
class ListBoxView;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

// The program's one window: the entry list under its column headers, the
// date picker's pop-up list, and the frame "Add" with the date, branch and
// reason fields and the Save button.
class HQ : public QWidget {
    Q_OBJECT

public:
    explicit HQ(const std::string& dataDirectory, QWidget* parent = nullptr);
    ~HQ() override;

    // Runs Form_Load; throws logbook::FileError when a data file fails.
    void load();

    // Where failure messages go; a modal message box unless replaced.
    void setErrorReporter(QtPlatform::ErrorReporter report);

    entry::HQForm& form() { return *form_; }

    ListBoxView* MLyS() const { return MLyS_; }
    QLabel* LaB(int index) const { return LaB_.at(index); }
    QPushButton* BaRc(int index) const { return BaRc_.at(index); }
    ListBoxView* CLyS() const { return CLyS_; }
    QGroupBox* Frame1() const { return Frame1_; }
    ClickableLabel* Label1() const { return Label1_; }
    QPushButton* Command1() const { return Command1_; }
    QComboBox* Text1() const { return Text1_; }
    QComboBox* Text2() const { return Text2_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void bindEvents();

    // Created bottom-most first: later siblings are drawn on top.
    std::array<QLabel*, 3> LaB_{};
    ListBoxView* MLyS_ = nullptr;
    ListBoxView* CLyS_ = nullptr;
    QGroupBox* Frame1_ = nullptr;
    ClickableLabel* Label1_ = nullptr;
    QComboBox* Text1_ = nullptr;
    QComboBox* Text2_ = nullptr;
    std::array<QPushButton*, 2> BaRc_{};
    QPushButton* Command1_ = nullptr;

    std::unique_ptr<QtListBox> MLySControl_;
    std::unique_ptr<QtListBox> CLySControl_;
    std::unique_ptr<QtLabel> Label1Control_;
    std::unique_ptr<QtComboBox> Text1Control_;
    std::unique_ptr<QtComboBox> Text2Control_;
    std::unique_ptr<QtPlatform> platform_;
    std::unique_ptr<entry::HQForm> form_;
};
