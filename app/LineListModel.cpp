#include "LineListModel.h"

namespace qtui {

namespace {

QString toQString(const std::string& utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

} // namespace

int LineListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(items_.size());
}

QVariant LineListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return toQString(items_.shown(row));
    if (role == Qt::EditRole)
        return toQString(items_.chosen(row));
    return {};
}

void LineListModel::append(const std::string& text)
{
    // Whatever can run out of memory happens before the views are told of
    // the row, so that they never wait for one that does not come.
    std::string copy = text;
    items_.reserveOne();
    const int row = rowCount();
    beginInsertRows({}, row, row);
    items_.append(std::move(copy));
    endInsertRows();
}

void LineListModel::appendLines(logbook::LineList lines)
{
    if (lines.empty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(lines.size()) - 1);
    items_.appendLines(std::move(lines));
    endInsertRows();
}

void LineListModel::clear()
{
    beginResetModel();
    items_.clear();
    endResetModel();
}

} // namespace qtui
