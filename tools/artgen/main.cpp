// Draws the game's artwork into the folder given on the command line:
// board pictures, button glyphs (24-bit BMP), stone images and the application icon (PNG),
// each also at twice the density as name@2x.ext.
// With --icons NAME FOLDER it draws the desktop icon instead, at each size of the icon theme,
// as FOLDER/hicolor/NxN/apps/NAME.png.

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

// name.ext at 1x, name@2x.ext at twice the density for scaled screens.
QString fileName(const QString& name, int scale)
{
    if (scale == 1)
        return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return name.left(dot) + QStringLiteral("@%1x").arg(scale) + name.mid(dot);
}

bool generate(const QDir& dir)
{
    bool ok = true;
    for (int scale : {1, 2}) {
        for (int s = 0; s < kSkins; ++s) {
            const auto skin = Skin(s);
            ok &= save(drawBoard(skin, scale), dir, fileName(QStringLiteral("Picture%1.bmp").arg(s + 1), scale));
            for (int b = 0; b < kButtons; ++b)
                ok &= save(drawGlyph(skin, b, scale), dir,
                           fileName(QStringLiteral("%1_%2.bmp").arg(s).arg(QChar('a' + b)), scale));
            ok &= save(drawStone(skin, false, scale), dir, fileName(QStringLiteral("stone%1_white.png").arg(s), scale));
            ok &= save(drawStone(skin, true, scale), dir, fileName(QStringLiteral("stone%1_black.png").arg(s), scale));
        }
        ok &= save(drawIcon({256, 256}, scale), dir, fileName(QStringLiteral("kivola.png"), scale));
        ok &= save(drawIcon({32, 31}, scale), dir, fileName(QStringLiteral("kivola-32.png"), scale));
    }
    return ok;
}

bool generateIcons(const QDir& dir, const QString& name)
{
    bool ok = true;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(size);
        ok &= dir.mkpath(folder) && save(drawIcon({size, size}, 1), QDir(dir.filePath(folder)), name + ".png");
    }
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
    const bool icons = args.size() == 4 && args.at(1) == QLatin1String("--icons");
    if (args.size() != 2 && !icons) {
        std::fprintf(stderr, "usage: artgen <output folder>\n       artgen --icons <name> <output folder>\n");
        return 2;
    }
    QDir dir(args.last());
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "artgen: cannot create %s\n", qPrintable(args.last()));
        return 1;
    }
    try {
        return (icons ? generateIcons(dir, args.at(2)) : generate(dir)) ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "artgen: %s\n", e.what());
        return 1;
    }
}
