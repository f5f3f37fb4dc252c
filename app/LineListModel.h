#pragma once

#include <LineList.h>

#include <QAbstractListModel>

#include <string>
#include <vector>

namespace qtui {

// The items of a list box or combo box. Lines loaded from a file stay in the
// file's own bytes and are decoded only when a row is shown, so a log of a
// million entries costs little more memory than the file itself.
class LineListModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    std::string text(int row) const;
    void append(const std::string& text);
    void appendLines(logbook::LineList lines);
    void clear();

private:
    logbook::LineList loaded_;
    std::vector<std::string> added_;
};

} // namespace qtui
