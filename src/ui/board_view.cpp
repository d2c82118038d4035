#include "board_view.h"

#include <QProgressBar>
#include <QTimer>
#include <algorithm>

#include "guard.h"
#include "skin.h"
#include "window_design.h"

namespace kivola {

namespace {

constexpr int kBlinkShortMs = 666;
constexpr int kBlinkCycleMs = 3000;
constexpr int kBlinkShowThresholdMs = 1000;

} // namespace

BoardView::BoardView(QWidget& client, QObject& owner)
    : QObject(&owner), client_(client), guge1_(makeGauge(&client)),
      Timer1_(makeTimer(this, "Timer1", kBlinkShortMs, false)), marks_(new WinningMarks(&client)) {
    setObjectName(QStringLiteral("boardView"));
    connect(Timer1_, &QTimer::timeout, this, [this] { runGuarded([this] { Timer1Timer(); }); });
}

void BoardView::RefreshPiecePictures(int skin, const QPixmap& first, const QPixmap& second) {
    skin_ = skin;
    first_ = first;
    second_ = second;
    sprites_.followSkin(newest_, skin, first, second);
    placeMarks();
}

void BoardView::showOutcome(const WinningLine& line, bool gameOver) {
    gameOver_ = gameOver;
    if (line != line_) {
        line_ = line;
        placeMarks();
    }
}

void BoardView::placeMarks() { marks_->setMarks(winningStones(line_, kBoardPictureOrigin, skin_), skin_); }

bool BoardView::hiddenNewestCovers(QPoint point) const { return sprites_.hiddenNewestCovers(newest_, point); }

void BoardView::Timer1Timer() {
    if (newest_ == 0 || gameOver_) {
        return;
    }
    Timer1_->setInterval(kBlinkCycleMs - Timer1_->interval());
    sprites_.at(newest_)->setVisible(Timer1_->interval() >= kBlinkShowThresholdMs);
}

void BoardView::createPiece(int k, int x, int y, StoneColour colour) {
    sprites_.create(&client_, k, spriteBase(kBoardPictureOrigin, x, y), colour, skin_, first_, second_);
    newest_ = std::max(newest_, k);
    // A game played on past its result keeps its rings above the later stones.
    if (marks_->isVisible()) {
        marks_->raise();
    }
}

void BoardView::showPiece(int k) { sprites_.at(k)->setVisible(true); }

void BoardView::bringPieceToFront(int k) { sprites_.at(k)->raise(); }

void BoardView::destroyPiece(int k) {
    sprites_.destroy(k);
    while (newest_ > 0 && sprites_.at(newest_) == nullptr) {
        --newest_;
    }
}

void BoardView::stopBlink() { Timer1_->stop(); }

void BoardView::startBlink() { Timer1_->start(); }

void BoardView::setProgress(int percent) {
    const int clamped = std::clamp(percent, 0, 100);
    if (guge1_->value() != clamped) {
        guge1_->setValue(clamped);
        guge1_->repaint();
    }
}

int BoardView::progress() const { return guge1_->value(); }

void BoardView::repaintNow() { client_.window()->repaint(); }

} // namespace kivola
