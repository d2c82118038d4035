#include "move_number.h"

#include <QFont>
#include <QPainter>
#include <cassert>

namespace kivola {

QColor moveNumberColour(StoneColour colour) {
    return colour == StoneColour::First ? QColor(250, 246, 236) : QColor(28, 24, 20);
}

void paintMoveNumber(QPainter& painter, const QRectF& stone, int number, StoneColour colour) {
    assert(number > 0 && number <= kMaxStones);
    const QString text = QString::number(number);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    // Three digits in a narrower face, so 225 still sits inside the stone's face.
    font.setStretch(text.size() > 2 ? QFont::Condensed : QFont::Unstretched);
    font.setPixelSize(static_cast<int>(stone.height() * (text.size() > 2 ? 0.42 : 0.5)));
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(moveNumberColour(colour));
    painter.drawText(stone, Qt::AlignCenter, text);
    painter.restore();
}

} // namespace kivola
