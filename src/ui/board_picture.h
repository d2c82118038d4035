#pragma once
// The board picture of the main window: reports the pointer and the click.

#include <QLabel>

class QMouseEvent;

namespace kivola {

class BoardPicture : public QLabel {
    Q_OBJECT
public:
    explicit BoardPicture(QWidget* parent);
signals:
    void pointerMoved(int x, int y);
    void clicked();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

} // namespace kivola
