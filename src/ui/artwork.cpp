#include "artwork.h"

#include <QIcon>
#include <QToolButton>
#include <QWidget>
#include <stdexcept>
#include <string>

#include "picture_file.h"
#include "piece.h"

// The built-in artwork lives in a static library; naming it keeps the linker from dropping it.
static void initBuiltinArt() { Q_INIT_RESOURCE(builtin_art); }

namespace kivola {

namespace {

const QString kBuiltinArt = QStringLiteral(":/builtin/");
// A stone image is scaled into its sprite; anything far larger is not a stone.
constexpr int kLargestStoneImage = 4 * kStoneImageSize;

// One file's picture at the given density, or a null pixmap.
QPixmap readPicture(const QString& path, qreal density) {
    QPixmap pixmap = QPixmap::fromImage(readPictureFile(path));
    pixmap.setDevicePixelRatio(density);
    return pixmap;
}

// name.ext drawn at twice the density.
QString denseName(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return name.left(dot) + QStringLiteral("@2x") + name.mid(dot);
}

bool fitsBoard(const QPixmap& picture) { return picture.deviceIndependentSize().toSize() == kBoardPictureSize; }

bool fitsStone(const QPixmap& picture) {
    const QSizeF size = picture.deviceIndependentSize();
    return size.width() <= kLargestStoneImage && size.height() <= kLargestStoneImage;
}

// Two looks of equal width side by side, each no larger than the button.
auto fitsButton(const QRect& button) {
    return [button](const QPixmap& glyph) {
        const QSizeF size = glyph.deviceIndependentSize();
        return glyph.width() % 2 == 0 && size.width() / 2 <= button.width() && size.height() <= button.height();
    };
}

} // namespace

Artwork::Artwork(const QWidget& screen) : screen_(screen) {
    initBuiltinArt();
    loadStones();
}

void Artwork::openFolder(const QString& appPath) {
    resFolder_ = appPath.isEmpty() ? QString() : appPath + QStringLiteral("res/");
    loadStones();
}

QPixmap Artwork::board(Skin skin) const {
    QPixmap board = load(QStringLiteral("Picture%1.bmp").arg(skinNumber(skin) + 1), fitsBoard);
    if (board.isNull()) {
        throw std::runtime_error("no usable board picture for skin " + std::to_string(skinNumber(skin)));
    }
    return board;
}

const QPixmap& Artwork::stone(Skin skin, StoneColour colour) const {
    return stones_[static_cast<std::size_t>(2 * skinNumber(skin) + (colour == StoneColour::First ? 1 : 0))];
}

void Artwork::applyGlyph(QToolButton& button, const QString& file, const QRect& rect) const {
    const QPixmap glyph = load(file, fitsButton(rect));
    if (glyph.isNull()) {
        throw std::runtime_error("no usable glyph " + file.toStdString());
    }
    const int half = glyph.width() / 2;
    auto look = [&](int left) {
        QPixmap part = glyph.copy(left, 0, half, glyph.height());
        part.setDevicePixelRatio(glyph.devicePixelRatio());
        return part;
    };
    QIcon icon;
    icon.addPixmap(look(0), QIcon::Normal);
    icon.addPixmap(look(half), QIcon::Disabled);
    button.setIcon(icon);
    button.setIconSize(look(0).deviceIndependentSize().toSize());
    button.setGeometry(rect);
}

void Artwork::loadStones() {
    for (std::size_t k = 0; k < stones_.size(); ++k) {
        // Every stone is built in, so the list is never left with an invisible stone.
        stones_[k] = load(QStringLiteral("stone%1_%2.png").arg(k / 2).arg(k % 2 == 0 ? "white" : "black"), fitsStone);
    }
}

QPixmap Artwork::load(const QString& file, const std::function<bool(const QPixmap&)>& fits) const {
    QStringList folders{kBuiltinArt};
    if (!resFolder_.isEmpty()) {
        folders.prepend(resFolder_);
    }
    // The plain file serves when the dense one fails.
    const bool dense = screen_.devicePixelRatioF() > 1.0;
    for (const QString& folder : folders) {
        if (dense) {
            const QPixmap picture = readPicture(folder + denseName(file), 2.0);
            if (!picture.isNull() && fits(picture)) {
                return picture;
            }
        }
        const QPixmap picture = readPicture(folder + file, 1.0);
        if (!picture.isNull() && fits(picture)) {
            return picture;
        }
    }
    return {};
}

} // namespace kivola
