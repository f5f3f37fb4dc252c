#include "LineListModel.h"

namespace qtui {

int LineListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(loaded_.size() + added_.size());
}

QVariant LineListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::AccessibleTextRole)
        return QString::fromStdString(text(index.row()));
    return {};
}

std::string LineListModel::text(int row) const
{
    const auto index = static_cast<std::size_t>(row);
    return index < loaded_.size() ? loaded_.textAt(index) : added_[index - loaded_.size()];
}

void LineListModel::append(const std::string& text)
{
    const int row = rowCount();
    beginInsertRows({}, row, row);
    added_.push_back(text);
    endInsertRows();
}

void LineListModel::appendLines(logbook::LineList lines)
{
    if (lines.empty())
        return;
    if (rowCount() > 0) {
        // Not the start-up case: keep it simple.
        for (std::size_t i = 0; i < lines.size(); ++i)
            append(lines.textAt(i));
        return;
    }
    const int count = static_cast<int>(lines.size());
    beginInsertRows({}, 0, count - 1);
    loaded_ = std::move(lines);
    endInsertRows();
}

void LineListModel::clear()
{
    beginResetModel();
    loaded_ = {};
    added_.clear();
    endResetModel();
}

} // namespace qtui
