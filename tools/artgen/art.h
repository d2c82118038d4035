#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QString>
#include <cstdint>

class QPainter;

namespace artgen {

enum Skin { Wood = 0, Crystal = 1, Marble = 2 };

// ---- textures -------------------------------------------------------------------------
struct WoodGrain {
    QColor light;
    QColor dark;
    double period;      // pixels between growth lines across the grain
    double warp;        // how far the lines wander
    std::uint32_t seed;
    bool horizontal;    // grain runs along x instead of y
};
QImage woodTexture(QSize size, const WoodGrain& grain);

struct MarbleVeins {
    QColor base;
    QColor base2;       // slow cloudy variation
    QColor vein;
    double scale;       // feature size in pixels
    double sharpness;   // higher: thinner veins
    double angle;       // main vein direction, radians
    std::uint32_t seed;
};
QImage marbleTexture(QSize size, const MarbleVeins& veins);

// ---- helpers ---------------------------------------------------------------------------
QColor mix(const QColor& a, const QColor& b, double t);
// Greyed, flatter copy for the disabled look of a button.
QImage disabledLook(const QImage& normal);
// An installed family that covers Simplified Chinese; throws if there is none.
QString cjkFamily(bool serif);

// ---- pictures --------------------------------------------------------------------------
QImage drawBoard(Skin skin);
// Normal look on the left, disabled look on the right.
QImage drawGlyph(Skin skin, int button);
void paintStone(QPainter& p, QPointF centre, double radius, Skin skin, bool black);
QImage drawStone(Skin skin, bool black);
QImage drawIcon(QSize size);

}  // namespace artgen
