#include "board_picture.h"

#include <QMouseEvent>
#include <QWheelEvent>

namespace kivola {

std::optional<BoardPoint> pointFromPointer(int mouseX, int mouseY) {
    // Division truncates toward zero, so pixels 0..36 still give point 1.
    const int x = (mouseX - kPointerOffset) / kPointPitch + 1;
    const int y = (mouseY - kPointerOffset) / kPointPitch + 1;
    if (!isPlayingPoint(x, y)) {
        return std::nullopt;
    }
    return BoardPoint{x, y};
}

BoardPicture::BoardPicture(QWidget* parent) : QLabel(parent) {
    setMouseTracking(true);
    setObjectName(QStringLiteral("qipanPicture"));
}

void BoardPicture::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit pointerMoved(p.x(), p.y());
}

void BoardPicture::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
}

void BoardPicture::mouseReleaseEvent(QMouseEvent* event) {
    if (!pressed_ || event->button() != Qt::LeftButton) {
        return;
    }
    pressed_ = false;
    // The click is judged from the pointer's last position; a release is where the pointer is.
    const QPoint p = event->position().toPoint();
    emit pointerMoved(p.x(), p.y());
    if (rect().contains(p)) {
        emit clicked();
    }
}

void BoardPicture::wheelEvent(QWheelEvent* event) {
    // Touchpads send small steps; a notch is 120.
    wheelTurned_ += event->angleDelta().y();
    const int notches = wheelTurned_ / 120;
    wheelTurned_ -= notches * 120;
    if (notches != 0) {
        emit wheeled(notches);
    }
    event->accept();
}

} // namespace kivola
