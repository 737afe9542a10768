#include "app/GraphicalButton.h"

#include <QPainter>

void GraphicalButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool down = isDown();
    painter.fillRect(rect(), down ? faceColor_.darker(133) : faceColor_);

    QPen border(palette().color(QPalette::WindowText));
    if (hasFocus() || down) {
        border.setWidth(2);
        border.setStyle(down ? Qt::SolidLine : Qt::DotLine);
        painter.setPen(border);
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    } else {
        painter.setPen(border);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }

    // The caption moves with the face when it is pressed, as a button does.
    const QRect caption = down ? rect().translated(1, 1) : rect();
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(caption, Qt::AlignCenter | Qt::TextShowMnemonic, text());
}
