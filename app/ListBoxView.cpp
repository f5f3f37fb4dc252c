#include "ListBoxView.h"
#include "LineListModel.h"

#include <ShownText.h>

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QtMath>

#include <algorithm>

namespace qtui {

ListBoxView::ListBoxView(QWidget* parent)
    : QListView(parent)
    , model_(new LineListModel(this))
{
    setModel(model_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!updating_ && selectionModel()->hasSelection())
            emit userSelected();
    });
}

// A change from code is never the user's choice; the flag is put back
// however the change ends, also when memory runs out.
void ListBoxView::clearItems()
{
    const QScopedValueRollback quiet(updating_, true);
    model_->clear();
    stalePress_ = true;
}

void ListBoxView::addItem(const std::string& text)
{
    const QScopedValueRollback quiet(updating_, true);
    model_->append(text);
}

void ListBoxView::addItems(logbook::LineList lines)
{
    const QScopedValueRollback quiet(updating_, true);
    model_->appendLines(std::move(lines));
}

std::string ListBoxView::selectedText() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? std::string() : model_->text(selected.first().row());
}

// ---- geometry: row i lies at (i - first visible row) * row height ----------

int ListBoxView::rowCount() const { return model() ? model()->rowCount(rootIndex()) : 0; }

QSize ListBoxView::itemSize() const
{
    if (!itemSize_.isValid() && rowCount() > 0) {
        // A one-character row measured by the style gives the height and
        // the margins; the widest row adds its other cells.
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        option.features |= QStyleOptionViewItem::HasDisplay;
        option.text = QStringLiteral("M");
        const QSize one = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this);
        const auto cells = static_cast<qreal>(std::max<std::size_t>(model_->items().widestCells(), 1));
        itemSize_ = QSize(one.width() + qCeil((cells - 1) * cellWidth()), std::max(one.height(), fontMetrics().height()));
    }
    return itemSize_;
}

int ListBoxView::itemHeight() const { return std::max(1, itemSize().height()); }

qreal ListBoxView::cellWidth() const { return std::max<qreal>(1, QFontMetricsF(font()).horizontalAdvance(QLatin1Char('M'))); }

int ListBoxView::firstVisibleRow() const { return verticalScrollBar()->value(); }

int ListBoxView::fullyVisibleRows() const { return std::max(1, viewport()->height() / itemHeight()); }

int ListBoxView::rowWidth() const { return std::max(itemSize().width(), viewport()->width()); }

int ListBoxView::rowLeft() const
{
    const int offset = horizontalScrollBar()->value();
    return isRightToLeft() ? viewport()->width() - rowWidth() + offset : -offset;
}

// Rows times their height pass the range of an int beyond some hundred
// million rows: positions are worked out in 64 bits, and a row that far
// from the view is placed just as far as an int can say.
static int pixelsFromRows(qint64 rows, int height)
{
    return static_cast<int>(std::clamp<qint64>(rows * height, -(INT_MAX / 2), INT_MAX / 2));
}

QRect ListBoxView::rowRect(int row) const
{
    return {rowLeft(), pixelsFromRows(qint64{row} - firstVisibleRow(), itemHeight()), rowWidth(), itemHeight()};
}

QRect ListBoxView::visualRect(const QModelIndex& index) const
{
    if (!index.isValid() || index.parent() != rootIndex() || index.column() != modelColumn())
        return {};
    return rowRect(index.row());
}

QModelIndex ListBoxView::indexAt(const QPoint& point) const
{
    if (point.y() < 0 || rowCount() == 0)
        return {};
    const int row = firstVisibleRow() + point.y() / itemHeight();
    if (row >= rowCount() || !rowRect(row).contains(point))
        return {};
    return model()->index(row, modelColumn(), rootIndex());
}

int ListBoxView::horizontalOffset() const { return horizontalScrollBar()->value(); }

int ListBoxView::verticalOffset() const { return pixelsFromRows(firstVisibleRow(), itemHeight()); }

void ListBoxView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (!index.isValid() || index.parent() != rootIndex())
        return;
    const int row = index.row();
    const int first = firstVisibleRow();
    const int visible = fullyVisibleRows();
    int top = first;
    switch (hint) {
    case EnsureVisible:
        if (row < first)
            top = row;
        else if (row >= first + visible)
            top = row - visible + 1;
        break;
    case PositionAtTop:
        top = row;
        break;
    case PositionAtBottom:
        top = row - visible + 1;
        break;
    case PositionAtCenter:
        top = row - visible / 2;
        break;
    }
    verticalScrollBar()->setValue(top);
}

QModelIndex ListBoxView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers)
{
    const int rows = rowCount();
    if (rows == 0)
        return {};
    const QModelIndex current = currentIndex();
    // Without a current row every move lands on the first, as in QListView.
    if (!current.isValid())
        return model()->index(0, modelColumn(), rootIndex());
    int row = current.row();
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
        row -= 1;
        break;
    case MoveDown:
    case MoveNext:
        row += 1;
        break;
    case MovePageUp:
        row -= fullyVisibleRows();
        break;
    case MovePageDown:
        row += fullyVisibleRows();
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = rows - 1;
        break;
    case MoveLeft:
    case MoveRight:
        break;
    }
    return model()->index(std::clamp(row, 0, rows - 1), modelColumn(), rootIndex());
}

void ListBoxView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command)
{
    QItemSelection selection;
    const QRect area = rect.normalized();
    const int rows = rowCount();
    if (rows > 0 && area.bottom() >= 0) {
        const int first = std::max(0, firstVisibleRow() + std::max(0, area.top()) / itemHeight());
        const int last = std::min(rows - 1, firstVisibleRow() + area.bottom() / itemHeight());
        if (first <= last)
            selection.select(model()->index(first, modelColumn(), rootIndex()),
                             model()->index(last, modelColumn(), rootIndex()));
    }
    selectionModel()->select(selection, command);
}

QRegion ListBoxView::visualRegionForSelection(const QItemSelection& selection) const
{
    // Only what is on screen needs repainting.
    const int first = firstVisibleRow();
    const int last = first + viewport()->height() / itemHeight() + 1;
    QRegion region;
    for (const QItemSelectionRange& range : selection) {
        if (range.parent() != rootIndex() || range.left() > modelColumn() || range.right() < modelColumn())
            continue;
        const int top = std::max(range.top(), first);
        const int bottom = std::min(range.bottom(), last);
        if (top <= bottom)
            region += rowRect(top).united(rowRect(bottom));
    }
    return region;
}

void ListBoxView::doItemsLayout()
{
    // Nothing is laid out per row; only the scroll bars follow the count.
    QAbstractItemView::doItemsLayout();
}

void ListBoxView::updateGeometries()
{
    const int rows = rowCount();
    const int visible = fullyVisibleRows();
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(visible);
    verticalScrollBar()->setRange(0, std::max(0, rows - visible));
    const int width = rows > 0 ? itemSize().width() : 0;
    horizontalScrollBar()->setSingleStep(std::max(1, fontMetrics().averageCharWidth() * 2));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    QAbstractItemView::updateGeometries();
}

void ListBoxView::scrollContentsBy(int, int) { viewport()->update(); }

void ListBoxView::reset()
{
    itemSize_ = QSize();
    QListView::reset();
}

void ListBoxView::rowsInserted(const QModelIndex& parent, int start, int end)
{
    if (parent == rootIndex())
        itemSize_ = QSize(); // a new row may be the widest
    // Not QListView's: it would lay out every row again. Scroll bars are
    // updated soon after, once for any number of appends.
    QAbstractItemView::rowsInserted(parent, start, end);
    scheduleDelayedItemsLayout();
}

void ListBoxView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles)
{
    if (topLeft.parent() == rootIndex()) {
        itemSize_ = QSize();
        scheduleDelayedItemsLayout();
    }
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
}

void ListBoxView::notifyAccessibility(const QModelIndex& index, int event)
{
#if QT_CONFIG(accessibility)
    if (QAccessible::isActive() && index.isValid()) {
        QAccessibleEvent accessibleEvent(this, static_cast<QAccessible::Event>(event));
        accessibleEvent.setChild(index.row()); // no rows are hidden
        QAccessible::updateAccessibility(&accessibleEvent);
    }
#else
    Q_UNUSED(index);
    Q_UNUSED(event);
#endif
}

// QListView's versions look rows up in its own layout, which is not made.
void ListBoxView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    if (hasFocus())
        notifyAccessibility(current, QAccessible::Focus);
    QAbstractItemView::currentChanged(current, previous);
}

void ListBoxView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    notifyAccessibility(selected.indexes().value(0), QAccessible::SelectionAdd);
    notifyAccessibility(deselected.indexes().value(0), QAccessible::SelectionRemove);
    QAbstractItemView::selectionChanged(selected, deselected);
}

void ListBoxView::paintEvent(QPaintEvent* event)
{
    const int rows = rowCount();
    if (rows == 0)
        return;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay;
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.textElideMode = Qt::ElideNone; // a long row scrolls, it is not cut short
    const QStyle::State state = option.state;
    const bool enabled = state & QStyle::State_Enabled;
    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const QPersistentModelIndex hover = indexAt(viewport()->mapFromGlobal(QCursor::pos()));
    const QRect area = event->rect();
    const int first = firstVisibleRow() + std::max(0, area.top()) / itemHeight();
    const int last = std::min(rows - 1, firstVisibleRow() + area.bottom() / itemHeight());
    const qreal cell = cellWidth();
    const int scrolled = isRightToLeft() ? 0 : horizontalScrollBar()->value();
    const auto scrolledCells = static_cast<std::size_t>(scrolled / cell);
    const auto visibleCells = static_cast<std::size_t>(viewport()->width() / cell) + 1;

    QPainter painter(viewport());
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model()->index(row, modelColumn(), rootIndex());
        // Only the characters in view are laid out, drawn as many cells
        // into the row as come before them.
        const std::string shown = model_->items().shown(static_cast<std::size_t>(row));
        const entry::RowSlice slice = entry::visibleSlice(shown, scrolledCells, visibleCells);
        option.text = QString::fromUtf8(slice.text.data(), static_cast<qsizetype>(slice.text.size()));
        option.index = index;
        option.rect = rowRect(row);
        option.rect.setLeft(option.rect.left() + qRound(static_cast<qreal>(slice.first) * cell));
        option.state = state;
        if (selectionModel()->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (enabled) {
            const bool itemEnabled = model()->flags(index) & Qt::ItemIsEnabled;
            option.state.setFlag(QStyle::State_Enabled, itemEnabled);
            option.palette.setCurrentColorGroup(itemEnabled ? QPalette::Normal : QPalette::Disabled);
        }
        if (focus && index == current)
            option.state |= QStyle::State_HasFocus;
        option.state.setFlag(QStyle::State_MouseOver, underMouse() && index == hover);
        style()->drawControl(QStyle::CE_ItemViewItem, &option, &painter, this);
    }
}

void ListBoxView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        itemSize_ = QSize();
        scheduleDelayedItemsLayout();
    }
    QListView::changeEvent(event);
}

// ---- user input ------------------------------------------------------------

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

} // namespace qtui
