#pragma once

#include <LineList.h>

#include <QListView>

#include <string>

namespace qtui {

class LineListModel;

// A single-selection list box whose user selections, by mouse or keyboard,
// are reported; refilling it from code never counts as a selection.
//
// Every row has one height, from the font, so the view places rows by
// arithmetic: QListView's own layout keeps a position per row and redoes it
// for the whole list on every append, which a log of a million lines cannot
// afford at start-up or on each Save. Rows scroll whole, as in a list box.
// A row draws only the characters that can be seen (ShownText.h), so a row
// costs the same whatever the length of its line.
class ListBoxView : public QListView {
    Q_OBJECT

public:
    explicit ListBoxView(QWidget* parent = nullptr);

    // Adds and removes items without reporting a selection.
    void clearItems();
    void addItem(const std::string& text);
    void addItems(logbook::LineList lines);
    std::string selectedText() const;

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;
    void doItemsLayout() override;
    void reset() override;

signals:
    void userSelected();

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int rowCount() const;
    // The size of every row: the height of a line of text in the font, the
    // width of the widest row; empty without rows.
    QSize itemSize() const;
    int itemHeight() const;
    // The width of one character cell; the list's font is fixed-pitch.
    qreal cellWidth() const;
    int firstVisibleRow() const;
    // Rows that fit in the viewport whole (at least one).
    int fullyVisibleRows() const;
    // Left edge and width of every row's rectangle in viewport coordinates.
    int rowLeft() const;
    int rowWidth() const;
    QRect rowRect(int row) const;
    void notifyAccessibility(const QModelIndex& index, int event);

    LineListModel* model_;
    mutable QSize itemSize_;
    bool updating_ = false;
    // A refill during a press makes the rest of that press stale: dragging
    // on must not pick from the new items.
    bool stalePress_ = false;
};

} // namespace qtui
