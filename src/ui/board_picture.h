#pragma once
// The board picture of the main window: reports the pointer and the click.

#include <QLabel>
#include <optional>

#include "kivola/core/match_state.h"

class QMouseEvent;

namespace kivola {

inline constexpr int kPointPitch = 28;   // pixels between neighbouring points of the picture
inline constexpr int kPointerOffset = 9; // subtracted before dividing

// The point under the pointer (in the picture's pixels), or nothing off the 15 x 15 points.
std::optional<BoardPoint> pointFromPointer(int mouseX, int mouseY);

class BoardPicture : public QLabel {
    Q_OBJECT
public:
    explicit BoardPicture(QWidget* parent);
signals:
    void pointerMoved(int x, int y);
    void clicked();
    // Whole notches of the wheel: positive away from the player.
    void wheeled(int notches);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool pressed_ = false;
    int wheelTurned_ = 0; // eighths of a degree not yet a whole notch
};

} // namespace kivola
