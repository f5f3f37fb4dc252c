#pragma once

#include <ListItems.h>

#include <QAbstractListModel>

#include <string>

namespace qtui {

// The items of a list box or combo box as a Qt model. A row's display text
// is the bounded text its row shows, so no view ever lays out a whole long
// line; a combo box's field takes the chosen text (see ShownText.h).
class LineListModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    const entry::ListItems& items() const { return items_; }
    std::string text(int row) const { return items_.text(static_cast<std::size_t>(row)); }
    void append(const std::string& text);
    void appendLines(logbook::LineList lines);
    void clear();

private:
    entry::ListItems items_;
};

} // namespace qtui
