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
// size is in picture pixels; the image holds scale x scale device pixels for each of them.
QImage woodTexture(QSize size, const WoodGrain& grain, int scale);

struct MarbleVeins {
    QColor base;
    QColor base2;       // slow cloudy variation
    QColor vein;
    double scale;       // feature size in pixels
    double sharpness;   // higher: thinner veins
    double angle;       // main vein direction, radians
    std::uint32_t seed;
};
QImage marbleTexture(QSize size, const MarbleVeins& veins, int scale);

// ---- helpers ---------------------------------------------------------------------------
// A blank picture of the given size for a screen of that density: painting on it takes picture
// pixels, so every layout is the same at any scale.
QImage canvas(QSize size, int scale, QImage::Format format);
QColor mix(const QColor& a, const QColor& b, double t);
// Greyed, flatter copy for the disabled look of a button.
QImage disabledLook(const QImage& normal);
// An installed family that covers Simplified Chinese; throws if there is none.
QString cjkFamily(bool serif);

// ---- pictures --------------------------------------------------------------------------
// Every picture is drawn for a density (1 or 2); the layout is the same in picture pixels.
QImage drawBoard(Skin skin, int scale);
// Normal look on the left, disabled look on the right.
QImage drawGlyph(Skin skin, int button, int scale);
void paintStone(QPainter& p, QPointF centre, double radius, Skin skin, bool black);
QImage drawStone(Skin skin, bool black, int scale);
QImage drawIcon(QSize size, int scale);

}  // namespace artgen
