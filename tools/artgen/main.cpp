// Draws the game's artwork into the folder given on the command line:
// board pictures, button glyphs (24-bit BMP), stone images and the application icon (PNG).

#include "art.h"
#include "layout.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSaveFile>
#include <cstdio>
#include <exception>

namespace {

using namespace artgen;

bool save(const QImage& image, const QDir& dir, const QString& name)
{
    const bool bmp = name.endsWith(QLatin1String(".bmp"));
    // RGB888 is what the BMP writer stores as 24 bits per pixel.
    const QImage out = bmp ? image.convertToFormat(QImage::Format_RGB888) : image;
    QSaveFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "artgen: cannot write %s: %s\n", qPrintable(file.fileName()), qPrintable(file.errorString()));
        return false;
    }
    QImageWriter writer(&file, bmp ? "BMP" : "PNG");
    if (!writer.write(out) || !file.commit()) {
        std::fprintf(stderr, "artgen: failed to write %s: %s\n", qPrintable(file.fileName()), qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

bool generate(const QDir& dir)
{
    bool ok = true;
    for (int s = 0; s < kSkins; ++s) {
        const auto skin = Skin(s);
        ok &= save(drawBoard(skin), dir, QStringLiteral("Picture%1.bmp").arg(s + 1));
        for (int b = 0; b < kButtons; ++b)
            ok &= save(drawGlyph(skin, b), dir, QStringLiteral("%1_%2.bmp").arg(s).arg(QChar('a' + b)));
        ok &= save(drawStone(skin, false), dir, QStringLiteral("stone%1_white.png").arg(s));
        ok &= save(drawStone(skin, true), dir, QStringLiteral("stone%1_black.png").arg(s));
    }
    ok &= save(drawIcon({256, 256}), dir, QStringLiteral("kivola.png"));
    ok &= save(drawIcon({32, 31}), dir, QStringLiteral("kivola-32.png"));
    return ok;
}

}  // namespace

int main(int argc, char* argv[])
{
    // Drawing needs fonts but no screen; a build machine may have no display at all.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: artgen <output folder>\n");
        return 2;
    }
    QDir dir(args.at(1));
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "artgen: cannot create %s\n", qPrintable(args.at(1)));
        return 1;
    }
    try {
        return generate(dir) ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "artgen: %s\n", e.what());
        return 1;
    }
}
