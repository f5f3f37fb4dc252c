#include "QtControls.h"
#include "ClickableLabel.h"
#include "LineListModel.h"
#include "ListBoxView.h"
#include "LoadingWindow.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>

#include <thread>

namespace qtui {

void QtListBox::clear() { view_->clearItems(); }

void QtListBox::addItem(const std::string& text) { view_->addItem(text); }

void QtListBox::addItems(logbook::LineList lines) { view_->addItems(std::move(lines)); }

std::string QtListBox::selectedText() const { return view_->selectedText(); }

void QtListBox::setVisible(bool visible) { view_->setVisible(visible); }

bool QtListBox::hasFocus() const { return view_->hasFocus(); }

std::string QtComboBox::editText() const { return combo_->currentText().toStdString(); }

void QtComboBox::setEditText(const std::string& text) { combo_->setEditText(QString::fromStdString(text)); }

template<typename Add> void QtComboBox::keepingEditText(Add add)
{
    // A combo box that gets its first items selects the first one, which
    // would put it into the edit field.
    const QString typed = combo_->currentText();
    add();
    if (combo_->currentIndex() != -1 || combo_->currentText() != typed) {
        combo_->setCurrentIndex(-1);
        combo_->setEditText(typed);
    }
}

void QtComboBox::addItem(const std::string& text)
{
    keepingEditText([&] { items_->append(text); });
}

void QtComboBox::addItems(logbook::LineList lines)
{
    keepingEditText([&] { items_->appendLines(std::move(lines)); });
}

std::size_t QtComboBox::count() const { return static_cast<std::size_t>(items_->rowCount()); }

std::string QtComboBox::itemText(std::size_t index) const { return items_->text(static_cast<int>(index)); }

void QtComboBox::setFocus() { combo_->setFocus(Qt::OtherFocusReason); }

std::string QtLabel::caption() const { return label_->text().toStdString(); }

void QtLabel::setCaption(const std::string& caption) { label_->setText(QString::fromStdString(caption)); }

std::string QtPlatform::toUpper(std::string_view text) const
{
    const QString original = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QString upper = locale_.toUpper(original);
    if (upper.size() == original.size())
        return upper.toStdString();
    // One character in, one out, as on Windows: a character whose capital
    // takes several ("ß" to "SS") stays as it is, so that "STRASSE" is not
    // taken for a known "Straße".
    upper.clear();
    for (const char32_t character : original.toUcs4()) {
        const QString one = QString::fromUcs4(&character, 1);
        const QString capital = locale_.toUpper(one);
        upper += capital.toUcs4().size() == 1 ? capital : one;
    }
    return upper.toStdString();
}

void QtPlatform::showError(const std::string& message) { report_(QString::fromStdString(message)); }

void QtPlatform::waitBusy(std::chrono::milliseconds interval)
{
    if (!waiting_) {
        waiting_ = true;
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    // The window repaints and shows the cursor; input waits for the Save.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    std::this_thread::sleep_for(interval);
}

void QtPlatform::waitDone()
{
    if (!waiting_)
        return;
    waiting_ = false;
    QGuiApplication::restoreOverrideCursor();
}

bool QtPlatform::showLoading(const std::string& path, std::uint64_t done, std::uint64_t total)
{
    if (!loading_)
        loading_ = std::make_unique<LoadingWindow>();
    loading_->showProgress(path, done, total);
    QCoreApplication::processEvents();
    return !loading_->closed();
}

void QtPlatform::loadingDone() { loading_.reset(); }

QtPlatform::QtPlatform(ErrorReporter report)
    : report_(std::move(report))
{
}

QtPlatform::~QtPlatform() = default;

} // namespace qtui
