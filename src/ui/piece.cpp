#include "piece.h"

#include <QPainter>

namespace kivola {

namespace {

struct RingLook {
    QColor ring;
    QColor halo; // a softer, wider stroke under the ring, so it reads on light and dark stones
};

// Cinnabar on wood, deep blue on crystal, brass on marble.
RingLook ringLook(int skin) {
    switch (skin) {
    case 1:
        return {QColor(12, 84, 214), QColor(255, 255, 255, 150)};
    case 2:
        return {QColor(176, 126, 34), QColor(40, 30, 10, 90)};
    default:
        return {QColor(186, 36, 22), QColor(255, 236, 200, 120)};
    }
}

constexpr double kRingRadius = kStoneImageSize / 2.0 + 1.5;
constexpr int kMarkMargin = 4; // the ring and its halo reach this far past a stone

} // namespace

WinningMarks::WinningMarks(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("winningLine"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void WinningMarks::setMarks(const std::vector<QRect>& stones, int skin) {
    if (stones != stones_ || skin != skin_) {
        stones_ = stones;
        skin_ = skin;
        // Only the line's own area, so the rest of the window is never covered or repainted.
        QRect area;
        for (const QRect& stone : stones_) {
            area |= stone;
        }
        setGeometry(area.adjusted(-kMarkMargin, -kMarkMargin, kMarkMargin, kMarkMargin));
        update();
    }
    setVisible(!stones_.empty());
    // Sprites created later (a game played past its result) would otherwise cover the rings.
    if (!stones_.empty() && parentWidget()->children().constLast() != this) {
        raise();
    }
}

void WinningMarks::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.translate(-pos());
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    const RingLook look = ringLook(skin_);
    for (const QPen& pen : {QPen(look.halo, 3.5), QPen(look.ring, 1.8)}) {
        p.setPen(pen);
        for (const QRect& stone : stones_) {
            p.drawEllipse(QRectF(stone).center(), kRingRadius, kRingRadius);
        }
    }
}

} // namespace kivola
