#include "NaiveWindow.h"

#include <DataFiles.h>
#include <LineFile.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

QFont courier()
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(9);
    font.setBold(true);
    return font;
}

QComboBox* combo(QWidget* parent, QRect geometry)
{
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setGeometry(geometry);
    return box;
}

} // namespace

NaiveWindow::NaiveWindow()
{
    // The same controls at the same places as the real window, in pixels.
    setWindowTitle(QStringLiteral("Tolmarin"));
    setFixedSize(588, 523);
    int left = 4;
    for (const char* header : {"DATE", "BRANCH", "REASON"}) {
        auto* label = new QLabel(QString::fromLatin1(header), this);
        label->setFont(courier());
        label->setGeometry(left, 4, 100, 16);
        left += 106;
    }
    list_ = new QListWidget(this);
    list_->setUniformItemSizes(true);
    list_->setFont(courier());
    list_->setGeometry(4, 20, 581, 434);
    auto* frame = new QGroupBox(QStringLiteral("Add"), this);
    frame->setGeometry(0, 456, 585, 45);
    auto* date = new QLabel(QStringLiteral("DATE"), frame);
    date->setGeometry(2, 16, 88, 20);
    branches_ = combo(frame, {96, 16, 121, 21});
    reasons_ = combo(frame, {216, 16, 365, 21});
    new QPushButton(this);
    new QPushButton(this);
    (new QPushButton(QStringLiteral("Save"), this))->setGeometry(420, 504, 61, 17);
}

void NaiveWindow::load(const std::string& dataDirectory)
{
    using namespace logbook;
    const std::string log = dataFilePath(dataDirectory, kEntryLogName);
    EnsureFile(log);
    const LineList entries = ReadLines(log);
    for (std::size_t i = 0; i < entries.size(); ++i)
        list_->addItem(QString::fromStdString(entries.textAt(i)));

    for (auto [name, box] : {std::pair{kBranchListName, branches_}, std::pair{kReasonListName, reasons_}}) {
        const std::string path = dataFilePath(dataDirectory, name);
        EnsureFile(path);
        const LineList items = ReadLines(path);
        for (std::size_t i = 0; i < items.size(); ++i)
            box->addItem(QString::fromStdString(items.textAt(i)));
        box->setCurrentIndex(-1);
    }
}
