#include "art.h"
#include "layout.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

namespace artgen {

namespace {

struct StoneColours {
    QColor centre, middle, edge;   // body, lit from the top left
    QColor glint;                  // specular spot
    double glintSize;              // fraction of the radius
    QColor caustic;                // light gathered on the lower right (glass)
};

StoneColours coloursFor(Skin skin, bool black)
{
    switch (skin) {
    case Crystal:
        return black ? StoneColours{{96, 118, 160}, {26, 38, 72}, {4, 8, 22}, {255, 255, 255, 235}, 0.30, {90, 170, 255, 120}}
                     : StoneColours{{255, 255, 255}, {226, 240, 252}, {150, 178, 206}, {255, 255, 255, 255}, 0.30, {255, 255, 255, 150}};
    case Marble:
        return black ? StoneColours{{92, 90, 88}, {40, 38, 38}, {8, 8, 8}, {255, 255, 255, 120}, 0.42, {0, 0, 0, 0}}
                     : StoneColours{{255, 255, 253}, {236, 233, 226}, {160, 156, 148}, {255, 255, 255, 160}, 0.42, {0, 0, 0, 0}};
    case Wood:
    default:
        return black ? StoneColours{{104, 104, 108}, {42, 42, 46}, {6, 6, 8}, {255, 255, 255, 110}, 0.45, {0, 0, 0, 0}}
                     : StoneColours{{255, 255, 252}, {240, 237, 228}, {168, 162, 150}, {255, 255, 255, 140}, 0.45, {0, 0, 0, 0}};
    }
}

}  // namespace

void paintStone(QPainter& p, QPointF c, double r, Skin skin, bool black)
{
    const StoneColours col = coloursFor(skin, black);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);

    QPainterPath disc;
    disc.addEllipse(c, r, r);

    // Body lit from the top left.
    QRadialGradient body(c + QPointF(-0.25 * r, -0.3 * r), 1.35 * r, c + QPointF(-0.45 * r, -0.5 * r));
    body.setColorAt(0.0, col.centre);
    body.setColorAt(0.45, col.middle);
    body.setColorAt(1.0, col.edge);
    p.fillPath(disc, body);

    p.setClipPath(disc);
    if (skin == Marble) {
        // A few faint veins across the stone.
        const QColor vein = black ? QColor(190, 190, 190, 45) : QColor(120, 118, 112, 45);
        QPen pen(vein, std::max(0.5, r * 0.05));
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        QPainterPath v1;
        v1.moveTo(c + QPointF(-r, -0.2 * r));
        v1.cubicTo(c + QPointF(-0.4 * r, 0.1 * r), c + QPointF(0.0, -0.5 * r), c + QPointF(r, 0.35 * r));
        QPainterPath v2;
        v2.moveTo(c + QPointF(-0.3 * r, r));
        v2.cubicTo(c + QPointF(-0.1 * r, 0.4 * r), c + QPointF(0.4 * r, 0.5 * r), c + QPointF(0.7 * r, -0.2 * r));
        p.drawPath(v1);
        pen.setWidthF(pen.widthF() * 0.6);
        p.setPen(pen);
        p.drawPath(v2);
        p.setPen(Qt::NoPen);
    }
    if (col.caustic.alpha() > 0) {
        // Glass gathers light on the side away from the lamp.
        QRadialGradient glow(c + QPointF(0.45 * r, 0.55 * r), 0.75 * r);
        glow.setColorAt(0.0, col.caustic);
        glow.setColorAt(1.0, QColor(col.caustic.red(), col.caustic.green(), col.caustic.blue(), 0));
        p.fillPath(disc, glow);
    }
    // Soft rim: darken the very edge so the stone separates from any background.
    QRadialGradient rim(c, r);
    rim.setColorAt(0.78, QColor(0, 0, 0, 0));
    rim.setColorAt(1.0, QColor(0, 0, 0, black ? 90 : 60));
    p.fillPath(disc, rim);

    const QPointF glintAt = c + QPointF(-0.38 * r, -0.42 * r);
    const double gr = col.glintSize * r;
    QRadialGradient glint(glintAt, gr);
    glint.setColorAt(0.0, col.glint);
    glint.setColorAt(skin == Crystal ? 0.45 : 0.2, QColor(255, 255, 255, col.glint.alpha() / 2));
    glint.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillPath(disc, glint);
    p.restore();
}

QImage drawStone(Skin skin, bool black, int scale)
{
    QImage img = canvas({kStoneSize, kStoneSize}, scale, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    // A soft contact shadow to the lower right separates a white stone from a light board.
    const double r = kStoneSize / 2.0 - 0.8;
    const QPointF c(kStoneSize / 2.0 - 0.25, kStoneSize / 2.0 - 0.25);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient shadow(c + QPointF(0.7, 0.9), r + 0.6);
    shadow.setColorAt(0.85, QColor(0, 0, 0, 90));
    shadow.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(c + QPointF(0.7, 0.9), r + 0.6, r + 0.6);
    paintStone(p, c, r, skin, black);
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace artgen
