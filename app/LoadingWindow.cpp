#include "LoadingWindow.h"

#include <FormLayout.h>

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace qtui {

LoadingWindow::LoadingWindow()
    : file_(new QLabel(this))
    , bar_(new QProgressBar(this))
{
    setObjectName(QStringLiteral("Loading"));
    setWindowTitle(QString::fromUtf8(entry::kWindowCaption.data(), static_cast<qsizetype>(entry::kWindowCaption.size())));
    file_->setObjectName(QStringLiteral("LoadingFile"));
    bar_->setObjectName(QStringLiteral("LoadingProgress"));
    bar_->setRange(0, 100);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(file_);
    layout->addWidget(bar_);
    setMinimumWidth(360);
}

void LoadingWindow::showProgress(const std::string& path, std::uint64_t done, std::uint64_t total)
{
    file_->setText(tr("Loading %1").arg(QString::fromStdString(path)));
    bar_->setValue(total == 0 ? 0 : static_cast<int>(std::min<std::uint64_t>(done, total) * 100 / total));
    if (!isVisible())
        show();
}

void LoadingWindow::closeEvent(QCloseEvent* event)
{
    closed_ = true;
    event->accept();
}

} // namespace qtui
