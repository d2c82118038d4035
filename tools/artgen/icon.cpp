#include "art.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace artgen {

// A corner of a wooden board with a winning diagonal of black stones and two white ones.
// Drawn at the requested size rather than scaled, so the small icon stays crisp.
QImage drawIcon(QSize size, int scale)
{
    QImage img = canvas(size, scale, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    const double s = std::min(size.width(), size.height());
    const QRectF area((size.width() - s) / 2, (size.height() - s) / 2, s, s);
    const bool small = s < 64;

    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath plate;
    const QRectF body = area.adjusted(s * 0.03, s * 0.03, -s * 0.03, -s * 0.03);
    plate.addRoundedRect(body, s * 0.16, s * 0.16);

    // Drop shadow.
    if (!small)
        p.fillPath(plate.translated(0, s * 0.015), QColor(0, 0, 0, 90));
    p.save();
    p.setClipPath(plate);
    const QImage wood = woodTexture(size, {{240, 204, 140}, {186, 126, 60}, small ? 4.0 : 14.0, 2.0, 7u, false}, scale);
    p.drawImage(0, 0, wood);

    // Seven lines, stones kept off the outermost ones so the rounded corners never cut them.
    const int lines = small ? 4 : 7;
    const double step = body.width() / lines;
    const QPointF origin = body.topLeft() + QPointF(step / 2, step / 2);
    QColor ink(60, 34, 12, small ? 150 : 255);
    p.setPen(QPen(ink, small ? 1.0 : s / 128.0));
    for (int k = 0; k < lines; ++k) {
        const double at = k * step;
        p.drawLine(QPointF(origin.x() + at, body.top()), QPointF(origin.x() + at, body.bottom()));
        p.drawLine(QPointF(body.left(), origin.y() + at), QPointF(body.right(), origin.y() + at));
    }
    auto point = [&](int x, int y) { return origin + QPointF(x * step, y * step); };
    if (small) {
        const double r = step * 0.5;
        paintStone(p, point(1, 1), r, Wood, true);
        paintStone(p, point(2, 2), r, Wood, true);
        paintStone(p, point(2, 1), r, Wood, false);
    } else {
        const double r = step * 0.47;
        for (int i = 1; i <= 5; ++i)
            paintStone(p, point(i, i), r, Wood, true);
        paintStone(p, point(4, 2), r, Wood, false);
        paintStone(p, point(2, 4), r, Wood, false);
        paintStone(p, point(5, 3), r, Wood, false);
    }
    p.restore();

    // Polished rim.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(80, 44, 14), small ? 1.0 : s / 96.0));
    p.drawPath(plate);
    if (!small) {
        p.setPen(QPen(QColor(255, 236, 190, 120), s / 160.0));
        QPainterPath inner;
        inner.addRoundedRect(body.adjusted(s * 0.012, s * 0.012, -s * 0.012, -s * 0.012), s * 0.15, s * 0.15);
        p.drawPath(inner);
    }
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace artgen
