#pragma once
// The sprite of one stone, laid over the board picture, and the marks of a winning line.

#include <QLabel>
#include <QRect>
#include <array>
#include <cassert>
#include <vector>
#include "kivola/core/match_state.h"
#include "kivola/core/winning_line.h"
#include "skin.h"

namespace kivola {

inline constexpr int kStoneImageSize = 22;

// A stone's picture takes the clicks on it, so a click on a stone's rim never reaches the
// board picture below as a click on the neighbouring point.
class TPiece : public QLabel {
public:
    explicit TPiece(QWidget* parent) : QLabel(parent) {}

    StoneColour stoneColor = StoneColour::Second; // First: the first mover's (black) stone
    bool pictureDue = false; // still has to take its picture from the current skin's indicators
    int baseLeft = 0;        // position before the skin's offset
    int baseTop = 0;
    int moveNumber = 0;      // written on the stone while numbered
    bool numbered = false;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// Where the sprite of the stone on point (x, y) stands before any skin's offset, in the
// coordinates of the board picture's parent.
QPoint spriteBase(QPoint boardOrigin, int x, int y);
// The sprite's place under the skin whose board picture is in view.
QPoint spritePosition(const TPiece& sprite, Skin skin);
// The sprite of move k, standing where the skin puts it; its picture is still due.
TPiece* makePiece(QWidget* parent, int k, QPoint base, StoneColour colour, Skin skin);
// The sprites of the stones on the board, entry k for stone k.
class StoneSprites {
public:
    // Shown at once, above every earlier sprite. first and second: the indicators' pictures.
    void create(QWidget* parent, int k, QPoint base, StoneColour colour, Skin skin, const QPixmap& first,
                const QPixmap& second);
    void destroy(int k);
    TPiece* at(int k) const {
        assert(k >= 0 && k <= kMaxStones);
        return sprites_[static_cast<std::size_t>(k)];
    }
    // Sprites 1..count move to the skin's place and take the new pictures.
    void followSkin(int count, Skin skin, const QPixmap& first, const QPixmap& second);
    static void AssignPiecePicture(TPiece& sprite, const QPixmap& first, const QPixmap& second);
    // True when the newest of the count sprites is hidden by the blink and covers the point,
    // given in the sprites' parent's coordinates.
    bool hiddenNewestCovers(int count, QPoint point) const;

private:
    std::array<TPiece*, kMaxStones + 1> sprites_{};
};

// The sprites' rectangles of the winning line's stones, each stone once.
std::vector<QRect> winningStones(const WinningLine& line, QPoint boardOrigin, Skin skin);

// Quiet rings around the stones of the five, above the sprites; clicks pass through to the board.
class WinningMarks : public QWidget {
public:
    explicit WinningMarks(QWidget* parent);

    // stones: the sprites' rectangles in the parent's coordinates; skin chooses the ring's look.
    void setMarks(const std::vector<QRect>& stones, Skin skin);
    const std::vector<QRect>& marked() const { return stones_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<QRect> stones_;
    Skin skin_ = Skin::Wood;
};

} // namespace kivola
