#include "main_window_design.h"

#include <QAction>
#include <QMainWindow>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTextEdit>
#include <QToolButton>
#include <tuple>

#include "board_picture.h"
#include "kivola/match/match_view.h"
#include "skin.h"
#include "window_design.h"

namespace kivola {

DesignedControls::DesignedControls(QMainWindow& window) {
    window.setObjectName(QStringLiteral("TForm1"));
    window.setWindowTitle(QStringLiteral("Kivola"));
    window.setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    client = makeClientArea(&window);
    window.setCentralWidget(client);
    qipanPicture = new BoardPicture(client);
    qipanPicture->move(kBoardPictureOrigin);
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

    actSinglePlay = makeCommand(&window, "actSinglePlay", "单机游戏", "开始单机游戏");
    actNetWork = makeCommand(&window, "actNetWork", "网络对战", "开始网络游戏");
    actSaveGame = makeCommand(&window, "actSaveGame", "保存游戏(&S)", "将当前游戏存盘");
    actLoadGame = makeCommand(&window, "actLoadGame", "打开游戏(&O)", "打开游戏文件");
    actRegret = makeCommand(&window, "actRegret", "悔棋(&U)", nullptr);
    actRestart = makeCommand(&window, "actRestart", "重来(&R)", "重新开始游戏");
    bindButton(sbtnOpenGame, actLoadGame, true);
    bindButton(sbtnSaveGame, actSaveGame, true);
    bindButton(sbtnRegret, actRegret, true);
    bindButton(sbtnRestart, actRestart, false);
    // What a screen reader says of each control; the board says more as its cursor moves.
    for (const auto& [widget, name, description] :
         {std::tuple<QWidget*, const char*, const char*>{sbtnOpenGame, "打开游戏", "打开一局保存的游戏"},
          {sbtnSaveGame, "保存游戏", "将当前游戏存盘"},
          {sbtnRegret, "悔棋", "收回最后一步"},
          {sbtnRestart, "重来", "重新开始这一局"},
          {Image2, "黑子", "先行一方的棋子"},
          {Image1, "白子", "后行一方的棋子"},
          {Label1, "先行方", "执黑子先走的一方"},
          {Label2, "后行方", "执白子后走的一方"},
          {Edit1, "聊天输入框", "输入一行文字，按回车发给对方"},
          {Memo1, "聊天记录", "双方说过的话"}}) {
        widget->setAccessibleName(QString::fromUtf8(name));
        widget->setAccessibleDescription(QString::fromUtf8(description));
    }

    using Mark = MenuItemDesign::Mark;
    QMenuBar* bar = window.menuBar();
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
                     {&check4, "check4", QStringLiteral("大师(&M)"), {}, Mark::Off},
                     {nullptr, "N12"},
                     {&N11, "N11", QStringLiteral("木制棋盘"), {}, Mark::On, 1},
                     {&N21, "N21", QStringLiteral("水晶棋盘"), {}, Mark::Off, 2},
                     {&N31, "N31", QStringLiteral("大理石棋盘"), {}, Mark::Off, 3},
                     {nullptr, "N18"},
                     {&N17, "N17", QStringLiteral("显示手数(&S)"), {}, Mark::Off}});
    addDesignedMenu(*bar, "N7", QStringLiteral("帮助(&H)"),
                    {{&N8, "N8", QStringLiteral("帮助主题"), Qt::Key_F1},
                     {nullptr, "N9"},
                     {&A1, "A1", QStringLiteral("关于(&A)")}});
    QObject::connect(N13, &QAction::triggered, actSinglePlay, &QAction::trigger);
    QObject::connect(N14, &QAction::triggered, actNetWork, &QAction::trigger);
    bindMenuItem(N3, actSaveGame);
    bindMenuItem(N4, actLoadGame);

    // One-shot: each defers its work past the handler that started it.
    Timer2 = makeTimer(&window, "Timer2", 10, true);
    Timer3 = makeTimer(&window, "Timer3", 10, true);
    Timer4 = makeTimer(&window, "Timer4", 10, true);
    Timer5 = makeTimer(&window, "Timer5", 1, true);
    Timer6 = makeTimer(&window, "Timer6", 1, true);
    Timer7 = makeTimer(&window, "Timer7", 1, true);
    Timer8 = makeTimer(&window, "Timer8", 10, true);
}

void DesignedControls::showSideNames(const QString& firstMover, const QString& secondMover) {
    Label1->setText(firstMover);
    Label2->setText(secondMover);
    Label1->setAccessibleName(QStringLiteral("先行方：") + firstMover.trimmed());
    Label2->setAccessibleName(QStringLiteral("后行方：") + secondMover.trimmed());
}

QTimer* DesignedControls::noticeTimer(Notice notice) const {
    // In Notice's order.
    const std::array<QTimer*, kNoticeKinds> timers{Timer4, Timer2, Timer3, Timer5, Timer8};
    return timers[static_cast<std::size_t>(notice)];
}

} // namespace kivola
