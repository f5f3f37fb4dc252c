#include "DropDownDelegate.h"

#include <ShownText.h>

#include <QApplication>
#include <QStyle>

namespace qtui {

QSize DropDownDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    // A one-character row: the list is as wide as its combo box.
    QStyleOptionViewItem one = option;
    one.features |= QStyleOptionViewItem::HasDisplay;
    one.text = QStringLiteral("M");
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    return style->sizeFromContents(QStyle::CT_ItemViewItem, &one, QSize(), option.widget);
}

void DropDownDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    // No character is narrower than a pixel: a row never shows more
    // characters than it is pixels wide.
    const QByteArray shown = option->text.toUtf8();
    const auto cells = static_cast<std::size_t>(std::max(0, option->rect.width()));
    const std::string_view text = entry::visibleSlice({shown.constData(), static_cast<std::size_t>(shown.size())}, 0,
                                                      cells).text;
    option->text = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    // Cut off at the edge as in the entry list and on Windows; eliding the
    // middle of a slice would show neither the item's middle nor its end.
    option->textElideMode = Qt::ElideNone;
}

} // namespace qtui
