#include "art.h"
#include "layout.h"
#include "noise.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <numbers>

namespace artgen {

namespace {

constexpr int kPanelLeft = kBoardRight + 1;
constexpr int kPanelWidth = kPictureWidth - kPanelLeft;
constexpr int kPanelCentre = 516;   // centre of the visible panel (the window shows 603 columns)

// Dark panel area behind both stone indicators and name labels, where white text is written.
const QRect kPlaque =
    toPicture(kIndicatorRects[0]).united(toPicture(kLabelRects[1])).adjusted(-8, -7, 2, 3);

struct Theme {
    QColor line;
    QColor slotFill, slotShadow, slotLight;
    QColor plaqueFill, plaqueRim;
    QColor seatLight, seatShade;   // floor of the black stone's socket, lit from the top left
    QColor title, titleShadow, subtitle;
    bool titleGlow;
    int slotRadius;
};

Theme themeFor(Skin skin)
{
    switch (skin) {
    case Crystal:
        return {{20, 48, 98},
                {10, 24, 58}, {4, 10, 28}, {120, 190, 255, 150},
                {5, 13, 34, 235}, {120, 190, 255, 140},
                {214, 236, 255}, {150, 194, 238},
                {245, 251, 255}, {60, 170, 255, 70}, {170, 215, 255},
                true, 4};
    case Marble:
        return {{36, 36, 40},
                {14, 14, 16}, {0, 0, 0}, {205, 180, 118, 200},
                {12, 12, 14, 235}, {205, 180, 118, 200},
                {236, 232, 224}, {192, 186, 176},
                {222, 194, 128}, {0, 0, 0, 200}, {200, 196, 188},
                false, 1};
    case Wood:
    default:
        return {{52, 30, 10},
                {42, 23, 10}, {22, 11, 4}, {176, 120, 66},
                {34, 19, 9, 230}, {186, 134, 74},
                {236, 204, 148}, {196, 150, 92},
                {240, 204, 128}, {18, 8, 2, 220}, {226, 186, 120},
                false, 2};
    }
}

void paintGrid(QPainter& p, const QColor& line)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    const int span = kGridLast - kGridFirst + 1;
    for (int k = 0; k < kLines; ++k) {
        const int at = kGridFirst + k * kGridStep;
        p.fillRect(at, kGridFirst, 1, span, line);
        p.fillRect(kGridFirst, at, span, 1, line);
    }
    // A heavier outer frame, as on a real board.
    p.fillRect(kGridFirst - 1, kGridFirst - 1, span + 2, 1, line);
    p.fillRect(kGridFirst - 1, kGridLast + 1, span + 2, 1, line);
    p.fillRect(kGridFirst - 1, kGridFirst - 1, 1, span + 2, line);
    p.fillRect(kGridLast + 1, kGridFirst - 1, 1, span + 2, line);

    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(line);
    for (auto [x, y] : {std::pair{4, 4}, {12, 4}, {8, 8}, {4, 12}, {12, 12}}) {
        const double cx = kGridFirst + (x - 1) * kGridStep + 0.5;
        const double cy = kGridFirst + (y - 1) * kGridStep + 0.5;
        p.drawEllipse(QPointF(cx, cy), 3.2, 3.2);
    }
}

void paintInset(QPainter& p, QRect r, const Theme& t, int radius)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(t.slotLight);
    p.drawRoundedRect(QRectF(r).adjusted(-1, -1, 1, 1), radius + 1, radius + 1);
    p.setBrush(t.slotShadow);
    p.drawRoundedRect(QRectF(r).adjusted(-1, -1, 0, 0), radius + 1, radius + 1);
    p.setBrush(t.slotFill);
    p.drawRoundedRect(QRectF(r), radius, radius);
}

void paintTitle(QPainter& p, const Theme& t)
{
    QFont big(cjkFamily(true));
    big.setPixelSize(40);
    big.setWeight(QFont::Bold);
    big.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    QPainterPath title;
    title.addText(0, 0, big, QStringLiteral("五子棋"));
    const QRectF tb = title.boundingRect();
    title.translate(kPanelCentre - tb.center().x(), 64 - tb.bottom() + tb.height() / 2);

    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    if (t.titleGlow) {
        for (int i = 0; i < 12; ++i) {
            const double a = i * 2 * std::numbers::pi / 12;
            p.fillPath(title.translated(2.5 * std::cos(a), 2.5 * std::sin(a)), t.titleShadow);
        }
    } else {
        p.fillPath(title.translated(1.5, 2), t.titleShadow);
    }
    p.fillPath(title, t.title);

    QFont small(cjkFamily(true));
    small.setPixelSize(17);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    QPainterPath name;
    name.addText(0, 0, small, QStringLiteral("Kivola"));
    const QRectF nb = name.boundingRect();
    name.translate(kPanelCentre - nb.center().x(), 101 - nb.bottom());
    p.fillPath(name.translated(1, 1), QColor(0, 0, 0, 150));
    p.fillPath(name, t.subtitle);

    // Two short rules either side of the name.
    p.setRenderHint(QPainter::Antialiasing, false);
    const int y = int(101 - nb.height() / 2);
    QColor rule = t.subtitle;
    rule.setAlpha(160);
    p.fillRect(kPanelCentre - 72, y, 26, 1, rule);
    p.fillRect(kPanelCentre + 46, y, 26, 1, rule);
}

// Each indicator sits in a round socket. The black stone's floor is light, so it does not sink
// into the dark plaque; the white stone's stays dark. The rims make the two a pair.
void paintIndicatorSeats(QPainter& p, const Theme& t)
{
    constexpr double kFloorRadius = 11.7;
    constexpr double kRimRadius = 12.4;   // the rows are 25 pixels apart: the rims never touch
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 2; ++row) {
        // Where drawStone puts the stone's centre inside its square.
        const QPointF c = QRectF(toPicture(kIndicatorRects[row])).center() - QPointF(0.25, 0.25);
        QColor rim = t.plaqueRim;
        rim.setAlpha(255);
        p.setBrush(rim);
        p.drawEllipse(c, kRimRadius, kRimRadius);
        if (row == 0) {
            QLinearGradient floor(c - QPointF(kFloorRadius, kFloorRadius), c + QPointF(kFloorRadius, kFloorRadius));
            floor.setColorAt(0, t.seatLight);
            floor.setColorAt(1, t.seatShade);
            p.setBrush(floor);
        } else {
            p.setBrush(t.slotFill);
        }
        p.drawEllipse(c, kFloorRadius, kFloorRadius);
    }
}

void paintPanelFurniture(QPainter& p, Skin skin, const Theme& t)
{
    paintTitle(p, t);
    paintInset(p, toPicture(kGaugeRect).adjusted(-2, -2, 2, 2), t, 1);
    for (const QRect& b : kButtonRects[skin])
        paintInset(p, toPicture(b), t, t.slotRadius);

    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(t.plaqueRim, 1));
    p.setBrush(t.plaqueFill);
    p.drawRoundedRect(QRectF(kPlaque).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    // A faint divider between the two rows.
    QColor divider = t.plaqueRim;
    divider.setAlpha(70);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(kPlaque.left() + 8, toPicture(kIndicatorRects[1]).top() - 2, kPlaque.width() - 16, 1, divider);
    paintIndicatorSeats(p, t);
}

void paintEdgeShade(QPainter& p, QRect area, int depth, int alpha)
{
    const QColor dark(0, 0, 0, alpha);
    const QColor none(0, 0, 0, 0);
    auto band = [&](QPointF from, QPointF to, QRectF r) {
        QLinearGradient g(from, to);
        g.setColorAt(0, dark);
        g.setColorAt(1, none);
        p.fillRect(r, g);
    };
    const QRectF a(area);
    band(a.topLeft(), a.topLeft() + QPointF(0, depth), QRectF(a.left(), a.top(), a.width(), depth));
    band(a.bottomLeft(), a.bottomLeft() - QPointF(0, depth), QRectF(a.left(), a.bottom() - depth, a.width(), depth));
    band(a.topLeft(), a.topLeft() + QPointF(depth, 0), QRectF(a.left(), a.top(), depth, a.height()));
    band(a.topRight(), a.topRight() - QPointF(depth, 0), QRectF(a.right() - depth, a.top(), depth, a.height()));
}

void paintWood(QPainter& p, int scale)
{
    const QRect board(0, 0, kBoardRight + 1, kPictureHeight);
    p.drawImage(0, 0, woodTexture(board.size(), {{238, 198, 128}, {182, 118, 52}, 19.0, 3.2, 11u, false}, scale));
    paintEdgeShade(p, board, 10, 60);

    p.drawImage(kPanelLeft, 0, woodTexture({kPanelWidth, kPictureHeight}, {{128, 76, 40}, {50, 26, 12}, 11.0, 2.5, 23u, false}, scale));
    // Groove between board and panel.
    p.fillRect(kPanelLeft, 0, 2, kPictureHeight, QColor(24, 12, 4));
    p.fillRect(kPanelLeft + 2, 0, 1, kPictureHeight, QColor(168, 112, 60));
    QLinearGradient shade(kPanelLeft + 3, 0, kPanelLeft + 16, 0);
    shade.setColorAt(0, QColor(0, 0, 0, 90));
    shade.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(kPanelLeft + 3, 0, 13, kPictureHeight, shade);
}

void paintCrystal(QPainter& p)
{
    const QRect board(0, 0, kBoardRight + 1, kPictureHeight);
    QLinearGradient base(0, 0, board.width(), board.height());
    base.setColorAt(0.0, QColor(226, 243, 253));
    base.setColorAt(0.55, QColor(190, 222, 245));
    base.setColorAt(1.0, QColor(150, 192, 228));
    p.fillRect(board, base);

    // Broad sheen bands, as light falling through thick glass.
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setClipRect(board);
    struct Band { double x, w, alpha; };
    for (const Band& b : {Band{-60, 150, 60}, Band{150, 40, 45}, Band{230, 90, 30}, Band{390, 30, 40}}) {
        QPolygonF poly;
        poly << QPointF(b.x + 200, 0) << QPointF(b.x + 200 + b.w, 0) << QPointF(b.x + b.w - 60, kPictureHeight)
             << QPointF(b.x - 60, kPictureHeight);
        QLinearGradient g(b.x + 120, 0, b.x + 120 + b.w, 0);
        g.setColorAt(0, QColor(255, 255, 255, 0));
        g.setColorAt(0.5, QColor(255, 255, 255, int(b.alpha)));
        g.setColorAt(1, QColor(255, 255, 255, 0));
        p.setBrush(g);
        p.drawPolygon(poly);
    }
    // Large faint facets, as in cut glass; seeded so they never move.
    Rng rng(0xC2157A1u);
    for (int i = 0; i < 14; ++i) {
        QPolygonF facet;
        const QPointF at(rng.range(-40, board.width() + 40), rng.range(-40, board.height() + 40));
        for (int k = 0; k < 3; ++k)
            facet << at + QPointF(rng.range(-170, 170), rng.range(-170, 170));
        const bool light = rng.uniform() < 0.6;
        p.setBrush(light ? QColor(255, 255, 255, int(rng.range(10, 26))) : QColor(40, 90, 160, int(rng.range(8, 18))));
        p.drawPolygon(facet);
    }
    // Sparse fine sparkle.
    for (int i = 0; i < 260; ++i) {
        const QPointF at(rng.range(2, board.width() - 2), rng.range(2, board.height() - 2));
        p.setBrush(QColor(255, 255, 255, int(rng.range(40, 140))));
        p.drawEllipse(at, 0.6, 0.6);
    }
    p.setClipping(false);
    // Bevelled glass edge.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 170), 2));
    p.drawRect(QRectF(board).adjusted(1, 1, -1, -1));
    p.setPen(QPen(QColor(70, 120, 170, 120), 1));
    p.drawRect(QRectF(board).adjusted(3.5, 3.5, -3.5, -3.5));

    const QRect panel(kPanelLeft, 0, kPanelWidth, kPictureHeight);
    QLinearGradient deep(0, 0, 0, kPictureHeight);
    deep.setColorAt(0.0, QColor(34, 70, 140));
    deep.setColorAt(0.35, QColor(16, 38, 92));
    deep.setColorAt(1.0, QColor(6, 14, 40));
    p.fillRect(panel, deep);
    QRadialGradient gloss(QPointF(panel.center().x(), -40), 170);
    gloss.setColorAt(0, QColor(170, 220, 255, 90));
    gloss.setColorAt(1, QColor(170, 220, 255, 0));
    p.fillRect(panel, gloss);
    p.setClipRect(panel);
    p.setPen(Qt::NoPen);
    QPolygonF streak;
    streak << QPointF(kPanelLeft + 120, 0) << QPointF(kPanelLeft + 150, 0) << QPointF(kPanelLeft + 20, kPictureHeight)
           << QPointF(kPanelLeft - 10, kPictureHeight);
    p.setBrush(QColor(255, 255, 255, 14));
    p.drawPolygon(streak);
    p.setClipping(false);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(kPanelLeft, 0, 1, kPictureHeight, QColor(200, 235, 255));
    p.fillRect(kPanelLeft + 1, 0, 1, kPictureHeight, QColor(60, 110, 180));
}

void paintMarble(QPainter& p, int scale)
{
    const QRect board(0, 0, kBoardRight + 1, kPictureHeight);
    p.drawImage(0, 0, marbleTexture(board.size(), {{242, 240, 236}, {220, 217, 212}, {132, 130, 136}, 150.0, 16.0, 0.6, 31u}, scale));
    paintEdgeShade(p, board, 8, 45);

    p.drawImage(kPanelLeft, 0, marbleTexture({kPanelWidth, kPictureHeight}, {{26, 26, 30}, {44, 44, 48}, {196, 194, 188}, 90.0, 22.0, 2.1, 47u}, scale));
    // Brass inlay between the slabs.
    QLinearGradient brass(kPanelLeft, 0, kPanelLeft + 4, 0);
    brass.setColorAt(0, QColor(120, 96, 48));
    brass.setColorAt(0.5, QColor(232, 206, 140));
    brass.setColorAt(1, QColor(110, 88, 40));
    p.fillRect(kPanelLeft, 0, 4, kPictureHeight, brass);
}

}  // namespace

QImage drawBoard(Skin skin, int scale)
{
    QImage img = canvas({kPictureWidth, kPictureHeight}, scale, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    switch (skin) {
    case Wood: paintWood(p, scale); break;
    case Crystal: paintCrystal(p); break;
    case Marble: paintMarble(p, scale); break;
    }
    const Theme t = themeFor(skin);
    paintGrid(p, t.line);
    paintPanelFurniture(p, skin, t);
    p.end();
    return img;
}

}  // namespace artgen
