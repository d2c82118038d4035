#pragma once

#include <QDialog>
#include <QFrame>

class QLabel;
class QPushButton;

namespace kivola {

// A panel drawn with a lowered outer and a raised inner bevel.
class BevelPanel : public QFrame {
    Q_OBJECT
public:
    explicit BevelPanel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The about window: created once at start, shown modally by the help menu, hidden between
// showings.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 292;
    static constexpr int kClientHeight = 89;

    // iconFile: the 32 x 31 picture; empty means res/kivola-32.png beside the executable.
    // Without that file a small board icon is drawn instead.
    explicit TAboutBox(QWidget* parent = nullptr, const QString& iconFile = {});

    // Modal display, centred on the screen; returns the dialog result.
    int ShowModal();

    // Closes the window if it is shown; does nothing otherwise.
    void CloseIfShown();

    void OKButtonClick();

    BevelPanel* Panel1;
    QLabel* Image1;
    QLabel* ProductName;
    QLabel* Version;
    QPushButton* OKButton;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void centreOnScreen();
};

// The picture shown when no icon file is found: a corner of a board with a few stones.
QPixmap drawAboutIcon();

} // namespace kivola
