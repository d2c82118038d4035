#include "board_view.h"

#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QTimer>
#include <algorithm>

#include "kivola/match/board_keys.h"

#include "guard.h"
#include "skin.h"
#include "window_design.h"

namespace kivola {

namespace {

constexpr int kBlinkShortMs = 666;
constexpr int kBlinkCycleMs = 3000;
constexpr int kBlinkShowThresholdMs = 1000;

// Corners of a square around the point, in the skin's ring colour family; clicks pass through.
class CursorMark final : public QWidget {
public:
    explicit CursorMark(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("boardCursor"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        resize(kStoneImageSize + 8, kStoneImageSize + 8);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
        const double arm = box.width() / 3;
        for (const QPen& pen : {QPen(QColor(255, 255, 255, 200), 3.5), QPen(QColor(200, 30, 20), 1.8)}) {
            p.setPen(pen);
            for (const QPointF& corner : {box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight()}) {
                const double dx = corner.x() < box.center().x() ? arm : -arm;
                const double dy = corner.y() < box.center().y() ? arm : -arm;
                p.drawLine(corner, corner + QPointF(dx, 0));
                p.drawLine(corner, corner + QPointF(0, dy));
            }
        }
    }
};

} // namespace

BoardView::BoardView(QWidget& client, QObject& owner)
    : QObject(&owner), client_(client), guge1_(makeGauge(&client)),
      Timer1_(makeTimer(this, "Timer1", kBlinkShortMs, false)), marks_(new WinningMarks(&client)),
      reviewCaption_(new QLabel(&client)), cursor_(new CursorMark(&client)) {
    setObjectName(QStringLiteral("boardView"));
    reviewCaption_->setObjectName(QStringLiteral("reviewCaption"));
    reviewCaption_->setAlignment(Qt::AlignCenter);
    reviewCaption_->setStyleSheet(QStringLiteral("QLabel { background: rgba(24, 20, 16, 210); color: #FFF6E0;"
                                                 " border: 1px solid #404040; border-radius: 3px; }"));
    reviewCaption_->setFont(pixelFont(kSansFamily, 12));
    reviewCaption_->setAccessibleName(QStringLiteral("回顾"));
    reviewCaption_->setAccessibleDescription(QStringLiteral("棋盘显示的是第几手之后的局面"));
    reviewCaption_->hide();
    connect(Timer1_, &QTimer::timeout, this, [this] { runGuarded([this] { Timer1Timer(); }); });
}

void BoardView::RefreshPiecePictures(Skin skin, const QPixmap& first, const QPixmap& second) {
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

void BoardView::placeMarks() {
    marks_->setMarks(winningStones(line_, kBoardPictureOrigin, skin_), skin_);
    if (reviewing_) {
        marks_->hide();
    }
    if (cursor_->isVisible()) {
        showCursor(cursorPoint_);
    }
}

bool BoardView::hiddenNewestCovers(QPoint point) const { return sprites_.hiddenNewestCovers(newest_, point); }

void BoardView::Timer1Timer() {
    if (newest_ == 0 || gameOver_) {
        return;
    }
    Timer1_->setInterval(kBlinkCycleMs - Timer1_->interval());
    sprites_.at(newest_)->setVisible(Timer1_->interval() >= kBlinkShowThresholdMs);
}

void BoardView::number(TPiece& sprite) const {
    if (sprite.numbered != numbers_) {
        sprite.numbered = numbers_;
        sprite.update();
    }
}

void BoardView::setMoveNumbers(bool shown) {
    numbers_ = shown;
    for (int k = 1; k <= newest_; ++k) {
        if (TPiece* sprite = sprites_.at(k)) {
            number(*sprite);
        }
    }
}

void BoardView::showFirstStones(int shown) {
    if (!reviewing_) {
        reviewing_ = true;
        blinkWasRunning_ = Timer1_->isActive();
        Timer1_->stop();
        marks_->hide();
    }
    for (int k = 1; k <= newest_; ++k) {
        if (TPiece* sprite = sprites_.at(k)) {
            sprite->setVisible(k <= shown);
        }
    }
    reviewCaption_->setGeometry(layoutOf(skin_).gauge);
    reviewCaption_->setText(reviewCaption(shown, newest_));
    reviewCaption_->show();
    reviewCaption_->raise();
}

void BoardView::showAllStones() {
    if (!reviewing_) {
        return;
    }
    reviewing_ = false;
    reviewCaption_->hide();
    for (int k = 1; k <= newest_; ++k) {
        if (TPiece* sprite = sprites_.at(k)) {
            sprite->setVisible(true);
        }
    }
    placeMarks();
    if (blinkWasRunning_) {
        Timer1_->start();
    }
}

void BoardView::showCursor(BoardPoint point) {
    cursorPoint_ = point;
    const int offset = layoutOf(skin_).pieceOffset;
    cursor_->move(spriteBase(kBoardPictureOrigin, point.x, point.y) + QPoint(offset - 4, offset - 4));
    cursor_->show();
    cursor_->raise();
}

void BoardView::hideCursor() { cursor_->hide(); }

bool BoardView::cursorShown() const { return cursor_->isVisible(); }

void BoardView::createPiece(int k, int x, int y, StoneColour colour) {
    // A stone is placed: the board shows the game as it stands.
    showAllStones();
    sprites_.create(&client_, k, spriteBase(kBoardPictureOrigin, x, y), colour, skin_, first_, second_);
    newest_ = std::max(newest_, k);
    number(*sprites_.at(k));
    // A game played on past its result keeps its rings above the later stones.
    if (marks_->isVisible()) {
        marks_->raise();
    }
}

void BoardView::showPiece(int k) { sprites_.at(k)->setVisible(true); }

void BoardView::bringPieceToFront(int k) { sprites_.at(k)->raise(); }

void BoardView::destroyPiece(int k) {
    showAllStones();
    sprites_.destroy(k);
    while (newest_ > 0 && sprites_.at(newest_) == nullptr) {
        --newest_;
    }
}

void BoardView::stopBlink() {
    blinkWasRunning_ = false;
    Timer1_->stop();
}

void BoardView::startBlink() {
    if (reviewing_) {
        blinkWasRunning_ = true;
    } else {
        Timer1_->start();
    }
}

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
