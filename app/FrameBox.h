#pragma once

#include <QGroupBox>

namespace qtui {

// A group box filled with one solid colour (the palette's Window colour),
// with its title in the WindowText colour on the top border. Styles shade
// the inside of a group box, and a style sheet would cut the font
// inheritance of its children.
class FrameBox : public QGroupBox {
    Q_OBJECT

public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace qtui
