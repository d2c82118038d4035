#include "form1.h"

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>

#include "dialogs.h"
#include "form2.h"
#include "guard.h"
#include "help/about_box.h"
#include "kivola/core/placement.h"
#include "kivola/core/winning_line.h"
#include "chat_view.h"
#include "kivola/match/texts.h"
#include "kivola/net/chat_record.h"
#include "skin.h"
#include "window_design.h"

namespace kivola {

namespace {

constexpr int kBlinkShortMs = 666;
constexpr int kBlinkCycleMs = 3000;
constexpr int kBlinkShowThresholdMs = 1000;

// Every timer but the blink's is a one-shot that defers its work past the current handler.
struct TimerDesign {
    QTimer* TForm1::*timer;
    const char* name;
    int intervalMs;
    void (TForm1::*handler)();
};
constexpr TimerDesign kTimers[] = {
    {&TForm1::Timer1, "Timer1", kBlinkShortMs, &TForm1::Timer1Timer},
    {&TForm1::Timer2, "Timer2", 10, &TForm1::Timer2Timer}, // the peer has left
    {&TForm1::Timer3, "Timer3", 10, &TForm1::Timer3Timer}, // the peer asks to restart
    {&TForm1::Timer4, "Timer4", 10, &TForm1::Timer4Timer}, // the result
    {&TForm1::Timer5, "Timer5", 1, &TForm1::Timer5Timer},  // the peer refused to restart
    {&TForm1::Timer6, "Timer6", 1, &TForm1::Timer6Timer},  // the open dialog
    {&TForm1::Timer7, "Timer7", 1, &TForm1::Timer7Timer},  // the save dialog
    {&TForm1::Timer8, "Timer8", 10, &TForm1::Timer8Timer}, // the link is lost
};

} // namespace

TForm1::TForm1(DialogService& dialogs, const QString& appDir, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), match_(*this, systemNetLibrary()),
      notices_(dialogs, *this, [this](Notice notice) { return match_.noticeText(notice); }),
      appDir_(appDir.isEmpty() ? QCoreApplication::applicationDirPath() : appDir) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Kivola"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    buildControls();
    buildActions();
    buildMenus();
    buildTimers();
    buildNetControls();
    handle([this] { FormCreate(); });
}

TForm1::~TForm1() {
    match_.shutDown();
    if (netEventWindow_ == this) {
        netEventWindow_ = nullptr;
    }
    // The help control goes last, as the window is torn down.
    help_.ReleaseHtmlHelp();
}

void TForm1::buildControls() {
    client = makeClientArea(this);
    setCentralWidget(client);
    qipanPicture = new BoardPicture(client);
    qipanPicture->move(kBoardPictureOrigin);
    connect(qipanPicture, &BoardPicture::pointerMoved, this,
            [this](int x, int y) { handle([&] { qipanPictureMouseMove(x, y); }); });
    connect(qipanPicture, &BoardPicture::clicked, this, [this] { handle([this] { qipanPictureClick(); }); });
    guge1 = makeGauge(client);
    Image2 = makeIndicator(client, "Image2");
    Image1 = makeIndicator(client, "Image1");
    Label1 = makeNameLabel(client, "Label1", 25, QStringLiteral("玩家  "));
    Label2 = makeNameLabel(client, "Label2", 21, QStringLiteral("电脑  "));
    sbtnOpenGame = makeGlyphButton(client, "sbtnOpenGame");
    sbtnSaveGame = makeGlyphButton(client, "sbtnSaveGame");
    sbtnRegret = makeGlyphButton(client, "sbtnRegret");
    sbtnRestart = makeGlyphButton(client, "sbtnRestart");
    Label3 = makeInputCaption(client);
    Edit1 = makeChatInput(client);
    Label4 = makeRecordCaption(client);
    Memo1 = makeChatRecord(client);
    winningMarks_ = new WinningMarks(client);

    // The window as designed, before any file is read: the built-in wood pictures, so it is
    // whole even when res/ cannot be read at all.
    qipanPicture->setPixmap(artwork_.board(0));
    qipanPicture->setGeometry(QRect(kBoardPictureOrigin, kBoardPictureSize));
    Image1->setPixmap(artwork_.stone(0, StoneColour::Second));
    Image2->setPixmap(artwork_.stone(0, StoneColour::First));
    LayoutSidePanel();
    // The chat controls sit below the board picture; keep the picture under everything else.
    qipanPicture->lower();
}

void TForm1::buildActions() {
    actSinglePlay = makeCommand(this, "actSinglePlay", "单机游戏", "开始单机游戏");
    actNetWork = makeCommand(this, "actNetWork", "网络对战", "开始网络游戏");
    actSaveGame = makeCommand(this, "actSaveGame", "保存游戏(&S)", "将当前游戏存盘");
    actLoadGame = makeCommand(this, "actLoadGame", "打开游戏(&O)", "打开游戏文件");
    actRegret = makeCommand(this, "actRegret", "悔棋(&U)", nullptr);
    actRestart = makeCommand(this, "actRestart", "重来(&R)", "重新开始游戏");
    connect(actSinglePlay, &QAction::triggered, this, [this] { handle([this] { actSinglePlayExecute(); }); });
    connect(actSaveGame, &QAction::triggered, this, [this] { handle([this] { actSaveGameExecute(); }); });
    connect(actLoadGame, &QAction::triggered, this, [this] { handle([this] { actLoadGameExecute(); }); });
    connect(actRegret, &QAction::triggered, this, [this] { handle([this] { actRegretExecute(); }); });
    connect(actRestart, &QAction::triggered, this, [this] { handle([this] { actRestartExecute(); }); });
    bindButton(sbtnOpenGame, actLoadGame, true);
    bindButton(sbtnSaveGame, actSaveGame, true);
    bindButton(sbtnRegret, actRegret, true);
    bindButton(sbtnRestart, actRestart, false);
}

void TForm1::buildMenus() {
    using Mark = MenuItemDesign::Mark;
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    bar->setNativeMenuBar(false);
    addDesignedMenu(*bar, "N1", QStringLiteral("游戏(&G)"),
                    {{&N13, "N13", actSinglePlay->text(), Qt::Key_F2},
                     {&N14, "N14", actNetWork->text(), Qt::Key_F3},
                     {&N3, "N3", actSaveGame->text()},
                     {&N4, "N4", actLoadGame->text()},
                     {&N10, "N10", QStringLiteral("结束游戏"), Qt::Key_F5},
                     {nullptr, "N5"},
                     {&N6, "N6", QStringLiteral(" 退  出"), QKeySequence(Qt::ALT | Qt::Key_F4)}});
    addDesignedMenu(*bar, "O1", QStringLiteral("选项(&O)"),
                    {{&N15, "N15", QStringLiteral("玩家先行(&P)"), {}, Mark::On},
                     {&N16, "N16", QStringLiteral("电脑先行(&C)"), {}, Mark::Off},
                     {nullptr, "N2"},
                     {&check1, "check1", QStringLiteral("初级(&E)"), {}, Mark::On},
                     {&check2, "check2", QStringLiteral("中级(&N)"), {}, Mark::Off},
                     {&check3, "check3", QStringLiteral("高级(&H)"), {}, Mark::Off},
                     {nullptr, "N12"},
                     {&N11, "N11", QStringLiteral("木制棋盘"), {}, Mark::On, 1},
                     {&N21, "N21", QStringLiteral("水晶棋盘"), {}, Mark::Off, 2},
                     {&N31, "N31", QStringLiteral("大理石棋盘"), {}, Mark::Off, 3}});
    addDesignedMenu(*bar, "N7", QStringLiteral("帮助(&H)"),
                    {{&N8, "N8", QStringLiteral("帮助主题"), Qt::Key_F1},
                     {nullptr, "N9"},
                     {&A1, "A1", QStringLiteral("关于(&A)")}});

    connect(N13, &QAction::triggered, actSinglePlay, &QAction::trigger);
    connect(N14, &QAction::triggered, actNetWork, &QAction::trigger);
    bindMenuItem(N3, actSaveGame);
    bindMenuItem(N4, actLoadGame);
    connect(N10, &QAction::triggered, this, [this] { handle([this] { N10Click(); }); });
    connect(N6, &QAction::triggered, this, [this] { handle([this] { N6Click(); }); });
    connect(N15, &QAction::triggered, this, [this] { handle([this] { N15Click(); }); });
    connect(N16, &QAction::triggered, this, [this] { handle([this] { N16Click(); }); });
    for (QAction* level : {check1, check2, check3}) {
        connect(level, &QAction::triggered, this, [this, level] { handle([&] { check3Click(level); }); });
    }
    for (QAction* skin : {N11, N21, N31}) {
        connect(skin, &QAction::triggered, this, [this, skin] { handle([&] { changeback(skin); }); });
    }
    connect(N8, &QAction::triggered, this, [this] { handle([this] { N8Click(); }); });
    connect(A1, &QAction::triggered, this, [this] { handle([this] { A1Click(); }); });
}

void TForm1::buildTimers() {
    for (const TimerDesign& design : kTimers) {
        QTimer* timer = makeTimer(this, design.name, design.intervalMs, design.timer != &TForm1::Timer1);
        this->*design.timer = timer;
        connect(timer, &QTimer::timeout, this, [this, handler = design.handler] { handle([&] { (this->*handler)(); }); });
    }
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
    N10->setEnabled(false);
    ApplySkin(0);
}

void TForm1::attachOpponent(TForm2& form2) { match_.attachComputer(form2.computer()); }

void TForm1::ApplySkin(int skin) {
    skinIndex_ = skin;
    // Every board is built in; should none fit after all, the change stops here and the guard
    // drops the error, leaving the previous skin whole in view.
    const QPixmap board = artwork_.board(skin);
    qipanPicture->setPixmap(board);
    qipanPicture->resize(board.deviceIndependentSize().toSize());
    boardSkin_ = skin;
    Image1->setPixmap(artwork_.stone(skin, StoneColour::Second));
    Image2->setPixmap(artwork_.stone(skin, StoneColour::First));
    RefreshPiecePictures();
    LayoutSidePanel();
}

void TForm1::LayoutSidePanel() {
    const SkinLayout& layout = skinLayout()[static_cast<std::size_t>(skinIndex_)];
    guge1->setGeometry(layout.gauge);
    guge1->setOrientation(Qt::Horizontal);
    Image2->move(layout.firstStone);
    Image1->move(layout.secondStone);
    Label1->move(layout.firstLabel);
    Label2->move(layout.secondLabel);
    const QString prefix = QString::number(skinIndex_);
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
    ApplySkin(sender->data().toInt() - 1);
    update();
}

void TForm1::createPiece(int k, int x, int y, StoneColour colour) {
    sprites_.create(client, k, spriteBase(qipanPicture->pos(), x, y), colour, boardSkin_, Image2->pixmap(),
                    Image1->pixmap());
}

// The sprites follow the skin in view: its place and its indicators' pictures.
void TForm1::RefreshPiecePictures() {
    sprites_.followSkin(match().stepCount, boardSkin_, Image2->pixmap(), Image1->pixmap());
}

void TForm1::showPiece(int k) { sprites_.at(k)->setVisible(true); }

void TForm1::bringPieceToFront(int k) { sprites_.at(k)->raise(); }

void TForm1::destroyPiece(int k) { sprites_.destroy(k); }

void TForm1::stopBlink() { Timer1->stop(); }

void TForm1::startBlink() { Timer1->start(); }

void TForm1::Timer1Timer() {
    if (match().stepCount == 0 || match().gameResult != kInProgress) {
        return;
    }
    Timer1->setInterval(kBlinkCycleMs - Timer1->interval());
    sprites_.at(match().stepCount)->setVisible(Timer1->interval() >= kBlinkShowThresholdMs);
}

void TForm1::qipanPictureMouseMove(int x, int y) {
    mouseX_ = x;
    mouseY_ = y;
}

void TForm1::qipanPictureClick() {
    // The blink must not decide what a click on the newest stone does.
    if (sprites_.hiddenNewestCovers(match().stepCount, qipanPicture->mapToParent(QPoint(mouseX_, mouseY_)))) {
        return;
    }
    if (const auto point = pointFromPointer(mouseX_, mouseY_)) {
        match_.click(*point);
    }
}

void TForm1::setProgress(int percent) {
    const int clamped = std::clamp(percent, 0, 100);
    if (guge1->value() != clamped) {
        guge1->setValue(clamped);
        guge1->repaint();
    }
}

int TForm1::progress() const { return guge1->value(); }

void TForm1::repaintNow() { repaint(); }

void TForm1::setSideLabels(const QString& firstMover, const QString& secondMover) {
    Label1->setText(firstMover);
    Label2->setText(secondMover);
}

void TForm1::Timer4Timer() {
    Timer4->stop();
    notices_.tell(Notice::Result);
}

void TForm1::actSinglePlayExecute() { match_.startSinglePlay(); }

void TForm1::actRestartExecute() { match_.restart(); }

void TForm1::actRegretExecute() { match_.takeBack(); }

void TForm1::N10Click() {
    if (match_.endGame()) {
        update();
    }
}

void TForm1::N15Click() { match_.setComputerFirst(false); }

void TForm1::N16Click() { match_.setComputerFirst(true); }

void TForm1::check3Click(QAction* sender) {
    const std::array<QAction*, 3> levels{check1, check2, check3};
    const auto chosen = std::find(levels.begin(), levels.end(), sender) - levels.begin();
    match_.setLevel(static_cast<Level>(chosen));
}

// The commands, check marks and window size as the match allows them now.
void TForm1::ActionList1Update() {
    const Controls c = match_.controls();
    actSaveGame->setEnabled(c.save);
    actLoadGame->setEnabled(c.load);
    sbtnRestart->setEnabled(c.restart);
    actRegret->setEnabled(c.regret);
    N10->setEnabled(c.endGame);
    N13->setEnabled(c.singlePlay);
    N14->setEnabled(c.netPlay);
    for (QAction* item : {N15, N16, check1, check2, check3}) {
        item->setEnabled(c.options);
    }
    N15->setChecked(!match_.computerFirstOption());
    N16->setChecked(match_.computerFirstOption());
    const std::array<QAction*, 3> levels{check1, check2, check3};
    for (std::size_t i = 0; i < levels.size(); ++i) {
        levels[i]->setChecked(static_cast<std::size_t>(match_.level()) == i);
    }
    setClientHeight(c.chatArea ? kTallClientHeight : kCompactClientHeight);
    Edit1->setEnabled(c.chatArea);
    guge1->setVisible(!c.chatArea);
    refreshWinningMarks();
}

void TForm1::refreshWinningMarks() {
    winningMarks_->setMarks(winningStones(FindWinningLine(match()), qipanPicture->pos(), boardSkin_), boardSkin_);
}

void TForm1::N6Click() { close(); }

void TForm1::N8Click() {
    // The help window has no owner; its result is not used.
    help_.CallHtmlHelp(nullptr, appPath_ + QStringLiteral("rur.chm::/html/ziridugaishu.htm"),
                       HtmlHelpControl::HH_DISPLAY_TOPIC, 0);
}

void TForm1::A1Click() {
    if (aboutBox_ != nullptr) {
        aboutBox_->ShowModal();
    }
}

void TForm1::actSaveGameExecute() { Timer7->start(); }

void TForm1::actLoadGameExecute() { Timer6->start(); }

} // namespace kivola
