#include "ListBoxView.h"
#include "LineListModel.h"

#include <QMouseEvent>

ListBoxView::ListBoxView(QWidget* parent)
    : QListView(parent)
    , model_(new LineListModel(this))
{
    setModel(model_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!updating_ && selectionModel()->hasSelection())
            emit userSelected();
    });
}

void ListBoxView::clearItems()
{
    updating_ = true;
    model_->clear();
    updating_ = false;
    stalePress_ = true;
}

void ListBoxView::addItem(const std::string& text)
{
    updating_ = true;
    model_->append(text);
    updating_ = false;
}

void ListBoxView::addItems(logbook::LineList lines)
{
    updating_ = true;
    model_->appendLines(std::move(lines));
    updating_ = false;
}

std::string ListBoxView::selectedText() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? std::string() : model_->text(selected.first().row());
}

void ListBoxView::focusInEvent(QFocusEvent* event)
{
    // Qt makes the first row current on focus, so that the first Down would
    // pick the second item. Nothing is current until the user moves.
    const bool hadCurrent = currentIndex().isValid();
    QListView::focusInEvent(event);
    if (!hadCurrent && !selectionModel()->hasSelection())
        selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
}

void ListBoxView::mousePressEvent(QMouseEvent* event)
{
    stalePress_ = false;
    QListView::mousePressEvent(event);
}

void ListBoxView::mouseMoveEvent(QMouseEvent* event)
{
    if (stalePress_ && event->buttons() != Qt::NoButton)
        return;
    QListView::mouseMoveEvent(event);
}

void ListBoxView::mouseReleaseEvent(QMouseEvent* event)
{
    if (stalePress_) {
        stalePress_ = false;
        stopAutoScroll();
        setState(NoState);
        return;
    }
    QListView::mouseReleaseEvent(event);
}
