#include "FrameBox.h"

#include <QPainter>

namespace qtui {

void FrameBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor background = palette().color(QPalette::Window);
    painter.fillRect(rect(), background);

    const QFontMetrics metrics(font());
    painter.setPen(background.darker(160));
    painter.drawRect(rect().adjusted(0, metrics.height() / 2, -1, -1));

    const QRect titleRect(6, 0, metrics.horizontalAdvance(title()) + 4, metrics.height());
    painter.fillRect(titleRect, background);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(titleRect, Qt::AlignCenter, title());
}

} // namespace qtui
