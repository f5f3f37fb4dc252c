#include "Startup.h"

#include <DataFiles.h>
#include <HQForm.h>

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <exception>
#include <optional>

namespace {

// For the benchmark: with TOLMARIN_FIRST_PAINT_FD naming an open descriptor,
// one byte goes to it once the window's first paint is done. Unset, nothing
// is watched.
class FirstPaintNotice : public QObject {
public:
    explicit FirstPaintNotice(int fd)
        : fd_(fd)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow()) {
            qApp->removeEventFilter(this);
            // Queued, so it runs when the whole window has been painted.
            QTimer::singleShot(0, this, [this] {
                QFile out;
                if (out.open(fd_, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle))
                    out.write("p", 1);
            });
        }
        return false;
    }

private:
    int fd_;
};

} // namespace

int main(int argc, char* argv[])
{
    // The data files are read while the toolkit starts. A missing data
    // folder is left to the start-up proper, which reports it.
    try {
        entry::startReadingAhead(logbook::executableDirectory());
    } catch (const std::exception&) {
    }
    QApplication app(argc, argv);
    bool set = false;
    const int paintFd = qEnvironmentVariableIntValue("TOLMARIN_FIRST_PAINT_FD", &set);
    std::optional<FirstPaintNotice> notice;
    if (set)
        notice.emplace(paintFd);
    return qtui::runTolmarin(app);
}
