#include "art.h"
#include "layout.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <array>

namespace artgen {

namespace {

const std::array<QString, kButtons> kCaptions{QStringLiteral("打开"), QStringLiteral("保存"),
                                              QStringLiteral("悔棋"), QStringLiteral("重来")};

// Small pictogram in a 14 x 14 box at the origin, drawn with the current pen.
QPainterPath pictogram(int button)
{
    QPainterPath path;
    switch (button) {
    case 0:   // folder
        path.moveTo(1, 3);
        path.lineTo(5, 3);
        path.lineTo(6.5, 4.5);
        path.lineTo(12, 4.5);
        path.lineTo(12, 12);
        path.lineTo(1, 12);
        path.closeSubpath();
        path.moveTo(1, 7);
        path.lineTo(12, 7);
        break;
    case 1:   // storage box with a label
        path.addRoundedRect(QRectF(1.5, 1.5, 11, 11), 1, 1);
        path.addRect(QRectF(4, 1.5, 6, 3.5));
        path.addRect(QRectF(4, 8, 6, 4.5));
        break;
    case 2:   // arrow turning back
        path.moveTo(12.5, 12);
        path.cubicTo(12.5, 6, 9, 4.5, 3, 4.5);
        path.moveTo(5.5, 1.5);
        path.lineTo(2.5, 4.5);
        path.lineTo(5.5, 7.5);
        break;
    default:   // circle of renewal
        path.arcMoveTo(QRectF(1.5, 1.5, 11, 11), 110);
        path.arcTo(QRectF(1.5, 1.5, 11, 11), 110, 300);
        path.moveTo(9.5, 0.5);
        path.lineTo(12.6, 3.6);
        path.lineTo(8.5, 5);
        break;
    }
    return path;
}

struct GlyphStyle {
    QColor ink;
    QColor emboss;        // drawn one pixel below the ink
    QColor accent;        // pictogram colour
    bool serif;
    int pixelSize;
};

GlyphStyle styleFor(Skin skin)
{
    switch (skin) {
    case Crystal: return {{255, 255, 255}, {6, 30, 84, 200}, {255, 255, 255}, false, 15};
    case Marble: return {{34, 34, 38}, {255, 255, 255, 170}, {164, 36, 28}, true, 17};
    case Wood:
    default: return {{70, 34, 10}, {255, 236, 196, 170}, {70, 34, 10}, true, 17};
    }
}

// The face without its caption; transparent where the panel slot shows through.
QImage paintFace(Skin skin, QSize size, int button, int scale)
{
    QImage face = canvas(size, scale, QImage::Format_ARGB32_Premultiplied);
    face.fill(Qt::transparent);
    QPainter p(&face);
    const QRectF r(0, 0, size.width(), size.height());
    switch (skin) {
    case Wood: {
        p.drawImage(0, 0, woodTexture(size, {{246, 218, 166}, {204, 156, 92}, 6.5, 1.6, 101u + unsigned(button), true}, scale));
        p.fillRect(0, 0, size.width(), 1, QColor(255, 242, 212));
        p.fillRect(0, 0, 1, size.height(), QColor(255, 242, 212));
        p.fillRect(0, size.height() - 1, size.width(), 1, QColor(112, 66, 28));
        p.fillRect(size.width() - 1, 0, 1, size.height(), QColor(112, 66, 28));
        break;
    }
    case Crystal: {
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
        QLinearGradient body(0, 0, 0, size.height());
        body.setColorAt(0.0, QColor(118, 190, 246));
        body.setColorAt(0.5, QColor(42, 110, 200));
        body.setColorAt(1.0, QColor(28, 78, 170));
        p.fillPath(shape, body);
        QPainterPath gloss;
        gloss.addRoundedRect(QRectF(2, 1.5, size.width() - 4, size.height() * 0.45), 4, 4);
        QLinearGradient shine(0, 1, 0, size.height() * 0.5);
        shine.setColorAt(0, QColor(255, 255, 255, 150));
        shine.setColorAt(1, QColor(255, 255, 255, 25));
        p.fillPath(gloss, shine);
        QRadialGradient glow(QPointF(size.width() / 2.0, size.height() + 4), size.width() * 0.45);
        glow.setColorAt(0, QColor(120, 230, 255, 150));
        glow.setColorAt(1, QColor(120, 230, 255, 0));
        p.fillPath(shape, glow);
        p.strokePath(shape, QPen(QColor(210, 240, 255, 220), 1));
        break;
    }
    case Marble: {
        p.drawImage(0, 0, marbleTexture(size, {{240, 236, 228}, {226, 220, 210}, {150, 144, 136}, 42.0, 14.0, 0.4, 211u + unsigned(button)}, scale));
        p.fillRect(0, 0, size.width(), 1, QColor(255, 255, 255));
        p.fillRect(0, 0, 1, size.height(), QColor(255, 255, 255));
        p.fillRect(0, size.height() - 1, size.width(), 1, QColor(120, 114, 104));
        p.fillRect(size.width() - 1, 0, 1, size.height(), QColor(120, 114, 104));
        break;
    }
    }
    return face;
}

void paintCaption(QPainter& p, QRectF r, int button, const GlyphStyle& s)
{
    QFont font(cjkFamily(s.serif));
    font.setPixelSize(s.pixelSize);
    font.setWeight(QFont::Bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    QPainterPath text;
    text.addText(0, 0, font, kCaptions[button]);
    const QRectF tb = text.boundingRect();
    constexpr double kIcon = 14;
    constexpr double kGap = 5;
    const double total = kIcon + kGap + tb.width();
    const double left = r.left() + (r.width() - total) / 2;
    const double midY = r.top() + r.height() / 2;
    text.translate(left + kIcon + kGap - tb.left(), midY - tb.center().y());
    QPainterPath icon = pictogram(button);
    icon.translate(left, midY - 7);

    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(s.emboss, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.strokePath(icon.translated(0, 1), pen);
    p.fillPath(text.translated(0, 1), s.emboss);
    pen.setColor(s.accent);
    p.strokePath(icon, pen);
    p.fillPath(text, s.ink);
    p.restore();
}

}  // namespace

QImage drawGlyph(Skin skin, int button, int scale)
{
    const QSize half = glyphImageSize(skin);
    QImage img = canvas({half.width() * 2, half.height()}, scale, QImage::Format_RGB32);
    // Slot colour of the panel, showing at the rounded corners of the crystal face.
    img.fill(skin == Crystal ? QColor(10, 24, 58) : QColor(0, 0, 0));

    const GlyphStyle normal = styleFor(skin);
    GlyphStyle greyed = normal;
    greyed.ink = greyed.accent = QColor(122, 122, 122);
    greyed.emboss = QColor(232, 232, 232, 200);

    const QImage face = paintFace(skin, half, button, scale);
    QPainter p(&img);
    p.drawImage(0, 0, face);
    p.drawImage(half.width(), 0, disabledLook(face));
    paintCaption(p, QRectF(0, 0, half.width(), half.height()), button, normal);
    paintCaption(p, QRectF(half.width(), 0, half.width(), half.height()), button, greyed);
    p.end();
    return img;
}

}  // namespace artgen
