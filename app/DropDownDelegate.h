#pragma once

#include <QStyledItemDelegate>

namespace qtui {

// Draws the rows of a combo box's drop-down list as the entry list draws its
// own: one height from the font, whatever the item, and only as many
// characters as the row can show (ShownText.h), so no row ever lays out a
// whole long line.
class DropDownDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

} // namespace qtui
