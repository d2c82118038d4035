#pragma once
// The sprite of one stone, laid over the board picture.

#include <QLabel>

namespace kivola {

inline constexpr int kStoneImageSize = 22;

class TPiece : public QLabel {
public:
    explicit TPiece(QWidget* parent) : QLabel(parent) {}

    int stoneColor = 0;      // 1 the first mover's (black) stone, else the second mover's (white)
    bool pictureDue = false; // still has to take its picture from the current skin's indicators
    int baseLeft = 0;        // position before the skin's offset
    int baseTop = 0;
};

} // namespace kivola
