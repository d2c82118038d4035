#include "art.h"
#include "noise.h"

#include <QFontDatabase>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace artgen {

namespace {

double clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

QRgb mixRgb(const QColor& a, const QColor& b, double t)
{
    t = clamp01(t);
    return qRgb(int(std::lround(a.red() + (b.red() - a.red()) * t)),
                int(std::lround(a.green() + (b.green() - a.green()) * t)),
                int(std::lround(a.blue() + (b.blue() - a.blue()) * t)));
}

// Picture coordinate sampled by device pixel i: at scale 1 the pixel itself, at a higher scale
// the centre of the smaller pixel, so a denser texture lines up with the plain one.
double sampleAt(int i, int scale) { return (i + 0.5) / scale - 0.5; }

}  // namespace

QColor mix(const QColor& a, const QColor& b, double t) { return QColor(mixRgb(a, b, t)); }

QImage canvas(QSize size, int scale, QImage::Format format)
{
    QImage img(size * scale, format);
    img.setDevicePixelRatio(scale);
    return img;
}

QImage woodTexture(QSize size, const WoodGrain& g, int scale)
{
    QImage img = canvas(size, scale, QImage::Format_RGB32);
    for (int py = 0; py < img.height(); ++py) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(py));
        const double y = sampleAt(py, scale);
        for (int px = 0; px < img.width(); ++px) {
            const double x = sampleAt(px, scale);
            const double u = g.horizontal ? y : x;   // across the grain
            const double v = g.horizontal ? x : y;   // along the grain
            // Growth lines: nearly parallel, drifting slowly, with uneven spacing.
            const double wander = g.warp * fbm(u / 180.0, v / 900.0, g.seed, 4) +
                                  0.12 * fbm(u / 50.0, v / 420.0, g.seed + 7, 3);
            const double phase = u / g.period + wander;
            const double s = 0.5 + 0.5 * std::sin(2 * std::numbers::pi * phase);
            const double lines = std::pow(s, 9.0);
            const double band = std::pow(s, 2.0);
            const double tone = fbm(u / 260.0, v / 380.0, g.seed + 3, 3) - 0.5;
            // Fine fibres run with the grain.
            const double fibre = fbm(u * 0.7, v * 0.02, g.seed + 11, 2) - 0.5;
            const double t = 0.2 + 0.4 * lines + 0.14 * band + 0.6 * tone + 0.22 * fibre;
            line[px] = mixRgb(g.light, g.dark, t);
        }
    }
    return img;
}

QImage marbleTexture(QSize size, const MarbleVeins& m, int scale)
{
    QImage img = canvas(size, scale, QImage::Format_RGB32);
    const double ca = std::cos(m.angle);
    const double sa = std::sin(m.angle);
    for (int py = 0; py < img.height(); ++py) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(py));
        const double y = sampleAt(py, scale);
        for (int px = 0; px < img.width(); ++px) {
            const double x = sampleAt(px, scale);
            const double along = (x * ca + y * sa) / m.scale;
            const double across = (x * sa - y * ca) / m.scale;
            // Veins are level lines of a smoothly distorted ramp: they meander but never break.
            const double d1 = fbm(x / m.scale, y / m.scale, m.seed, 6);
            const double main = 1.0 - std::abs(std::sin(along * 2.6 + 5.0 * d1));
            const double d2 = fbm(x / (m.scale * 0.6), y / (m.scale * 0.6), m.seed + 29, 6);
            const double fine = 1.0 - std::abs(std::sin(across * 2.2 + 6.0 * d2));
            const double vein = std::min(1.0, std::pow(main, m.sharpness) + 0.22 * std::pow(main, m.sharpness / 6) +
                                                  0.5 * std::pow(fine, m.sharpness * 2.5));
            const double cloud = fbm(x / (m.scale * 1.4), y / (m.scale * 1.4), m.seed + 5, 5);
            const QColor base(mixRgb(m.base, m.base2, (cloud - 0.3) * 1.6));
            line[px] = mixRgb(base, m.vein, 0.85 * vein);
        }
    }
    return img;
}

QImage disabledLook(const QImage& normal)
{
    QImage out = normal.convertToFormat(QImage::Format_ARGB32);
    out.setDevicePixelRatio(normal.devicePixelRatio());
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int grey = qGray(line[x]);
            // Flatten towards a light grey so the button reads as unavailable.
            const int v = int(std::lround(150 + (grey - 150) * 0.45));
            line[x] = qRgba(v, v, v, qAlpha(line[x]));
        }
    }
    return out;
}

QString cjkFamily(bool serif)
{
    const QStringList preferred = serif ? QStringList{"Noto Serif CJK SC", "Noto Sans CJK SC"}
                                        : QStringList{"Noto Sans CJK SC", "Noto Serif CJK SC"};
    const QStringList all = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    for (const QString& f : preferred) {
        if (all.contains(f))
            return f;
    }
    if (!all.isEmpty())
        return all.front();
    throw std::runtime_error("no font with Simplified Chinese is installed (install fonts-noto-cjk)");
}

}  // namespace artgen
