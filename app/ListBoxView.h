#pragma once

#include <LineList.h>

#include <QListView>

#include <string>

class LineListModel;

// A single-selection list box whose user selections, by mouse or keyboard,
// are reported; refilling it from code never counts as a selection.
class ListBoxView : public QListView {
    Q_OBJECT

public:
    explicit ListBoxView(QWidget* parent = nullptr);

    LineListModel* lines() const { return model_; }
    // Adds and removes items without reporting a selection.
    void clearItems();
    void addItem(const std::string& text);
    void addItems(logbook::LineList lines);
    std::string selectedText() const;

signals:
    void userSelected();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    LineListModel* model_;
    bool updating_ = false;
    // A refill during a press makes the rest of that press stale: dragging
    // on must not pick from the new items.
    bool stalePress_ = false;
};
