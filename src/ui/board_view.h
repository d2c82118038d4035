#pragma once
// The board as the player sees it: a sprite per stone, the newest one's blink (Timer1), the
// search's gauge (guge1) and the rings around a five. The core and the match draw through it.

#include <QObject>
#include <QPixmap>

#include "kivola/core/stone_display.h"
#include "kivola/core/winning_line.h"
#include "kivola/opponent/search_progress.h"
#include "piece.h"

class QLabel;
class QProgressBar;
class QTimer;
class QWidget;

namespace kivola {

class BoardView final : public QObject, public StoneDisplay, public SearchProgress {
    Q_OBJECT
public:
    // The sprites, the gauge and the rings are children of client, over the board picture.
    BoardView(QWidget& client, QObject& owner);

    QProgressBar* gauge() const { return guge1_; }
    QTimer* blinkTimer() const { return Timer1_; }
    // Sprite k of the stones on the board, or null.
    TPiece* piece(int k) const { return k >= 1 && k <= newest_ ? sprites_.at(k) : nullptr; }
    const WinningMarks* winningMarks() const { return marks_; }

    // The skin whose board picture is in view: the sprites and rings take its place, the sprites
    // its indicators' pictures (first: the first mover's).
    void RefreshPiecePictures(Skin skin, const QPixmap& first, const QPixmap& second);
    // The line is ringed; once the game is over the blink rests.
    void showOutcome(const WinningLine& line, bool gameOver);
    // The newest sprite is hidden by the blink and covers the point (in client pixels).
    bool hiddenNewestCovers(QPoint point) const;
    void Timer1Timer();

    // Every stone shows its move number (off at first).
    void setMoveNumbers(bool shown);
    bool moveNumbers() const { return numbers_; }
    // Looking back: only the first shown of the stones are in view, with "第 k / n 手" over the
    // gauge; the blink and the rings rest. Any stone placed or taken back ends it.
    void showFirstStones(int shown);
    void showAllStones();
    bool reviewing() const { return reviewing_; }
    // The keyboard's cursor: a square around the point.
    void showCursor(BoardPoint point);
    void hideCursor();
    bool cursorShown() const;

    // StoneDisplay
    void createPiece(int k, int x, int y, StoneColour colour) override;
    void showPiece(int k) override;
    void bringPieceToFront(int k) override;
    void destroyPiece(int k) override;
    void stopBlink() override;
    void startBlink() override;
    // SearchProgress
    void setProgress(int percent) override;
    int progress() const override;
    void repaintNow() override;

private:
    void placeMarks();
    void number(TPiece& sprite) const;

    QWidget& client_;
    QProgressBar* guge1_;
    QTimer* Timer1_;
    WinningMarks* marks_;
    StoneSprites sprites_;
    int newest_ = 0; // the highest live sprite, which blinks
    Skin skin_ = Skin::Wood;
    QPixmap first_;
    QPixmap second_;
    WinningLine line_;
    bool gameOver_ = false;
    bool numbers_ = false;
    bool reviewing_ = false;
    bool blinkWasRunning_ = false;
    QLabel* reviewCaption_;
    QWidget* cursor_;
    BoardPoint cursorPoint_;
};

} // namespace kivola
