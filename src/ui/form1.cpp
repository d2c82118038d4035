#include "form1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QSaveFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>
#include <stdexcept>
#include <vector>

#include "dialogs.h"
#include "file_messages.h"
#include "kivola/core/saved_game.h"
#include "form2.h"
#include "guard.h"
#include "help/about_box.h"
#include "kivola/core/placement.h"
#include "kivola/core/winning_line.h"
#include "chat_view.h"
#include "kivola/match/texts.h"
#include "kivola/net/chat_record.h"
#include "kivola/net/gbk_text.h"
#include "nw/nw_events.h"
#include "form1_shared.h"
#include "picture_file.h"
#include "skin.h"

// The built-in artwork lives in a static library; naming it keeps the linker from dropping it.
static void initBuiltinArt() { Q_INIT_RESOURCE(builtin_art); }

namespace kivola {

namespace {

const QString kBuiltinArt = QStringLiteral(":/builtin/");
constexpr QSize kBoardPictureSize{605, 425};
// A stone image is scaled into its sprite; anything far larger is not a stone.
constexpr int kLargestStoneImage = 4 * kStoneImageSize;

// A sprite's top left lies this far before its point's multiple of the pitch.
constexpr int kSpriteInset = 19;

constexpr int kBlinkShortMs = 666;
constexpr int kBlinkCycleMs = 3000;
constexpr int kBlinkShowThresholdMs = 1000;
constexpr int kResultNoticeMs = 10;
constexpr int kFileDialogDelayMs = 1;
constexpr int kLevelDepths[3] = {1, 5, 9};

// One file's picture at the given density, or a null pixmap.
QPixmap readPicture(const QString& path, qreal density) {
    QPixmap pixmap = QPixmap::fromImage(readPictureFile(path));
    pixmap.setDevicePixelRatio(density);
    return pixmap;
}

// name.ext drawn at twice the density.
QString denseName(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return name.left(dot) + QStringLiteral("@2x") + name.mid(dot);
}

bool fitsBoard(const QPixmap& picture) { return picture.deviceIndependentSize().toSize() == kBoardPictureSize; }

bool fitsStone(const QPixmap& picture) {
    const QSizeF size = picture.deviceIndependentSize();
    return size.width() <= kLargestStoneImage && size.height() <= kLargestStoneImage;
}

// Two looks of equal width side by side, each no larger than the button.
auto fitsButton(const QRect& button) {
    return [button](const QPixmap& glyph) {
        const QSizeF size = glyph.deviceIndependentSize();
        return glyph.width() % 2 == 0 && size.width() / 2 <= button.width() && size.height() <= button.height();
    };
}

} // namespace

using namespace form1detail;

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

TForm1::TForm1(DialogService& dialogs, const QString& appDir, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), match_(*this, systemNetLibrary()),
      notices_(dialogs, *this, [this](Notice notice) { return match_.noticeText(notice); }),
      appDir_(appDir.isEmpty() ? QCoreApplication::applicationDirPath() : appDir) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Kivola"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    initBuiltinArt();
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
    client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setAutoFillBackground(true);
    QPalette silver = client->palette();
    silver.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    client->setPalette(silver);
    client->setFont(pixelFont(kSansFamily, 11));
    setCentralWidget(client);

    qipanPicture = new BoardPicture(client);
    qipanPicture->move(kBoardPictureOrigin);
    connect(qipanPicture, &BoardPicture::pointerMoved, this,
            [this](int x, int y) { handle([&] { qipanPictureMouseMove(x, y); }); });
    connect(qipanPicture, &BoardPicture::clicked, this, [this] { handle([this] { qipanPictureClick(); }); });

    guge1 = new QProgressBar(client);
    guge1->setObjectName(QStringLiteral("guge1"));
    guge1->setRange(0, 100);
    guge1->setValue(0);
    guge1->setFormat(QStringLiteral("%p%"));
    guge1->setAlignment(Qt::AlignCenter);
    // Unfilled money green, filled like a tooltip background, a single border.
    guge1->setStyleSheet(QStringLiteral(
        "QProgressBar { background: #C0DCC0; border: 1px solid #404040; color: black; }"
        "QProgressBar::chunk { background: #FFFFE1; }"));
    guge1->setFont(pixelFont(kSansFamily, 11));

    auto makeIndicator = [this](const char* name) {
        auto* image = new QLabel(client);
        image->setObjectName(QString::fromLatin1(name));
        image->setFixedSize(kStoneImageSize, kStoneImageSize);
        image->setScaledContents(true);
        return image;
    };
    Image2 = makeIndicator("Image2");
    Image1 = makeIndicator("Image1");

    auto makeNameLabel = [this](const char* name, int height) {
        auto* label = new QLabel(QStringLiteral("玩家  "), client);
        label->setObjectName(QString::fromLatin1(name));
        label->setFixedSize(97, height);
        label->setFont(pixelFont(kSansFamily, 13));
        // The names come from the peer: never read as markup.
        label->setTextFormat(Qt::PlainText);
        QPalette white = label->palette();
        white.setColor(QPalette::WindowText, Qt::white);
        label->setPalette(white);
        return label;
    };
    Label1 = makeNameLabel("Label1", 25);
    Label2 = makeNameLabel("Label2", 21);
    Label2->setText(QStringLiteral("电脑  "));

    auto makeButton = [this](const char* name) {
        auto* button = new QToolButton(client);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoRaise(true);
        button->setCursor(Qt::PointingHandCursor);
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setFocusPolicy(Qt::NoFocus);
        // Flat: the glyph carries the look, the button only its frame on hover.
        button->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0; background: transparent; }"
                                             "QToolButton:hover { border: 1px solid rgba(255,255,255,120); }"
                                             "QToolButton:pressed { border: 1px solid rgba(0,0,0,140); }"));
        return button;
    };
    sbtnOpenGame = makeButton("sbtnOpenGame");
    sbtnSaveGame = makeButton("sbtnSaveGame");
    sbtnRegret = makeButton("sbtnRegret");
    sbtnRestart = makeButton("sbtnRestart");

    Label3 = new QLabel(QStringLiteral("输入框："), client);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(3, 426, 63, 17);
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setFont(pixelFont(kSansFamily, 13));

    Edit1 = new QLineEdit(client);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(56, 424, 545, 24);
    Edit1->setMaxLength(80);
    Edit1->setFont(pixelFont(kSerifFamily, 16));

    Label4 = new QLabel(QStringLiteral("记  录"), client);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setGeometry(4, 454, 17, 49);
    Label4->setAlignment(Qt::AlignCenter);
    Label4->setWordWrap(true);
    Label4->setFont(pixelFont(kSansFamily, 14));

    Memo1 = new QPlainTextEdit(client);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(24, 445, 577, 65);
    Memo1->setReadOnly(true);
    // A whole match of chat would otherwise pile up in the undo history.
    Memo1->setUndoRedoEnabled(false);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setFont(pixelFont(kSerifFamily, 16));
    QPalette face = Memo1->palette();
    face.setColor(QPalette::Base, QColor(0xF0, 0xF0, 0xF0));
    Memo1->setPalette(face);

    winningMarks_ = new WinningMarks(client);

    // The window as designed, before any file is read: wood pictures and rectangles, so it is
    // whole even when res/ cannot be read at all.
    loadStoneImages();
    const QPixmap board = loadArt(QStringLiteral("Picture1.bmp"), fitsBoard);
    qipanPicture->setPixmap(board);
    qipanPicture->setGeometry(QRect(kBoardPictureOrigin, kBoardPictureSize));
    Image1->setPixmap(imagesList_[0]);
    Image2->setPixmap(imagesList_[1]);
    placeSidePanel(skinLayout()[0]);
    const SkinLayout& wood = skinLayout()[0];
    const std::pair<QToolButton*, QRect> buttons[] = {{sbtnOpenGame, wood.openButton},
                                                      {sbtnSaveGame, wood.saveButton},
                                                      {sbtnRegret, wood.regretButton},
                                                      {sbtnRestart, wood.restartButton}};
    for (int b = 0; b < 4; ++b) {
        loadGlyph(buttons[b].first, QStringLiteral("0_%1.bmp").arg(QChar(u'a' + b)), buttons[b].second);
    }

    // The chat controls sit below the board picture; keep the picture under everything else.
    qipanPicture->lower();
}

QAction* TForm1::menuAction(QMenu* menu, const char* name, const QString& caption) {
    auto* item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    return item;
}

void TForm1::buildActions() {
    auto makeAction = [this](const char* name, const QString& caption, const QString& hint) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setStatusTip(hint);
        action->setProperty("category", QStringLiteral("Menu"));
        return action;
    };
    actSinglePlay = makeAction("actSinglePlay", QStringLiteral("单机游戏"), QStringLiteral("开始单机游戏"));
    actNetWork = makeAction("actNetWork", QStringLiteral("网络对战"), QStringLiteral("开始网络游戏"));
    actSaveGame = makeAction("actSaveGame", QStringLiteral("保存游戏(&S)"), QStringLiteral("将当前游戏存盘"));
    actLoadGame = makeAction("actLoadGame", QStringLiteral("打开游戏(&O)"), QStringLiteral("打开游戏文件"));
    actRegret = makeAction("actRegret", QStringLiteral("悔棋(&U)"), QString());
    actRestart = makeAction("actRestart", QStringLiteral("重来(&R)"), QStringLiteral("重新开始游戏"));

    connect(actSinglePlay, &QAction::triggered, this, [this] { handle([this] { actSinglePlayExecute(); }); });
    connect(actSaveGame, &QAction::triggered, this, [this] { handle([this] { actSaveGameExecute(); }); });
    connect(actLoadGame, &QAction::triggered, this, [this] { handle([this] { actLoadGameExecute(); }); });
    connect(actRegret, &QAction::triggered, this, [this] { handle([this] { actRegretExecute(); }); });
    connect(actRestart, &QAction::triggered, this, [this] { handle([this] { actRestartExecute(); }); });

    // A bound control runs its action only while the action is enabled.
    auto bindButton = [this](QToolButton* button, QAction* action, bool followEnabled) {
        connect(button, &QToolButton::clicked, action, [action] {
            if (action->isEnabled()) {
                action->trigger();
            }
        });
        if (followEnabled) {
            connect(action, &QAction::changed, button, [button, action] { button->setEnabled(action->isEnabled()); });
        }
    };
    bindButton(sbtnOpenGame, actLoadGame, true);
    bindButton(sbtnSaveGame, actSaveGame, true);
    bindButton(sbtnRegret, actRegret, true);
    bindButton(sbtnRestart, actRestart, false);
}

void TForm1::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    bar->setNativeMenuBar(false);

    QMenu* game = bar->addMenu(QStringLiteral("游戏(&G)"));
    game->setObjectName(QStringLiteral("N1"));
    N13 = menuAction(game, "N13", actSinglePlay->text());
    N13->setShortcut(Qt::Key_F2);
    N14 = menuAction(game, "N14", actNetWork->text());
    N14->setShortcut(Qt::Key_F3);
    N3 = menuAction(game, "N3", actSaveGame->text());
    N4 = menuAction(game, "N4", actLoadGame->text());
    N10 = menuAction(game, "N10", QStringLiteral("结束游戏"));
    N10->setShortcut(Qt::Key_F5);
    game->addSeparator()->setObjectName(QStringLiteral("N5"));
    N6 = menuAction(game, "N6", QStringLiteral(" 退  出"));
    N6->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));

    connect(N13, &QAction::triggered, actSinglePlay, &QAction::trigger);
    connect(N14, &QAction::triggered, actNetWork, &QAction::trigger);
    connect(N3, &QAction::triggered, actSaveGame, [this] {
        if (actSaveGame->isEnabled()) actSaveGame->trigger();
    });
    connect(N4, &QAction::triggered, actLoadGame, [this] {
        if (actLoadGame->isEnabled()) actLoadGame->trigger();
    });
    connect(actSaveGame, &QAction::changed, N3, [this] { N3->setEnabled(actSaveGame->isEnabled()); });
    connect(actLoadGame, &QAction::changed, N4, [this] { N4->setEnabled(actLoadGame->isEnabled()); });
    connect(N10, &QAction::triggered, this, [this] { handle([this] { N10Click(); }); });
    connect(N6, &QAction::triggered, this, [this] { handle([this] { N6Click(); }); });

    QMenu* options = bar->addMenu(QStringLiteral("选项(&O)"));
    options->setObjectName(QStringLiteral("O1"));
    N15 = menuAction(options, "N15", QStringLiteral("玩家先行(&P)"));
    N16 = menuAction(options, "N16", QStringLiteral("电脑先行(&C)"));
    options->addSeparator()->setObjectName(QStringLiteral("N2"));
    check1 = menuAction(options, "check1", QStringLiteral("初级(&E)"));
    check2 = menuAction(options, "check2", QStringLiteral("中级(&N)"));
    check3 = menuAction(options, "check3", QStringLiteral("高级(&H)"));
    options->addSeparator()->setObjectName(QStringLiteral("N12"));
    N11 = menuAction(options, "N11", QStringLiteral("木制棋盘"));
    N21 = menuAction(options, "N21", QStringLiteral("水晶棋盘"));
    N31 = menuAction(options, "N31", QStringLiteral("大理石棋盘"));
    // The handlers own the check marks: a click must not toggle them by itself.
    for (QAction* item : {N15, N16, check1, check2, check3, N11, N21, N31}) {
        item->setCheckable(true);
    }
    N15->setChecked(true);
    check1->setChecked(true);
    N11->setChecked(true);
    N11->setData(1);
    N21->setData(2);
    N31->setData(3);
    connect(N15, &QAction::triggered, this, [this] { handle([this] { N15Click(); }); });
    connect(N16, &QAction::triggered, this, [this] { handle([this] { N16Click(); }); });
    for (QAction* level : {check1, check2, check3}) {
        connect(level, &QAction::triggered, this, [this, level] { handle([&] { check3Click(level); }); });
    }
    for (QAction* skin : {N11, N21, N31}) {
        connect(skin, &QAction::triggered, this, [this, skin] { handle([&] { changeback(skin); }); });
    }

    QMenu* help = bar->addMenu(QStringLiteral("帮助(&H)"));
    help->setObjectName(QStringLiteral("N7"));
    N8 = menuAction(help, "N8", QStringLiteral("帮助主题"));
    N8->setShortcut(Qt::Key_F1);
    help->addSeparator()->setObjectName(QStringLiteral("N9"));
    A1 = menuAction(help, "A1", QStringLiteral("关于(&A)"));
    connect(N8, &QAction::triggered, this, [this] { handle([this] { N8Click(); }); });
    connect(A1, &QAction::triggered, this, [this] { handle([this] { A1Click(); }); });
}

QTimer* TForm1::makeTimer(const char* name, int interval, bool singleShot) {
    auto* timer = new QTimer(this);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setInterval(interval);
    timer->setSingleShot(singleShot);
    return timer;
}

void TForm1::buildTimers() {
    Timer1 = makeTimer("Timer1", kBlinkShortMs, false);
    Timer4 = makeTimer("Timer4", kResultNoticeMs, true);
    Timer6 = makeTimer("Timer6", kFileDialogDelayMs, true);
    Timer7 = makeTimer("Timer7", kFileDialogDelayMs, true);
    connect(Timer1, &QTimer::timeout, this, [this] { handle([this] { Timer1Timer(); }); });
    connect(Timer4, &QTimer::timeout, this, [this] { handle([this] { Timer4Timer(); }); });
    connect(Timer6, &QTimer::timeout, this, [this] { handle([this] { Timer6Timer(); }); });
    connect(Timer7, &QTimer::timeout, this, [this] { handle([this] { Timer7Timer(); }); });
}

void TForm1::loadStoneImages() {
    for (int k = 0; k < 2 * kSkinCount; ++k) {
        // Every stone is built in, so the list is never left with an invisible stone.
        imagesList_[k] = loadArt(QStringLiteral("stone%1_%2.png").arg(k / 2).arg(k % 2 == 0 ? "white" : "black"),
                                 fitsStone);
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
    loadStoneImages();
    for (QToolButton* button : {sbtnRestart, sbtnRegret, sbtnSaveGame, sbtnOpenGame}) {
        button->setText(QString());
    }
    N10->setEnabled(false);
    ApplySkin(0);
}

void TForm1::attachOpponent(TForm2& form2) { match_.attachComputer(form2.computer()); }

QPixmap TForm1::loadArt(const QString& file, const std::function<bool(const QPixmap&)>& fits) const {
    // Before start-up has named the folder only the built-in copy is read.
    QStringList folders{kBuiltinArt};
    if (!appPath_.isEmpty()) {
        folders.prepend(appPath_ + QStringLiteral("res/"));
    }
    // On a high-density screen the dense file comes first; the plain one serves when it fails.
    const bool dense = devicePixelRatioF() > 1.0;
    for (const QString& folder : folders) {
        if (dense) {
            const QPixmap picture = readPicture(folder + denseName(file), 2.0);
            if (!picture.isNull() && fits(picture)) {
                return picture;
            }
        }
        const QPixmap picture = readPicture(folder + file, 1.0);
        if (!picture.isNull() && fits(picture)) {
            return picture;
        }
    }
    return {};
}

void TForm1::ApplySkin(int skin) {
    skinIndex_ = skin;
    // Only the wood board is built in: without its file another skin's change stops here, and
    // the guard drops the error, leaving the previous skin whole in view.
    const QPixmap board = loadArt(QStringLiteral("Picture%1.bmp").arg(skin + 1), fitsBoard);
    if (board.isNull()) {
        throw std::runtime_error("no usable board picture for skin " + std::to_string(skin));
    }
    qipanPicture->setPixmap(board);
    qipanPicture->resize(board.deviceIndependentSize().toSize());
    boardSkin_ = skin;
    Image1->setPixmap(imagesList_[2 * skin]);
    Image2->setPixmap(imagesList_[2 * skin + 1]);
    for (int k = 1; k <= match().stepCount; ++k) {
        pieces_[k]->move(piecePosition(pieces_[k]));
    }
    RefreshPiecePictures();
    LayoutSidePanel();
}

void TForm1::loadGlyph(QToolButton* button, const QString& file, const QRect& rect) {
    const QPixmap glyph = loadArt(file, fitsButton(rect));
    if (glyph.isNull()) {
        throw std::runtime_error("no usable glyph " + file.toStdString());
    }
    const int half = glyph.width() / 2;
    auto look = [&](int left) {
        QPixmap part = glyph.copy(left, 0, half, glyph.height());
        part.setDevicePixelRatio(glyph.devicePixelRatio());
        return part;
    };
    QIcon icon;
    icon.addPixmap(look(0), QIcon::Normal);
    icon.addPixmap(look(half), QIcon::Disabled);
    button->setIcon(icon);
    button->setIconSize(look(0).deviceIndependentSize().toSize());
    button->setGeometry(rect);
}

void TForm1::placeSidePanel(const SkinLayout& layout) {
    guge1->setGeometry(layout.gauge);
    guge1->setOrientation(Qt::Horizontal);
    Image2->move(layout.firstStone);
    Image1->move(layout.secondStone);
    Label1->move(layout.firstLabel);
    Label2->move(layout.secondLabel);
}

void TForm1::LayoutSidePanel() {
    const SkinLayout& layout = skinLayout()[static_cast<std::size_t>(skinIndex_)];
    placeSidePanel(layout);
    const QString prefix = QString::number(skinIndex_);
    loadGlyph(sbtnOpenGame, prefix + QStringLiteral("_a.bmp"), layout.openButton);
    loadGlyph(sbtnSaveGame, prefix + QStringLiteral("_b.bmp"), layout.saveButton);
    loadGlyph(sbtnRegret, prefix + QStringLiteral("_c.bmp"), layout.regretButton);
    loadGlyph(sbtnRestart, prefix + QStringLiteral("_d.bmp"), layout.restartButton);
}

void TForm1::changeback(QAction* sender) {
    for (QAction* item : {N11, N21, N31}) {
        item->setChecked(false);
    }
    sender->setChecked(true);
    ApplySkin(sender->data().toInt() - 1);
    update();
}

QPoint TForm1::piecePosition(const TPiece* sprite) const {
    const int offset = skinLayout()[static_cast<std::size_t>(boardSkin_)].pieceOffset;
    return {sprite->baseLeft + offset, sprite->baseTop + offset};
}

void TForm1::createPiece(int k, int x, int y, StoneColour colour) {
    auto* sprite = new TPiece(client);
    sprite->setObjectName(QStringLiteral("piece%1").arg(k));
    sprite->setScaledContents(true);
    sprite->setAttribute(Qt::WA_TransparentForMouseEvents);
    pieces_[k] = sprite;
    sprite->baseLeft = qipanPicture->x() + kPointPitch * x - kSpriteInset;
    sprite->baseTop = qipanPicture->y() + kPointPitch * y - kSpriteInset;
    sprite->move(piecePosition(sprite));
    sprite->stoneColor = colour;
    sprite->pictureDue = true;
    const TPiece* twoEarlier = k > 2 ? pieces_[k - 2] : nullptr;
    if (twoEarlier != nullptr && twoEarlier->stoneColor == colour) {
        // Where sides alternate the stone two moves earlier is the same side's: its picture serves.
        sprite->resize(kStoneImageSize, kStoneImageSize);
        sprite->setPixmap(twoEarlier->pixmap());
    } else {
        // A loaded file need not alternate; a stone always shows its own colour.
        AssignPiecePicture(sprite);
    }
    sprite->raise();
    sprite->show();
}

void TForm1::AssignPiecePicture(TPiece* sprite) {
    if (!sprite->pictureDue) {
        return;
    }
    sprite->pictureDue = false;
    sprite->setPixmap(sprite->stoneColor == StoneColour::First ? Image2->pixmap() : Image1->pixmap());
    sprite->resize(kStoneImageSize, kStoneImageSize);
}

void TForm1::RefreshPiecePictures() {
    for (int k = 1; k <= match().stepCount; ++k) {
        pieces_[k]->pictureDue = true;
        AssignPiecePicture(pieces_[k]);
    }
}

void TForm1::showPiece(int k) { pieces_[k]->setVisible(true); }

void TForm1::bringPieceToFront(int k) { pieces_[k]->raise(); }

void TForm1::destroyPiece(int k) {
    delete pieces_[k];
    pieces_[k] = nullptr;
}

void TForm1::stopBlink() { Timer1->stop(); }

void TForm1::startBlink() { Timer1->start(); }

void TForm1::Timer1Timer() {
    if (match().stepCount == 0 || match().gameResult != kInProgress) {
        return;
    }
    Timer1->setInterval(kBlinkCycleMs - Timer1->interval());
    pieces_[match().stepCount]->setVisible(Timer1->interval() >= kBlinkShowThresholdMs);
}

void TForm1::qipanPictureMouseMove(int x, int y) {
    mouseX_ = x;
    mouseY_ = y;
}

void TForm1::qipanPictureClick() { match_.click(mouseX_, mouseY_); }

void TForm1::ComputerMove() { match_.ComputerMove(); }

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
    std::vector<QRect> stones;
    const int offset = skinLayout()[static_cast<std::size_t>(boardSkin_)].pieceOffset;
    for (const LineRun& run : FindWinningLine(match()).runs) {
        const int dx = (run.toX > run.fromX) - (run.toX < run.fromX);
        const int dy = (run.toY > run.fromY) - (run.toY < run.fromY);
        for (int x = run.fromX, y = run.fromY;; x += dx, y += dy) {
            const QRect stone(qipanPicture->x() + kPointPitch * x - kSpriteInset + offset,
                              qipanPicture->y() + kPointPitch * y - kSpriteInset + offset, kStoneImageSize,
                              kStoneImageSize);
            // Two runs through the deciding stone share it.
            if (std::find(stones.begin(), stones.end(), stone) == stones.end()) {
                stones.push_back(stone);
            }
            if (x == run.toX && y == run.toY) {
                break;
            }
        }
    }
    winningMarks_->setMarks(stones, boardSkin_);
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
