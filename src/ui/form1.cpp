#include "form1.h"

#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>

#include "preferences.h"
#include "skin.h"

namespace kivola {

TForm1::TForm1(DialogService& dialogs, ComputerPlayer& computer, NetLibrary& library, const QString& appDir,
               QWidget* parent)
    : QMainWindow(parent), DesignedControls(static_cast<QMainWindow&>(*this)), dialogs_(dialogs),
      board_(*client, *this), match_(*this, board_, board_, computer, library),
      keyboard_(board_, *qipanPicture, match_, [this](BoardPoint point) { match_.click(point); }),
      notices_(dialogs, *this, [this](Notice notice) { return match_.noticeText(notice); }),
      appDir_(appDir.isEmpty() ? QCoreApplication::applicationDirPath() : appDir) {
    guge1 = board_.gauge();
    Timer1 = board_.blinkTimer();
    // The window as designed, before any file is read: the built-in wood pictures, so it is
    // whole even when res/ cannot be read at all.
    qipanPicture->setPixmap(artwork_.board(Skin::Wood));
    qipanPicture->setGeometry(QRect(kBoardPictureOrigin, kBoardPictureSize));
    Image1->setPixmap(artwork_.stone(Skin::Wood, StoneColour::Second));
    Image2->setPixmap(artwork_.stone(Skin::Wood, StoneColour::First));
    board_.RefreshPiecePictures(Skin::Wood, Image2->pixmap(), Image1->pixmap());
    LayoutSidePanel();
    // The chat controls sit below the board picture; keep the picture under everything else.
    qipanPicture->lower();
    connectHandlers();
    handle([this] { FormCreate(); });
}

TForm1::~TForm1() {
    match_.shutDown();
    // The help control goes last, as the window is torn down.
    help_.ReleaseHtmlHelp();
}

void TForm1::connectHandlers() {
    const auto on = [this](auto* sender, auto signal, void (TForm1::*handler)()) {
        connect(sender, signal, this, [this, handler] { handle([&] { (this->*handler)(); }); });
    };
    connect(qipanPicture, &BoardPicture::pointerMoved, this,
            [this](int x, int y) { handle([&] { qipanPictureMouseMove(x, y); }); });
    on(qipanPicture, &BoardPicture::clicked, &TForm1::qipanPictureClick);
    on(actSinglePlay, &QAction::triggered, &TForm1::actSinglePlayExecute);
    on(actSaveGame, &QAction::triggered, &TForm1::actSaveGameExecute);
    on(actLoadGame, &QAction::triggered, &TForm1::actLoadGameExecute);
    on(actRegret, &QAction::triggered, &TForm1::actRegretExecute);
    on(actRestart, &QAction::triggered, &TForm1::actRestartExecute);
    on(actNetWork, &QAction::triggered, &TForm1::actNetWorkExecute);
    on(Edit1, &QLineEdit::returnPressed, &TForm1::Edit1KeyDown);
    on(N10, &QAction::triggered, &TForm1::N10Click);
    on(N6, &QAction::triggered, &TForm1::N6Click);
    on(N15, &QAction::triggered, &TForm1::N15Click);
    on(N16, &QAction::triggered, &TForm1::N16Click);
    on(N8, &QAction::triggered, &TForm1::N8Click);
    on(A1, &QAction::triggered, &TForm1::A1Click);
    on(N17, &QAction::triggered, &TForm1::N17Click);
    connect(qipanPicture, &BoardPicture::wheeled, this, [this](int notches) { handle([&] { keyboard_.wheel(notches); }); });
    for (QAction* level : levels()) {
        connect(level, &QAction::triggered, this, [this, level] { handle([&] { check3Click(level); }); });
    }
    for (QAction* skin : {N11, N21, N31}) {
        connect(skin, &QAction::triggered, this, [this, skin] { handle([&] { changeback(skin); }); });
    }
    on(Timer2, &QTimer::timeout, &TForm1::Timer2Timer);
    on(Timer3, &QTimer::timeout, &TForm1::Timer3Timer);
    on(Timer4, &QTimer::timeout, &TForm1::Timer4Timer);
    on(Timer5, &QTimer::timeout, &TForm1::Timer5Timer);
    on(Timer6, &QTimer::timeout, &TForm1::Timer6Timer);
    on(Timer7, &QTimer::timeout, &TForm1::Timer7Timer);
    on(Timer8, &QTimer::timeout, &TForm1::Timer8Timer);
}

void TForm1::setClientHeight(int height) {
    setFixedSize(kClientWidth, chromeHeight_ + height);
}

void TForm1::FormCreate() {
    // Menu bar and client area are laid out only once shown; measure what they will be.
    chromeHeight_ = menuBar()->sizeHint().height();
    move(5, 5);
    match_.reset();
    setClientHeight(kCompactClientHeight);
    Edit1->setEnabled(false);
    appPath_ = QDir(appDir_).absolutePath() + QLatin1Char('/');
    QCoreApplication::setApplicationName(QStringLiteral("Kivola"));
    QDir::setCurrent(appPath_);
    artwork_.openFolder(appPath_);
    for (QToolButton* button : {sbtnRestart, sbtnRegret, sbtnSaveGame, sbtnOpenGame}) {
        button->setText(QString());
    }
    ActionList1Update();
    ApplySkin(Skin::Wood);
    if (preferences().value(kMoveNumbersKey, false).toBool()) {
        N17Click();
    }
}

void TForm1::ApplySkin(Skin skin) {
    skin_ = skin;
    // Every board is built in; should none fit after all, the change stops here and the guard
    // drops the error, leaving the previous skin whole in view.
    const QPixmap board = artwork_.board(skin);
    qipanPicture->setPixmap(board);
    qipanPicture->resize(board.deviceIndependentSize().toSize());
    Image1->setPixmap(artwork_.stone(skin, StoneColour::Second));
    Image2->setPixmap(artwork_.stone(skin, StoneColour::First));
    board_.RefreshPiecePictures(skin, Image2->pixmap(), Image1->pixmap());
    LayoutSidePanel();
}

void TForm1::LayoutSidePanel() {
    const SkinLayout& layout = layoutOf(skin_);
    guge1->setGeometry(layout.gauge);
    guge1->setOrientation(Qt::Horizontal);
    Image2->move(layout.firstStone);
    Image1->move(layout.secondStone);
    Label1->move(layout.firstLabel);
    Label2->move(layout.secondLabel);
    const QString prefix = QString::number(skinNumber(skin_));
    artwork_.applyGlyph(*sbtnOpenGame, prefix + QStringLiteral("_a.bmp"), layout.openButton);
    artwork_.applyGlyph(*sbtnSaveGame, prefix + QStringLiteral("_b.bmp"), layout.saveButton);
    artwork_.applyGlyph(*sbtnRegret, prefix + QStringLiteral("_c.bmp"), layout.regretButton);
    artwork_.applyGlyph(*sbtnRestart, prefix + QStringLiteral("_d.bmp"), layout.restartButton);
}

void TForm1::changeback(QAction* sender) {
    for (QAction* item : {N11, N21, N31}) {
        item->setChecked(false);
    }
    sender->setChecked(true);
    if (const auto skin = skinOfTag(sender->data())) {
        ApplySkin(*skin);
    }
    update();
}

void TForm1::qipanPictureMouseMove(int x, int y) {
    mouseX_ = x;
    mouseY_ = y;
    keyboard_.pointerUsed();
}

void TForm1::qipanPictureClick() {
    // A click while looking back only brings the game as it stands.
    if (keyboard_.reviewing()) {
        keyboard_.leave();
        return;
    }
    // The blink must not decide what a click on the newest stone does.
    if (board_.hiddenNewestCovers(qipanPicture->mapToParent(QPoint(mouseX_, mouseY_)))) {
        return;
    }
    if (const auto point = pointFromPointer(mouseX_, mouseY_)) {
        match_.click(*point);
    }
}

void TForm1::Timer4Timer() {
    Timer4->stop();
    notices_.tell(Notice::Result);
}

void TForm1::actSinglePlayExecute() {
    keyboard_.leave();
    match_.startSinglePlay();
}

void TForm1::actRestartExecute() {
    keyboard_.leave();
    match_.restart();
}

void TForm1::actRegretExecute() {
    keyboard_.leave();
    match_.takeBack();
}

void TForm1::keyPressEvent(QKeyEvent* event) {
    bool taken = false;
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        handle([&] { taken = keyboard_.key(event->key()); });
    }
    if (!taken) {
        QMainWindow::keyPressEvent(event);
    }
}

void TForm1::N17Click() {
    const bool shown = !board_.moveNumbers();
    board_.setMoveNumbers(shown);
    N17->setChecked(shown);
    preferences().setValue(kMoveNumbersKey, shown);
}

void TForm1::N10Click() {
    if (match_.endGame()) {
        update();
    }
}

// The marks follow the match, not the menu's own toggling.
void TForm1::N15Click() {
    match_.setComputerFirst(false);
    ActionList1Update();
}

void TForm1::N16Click() {
    match_.setComputerFirst(true);
    ActionList1Update();
}

void TForm1::check3Click(QAction* sender) {
    const auto items = levels();
    const auto chosen = std::ranges::find(items, sender) - items.begin();
    match_.setLevel(static_cast<Level>(chosen));
    ActionList1Update();
}

void TForm1::matchChanged(const MatchReport& now, const MatchReport& before) {
    if (now.controls != before.controls || now.computerFirstOption != before.computerFirstOption ||
        now.level != before.level) {
        ActionList1Update();
    }
    if (now.firstMover != before.firstMover || now.secondMover != before.secondMover) {
        showSideNames(now.firstMover, now.secondMover);
    }
    board_.showOutcome(now.winningLine, now.gameOver);
    // Nothing is left to play at the cursor: the arrows look back.
    if (now.gameOver && !before.gameOver) {
        keyboard_.pointerUsed();
    }
}

void TForm1::ActionList1Update() {
    const Controls& c = match_.report().controls;
    actSaveGame->setEnabled(c.save);
    actLoadGame->setEnabled(c.load);
    sbtnRestart->setEnabled(c.restart);
    actRegret->setEnabled(c.regret);
    N10->setEnabled(c.endGame);
    N13->setEnabled(c.singlePlay);
    N14->setEnabled(c.netPlay);
    for (QAction* item : {N15, N16, check1, check2, check3, check4}) {
        item->setEnabled(c.options);
    }
    N15->setChecked(!match_.report().computerFirstOption);
    N16->setChecked(match_.report().computerFirstOption);
    for (std::size_t i = 0; i < levels().size(); ++i) {
        levels()[i]->setChecked(static_cast<std::size_t>(match_.report().level) == i);
    }
    setClientHeight(c.chatArea ? kTallClientHeight : kCompactClientHeight);
    Edit1->setEnabled(c.chatArea);
    guge1->setVisible(!c.chatArea);
}

void TForm1::N6Click() { close(); }

void TForm1::N8Click() {
    // The help window has no owner; its result is not used.
    help_.CallHtmlHelp(nullptr, appPath_ + QStringLiteral("rur.chm::/html/ziridugaishu.htm"),
                       HtmlHelpControl::HH_DISPLAY_TOPIC, 0);
}

void TForm1::A1Click() { aboutBox_.ShowModal(); }

void TForm1::actSaveGameExecute() { Timer7->start(); }

void TForm1::actLoadGameExecute() { Timer6->start(); }

} // namespace kivola
