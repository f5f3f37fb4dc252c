#include "Window.h"
#include "Measure.h"
#include "NaiveWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QListView>
#include <QListWidget>

namespace {

class PaintProbe : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

void checkLoaded(const Window& window, const DataSet& set)
{
    check(part<QListView>(window, "MLyS")->model()->rowCount() == static_cast<int>(set.size.entries),
          "entries shown");
    check(part<QComboBox>(window, "Text1")->count() == static_cast<int>(set.size.branches), "branches loaded");
    check(part<QComboBox>(window, "Text2")->count() == static_cast<int>(set.size.reasons), "reasons loaded");
}

} // namespace

void showAndWaitForPaint(QWidget* window, QWidget* list)
{
    PaintProbe probe;
    list->installEventFilter(&probe);
    window->show();
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (!probe.painted) {
        QCoreApplication::processEvents();
        if (Clock::now() > deadline)
            throw std::runtime_error("the window was never painted");
    }
    list->removeEventFilter(&probe);
}

void dispose(std::unique_ptr<QWidget> window)
{
    window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

std::unique_ptr<Window> openWindow(const DataSet& set)
{
    auto window = std::make_unique<Window>(set.directory);
    window->load();
    showAndWaitForPaint(window.get(), part<QListView>(*window, "MLyS")->viewport());
    return window;
}

namespace {

double timeScrollAndPaint(QListView* list, int row)
{
    const auto start = Clock::now();
    list->scrollTo(list->model()->index(row, 0), QAbstractItemView::PositionAtTop);
    list->viewport()->repaint();
    return msSince(start);
}

} // namespace

double timeStartup(const DataSet& set, long* anonKb, PaintTimes* paint)
{
    const auto start = Clock::now();
    std::unique_ptr<Window> window = openWindow(set);
    const double ms = msSince(start);
    checkLoaded(*window, set);
    if (anonKb)
        *anonKb = statusKb("RssAnon");
    auto* list = part<QListView>(*window, "MLyS");
    const int rows = list->model()->rowCount();
    if (paint && rows > 0) {
        // Each end from the middle, with its rows read anew: the list keeps
        // the last two blocks of rows read, so the middle's stays and the
        // other end's goes. End, top, top, end: whatever gets quicker as
        // the run goes on favours neither.
        auto fromTheMiddle = [&](int row) {
            timeScrollAndPaint(list, rows / 2);
            return timeScrollAndPaint(list, row);
        };
        paint->endMs = fromTheMiddle(rows - 1);
        paint->topMs = fromTheMiddle(0);
        paint->topMs = (paint->topMs + fromTheMiddle(0)) / 2;
        paint->endMs = (paint->endMs + fromTheMiddle(rows - 1)) / 2;
    }
    dispose(std::move(window));
    return ms;
}

double timeNaiveStartup(const DataSet& set)
{
    const auto start = Clock::now();
    auto window = std::make_unique<NaiveWindow>();
    window->load(set.directory);
    showAndWaitForPaint(window.get(), window->list()->viewport());
    const double ms = msSince(start);
    check(window->list()->count() == static_cast<int>(set.size.entries), "entries in the naive list");
    check(window->branches()->count() == static_cast<int>(set.size.branches), "branches in the naive combo");
    dispose(std::move(window));
    return ms;
}
