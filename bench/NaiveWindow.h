#pragma once

#include <QWidget>

#include <string>

class QComboBox;
class QListWidget;

// The window filled the straightforward way, as a first port would do it:
// a QListWidget taking one item per entry line (with uniform item sizes) and
// combo boxes taking one addItem per known text. The baseline for start-up.
class NaiveWindow : public QWidget {
public:
    NaiveWindow();
    void load(const std::string& dataDirectory);

    QListWidget* list() const { return list_; }
    QComboBox* branches() const { return branches_; }
    QComboBox* reasons() const { return reasons_; }

private:
    QListWidget* list_;
    QComboBox* branches_;
    QComboBox* reasons_;
};
