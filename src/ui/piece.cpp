#include "piece.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "board_picture.h"
#include "move_number.h"
#include "skin.h"

namespace kivola {

namespace {

struct RingLook {
    QColor ring;
    QColor halo; // a softer, wider stroke under the ring, so it reads on light and dark stones
};

// Cinnabar on wood, deep blue on crystal, brass on marble.
RingLook ringLook(Skin skin) {
    switch (skin) {
    case Skin::Crystal:
        return {QColor(12, 84, 214), QColor(255, 255, 255, 150)};
    case Skin::Marble:
        return {QColor(176, 126, 34), QColor(40, 30, 10, 90)};
    case Skin::Wood:
        break;
    }
    return {QColor(186, 36, 22), QColor(255, 236, 200, 120)};
}

constexpr double kRingRadius = kStoneImageSize / 2.0 + 1.5;
constexpr int kMarkMargin = 4; // the ring and its halo reach this far past a stone

// A sprite's top left lies this far before its point's multiple of the pitch.
constexpr int kSpriteInset = 19;

int pieceOffset(Skin skin) { return layoutOf(skin).pieceOffset; }

} // namespace

void TPiece::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (numbered) {
        QPainter painter(this);
        paintMoveNumber(painter, QRectF(rect()), moveNumber, stoneColor);
    }
}

void TPiece::mousePressEvent(QMouseEvent* event) { event->accept(); }

void TPiece::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }

QPoint spriteBase(QPoint boardOrigin, int x, int y) {
    return boardOrigin + QPoint(kPointPitch * x - kSpriteInset, kPointPitch * y - kSpriteInset);
}

QPoint spritePosition(const TPiece& sprite, Skin skin) {
    const int offset = pieceOffset(skin);
    return {sprite.baseLeft + offset, sprite.baseTop + offset};
}

TPiece* makePiece(QWidget* parent, int k, QPoint base, StoneColour colour, Skin skin) {
    auto* sprite = new TPiece(parent);
    sprite->setObjectName(QStringLiteral("piece%1").arg(k));
    sprite->setScaledContents(true);
    sprite->baseLeft = base.x();
    sprite->baseTop = base.y();
    sprite->move(spritePosition(*sprite, skin));
    sprite->stoneColor = colour;
    sprite->moveNumber = k;
    sprite->pictureDue = true;
    return sprite;
}

void StoneSprites::create(QWidget* parent, int k, QPoint base, StoneColour colour, Skin skin, const QPixmap& first,
                          const QPixmap& second) {
    TPiece* sprite = makePiece(parent, k, base, colour, skin);
    sprites_[static_cast<std::size_t>(k)] = sprite;
    const TPiece* twoEarlier = k > 2 ? at(k - 2) : nullptr;
    if (twoEarlier != nullptr && twoEarlier->stoneColor == colour) {
        // Where sides alternate the stone two moves earlier is the same side's: its picture serves.
        sprite->resize(kStoneImageSize, kStoneImageSize);
        sprite->setPixmap(twoEarlier->pixmap());
    } else {
        // A loaded file need not alternate; a stone always shows its own colour.
        AssignPiecePicture(*sprite, first, second);
    }
    sprite->raise();
    sprite->show();
}

void StoneSprites::destroy(int k) {
    delete at(k);
    sprites_[static_cast<std::size_t>(k)] = nullptr;
}

void StoneSprites::followSkin(int count, Skin skin, const QPixmap& first, const QPixmap& second) {
    for (int k = 1; k <= count; ++k) {
        at(k)->move(spritePosition(*at(k), skin));
        at(k)->pictureDue = true;
        AssignPiecePicture(*at(k), first, second);
    }
}

void StoneSprites::AssignPiecePicture(TPiece& sprite, const QPixmap& first, const QPixmap& second) {
    if (!sprite.pictureDue) {
        return;
    }
    sprite.pictureDue = false;
    sprite.setPixmap(sprite.stoneColor == StoneColour::First ? first : second);
    sprite.resize(kStoneImageSize, kStoneImageSize);
}

bool StoneSprites::hiddenNewestCovers(int count, QPoint point) const {
    const TPiece* newest = count > 0 ? at(count) : nullptr;
    return newest != nullptr && newest->isHidden() && newest->geometry().contains(point);
}

std::vector<QRect> winningStones(const WinningLine& line, QPoint boardOrigin, Skin skin) {
    std::vector<QRect> stones;
    const QPoint offset(pieceOffset(skin), pieceOffset(skin));
    for (const LineRun& run : line.runs) {
        const int dx = (run.toX > run.fromX) - (run.toX < run.fromX);
        const int dy = (run.toY > run.fromY) - (run.toY < run.fromY);
        for (int x = run.fromX, y = run.fromY;; x += dx, y += dy) {
            const QRect stone(spriteBase(boardOrigin, x, y) + offset, QSize(kStoneImageSize, kStoneImageSize));
            // Two runs through the deciding stone share it.
            if (std::find(stones.begin(), stones.end(), stone) == stones.end()) {
                stones.push_back(stone);
            }
            if (x == run.toX && y == run.toY) {
                break;
            }
        }
    }
    return stones;
}

WinningMarks::WinningMarks(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("winningLine"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void WinningMarks::setMarks(const std::vector<QRect>& stones, Skin skin) {
    if (stones != stones_ || skin != skin_) {
        stones_ = stones;
        skin_ = skin;
        // Only the line's own area, so the rest of the window is never covered or repainted.
        QRect area;
        for (const QRect& stone : stones_) {
            area |= stone;
        }
        setGeometry(area.adjusted(-kMarkMargin, -kMarkMargin, kMarkMargin, kMarkMargin));
        update();
    }
    setVisible(!stones_.empty());
    // Sprites created later (a game played past its result) would otherwise cover the rings.
    if (!stones_.empty() && parentWidget()->children().constLast() != this) {
        raise();
    }
}

void WinningMarks::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.translate(-pos());
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    const RingLook look = ringLook(skin_);
    for (const QPen& pen : {QPen(look.halo, 3.5), QPen(look.ring, 1.8)}) {
        p.setPen(pen);
        for (const QRect& stone : stones_) {
            p.drawEllipse(QRectF(stone).center(), kRingRadius, kRingRadius);
        }
    }
}

} // namespace kivola
