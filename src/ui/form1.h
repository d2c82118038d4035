#pragma once
// The main window: board picture with stone sprites, side panel, chat area, menus and commands.

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QString>

#include "kivola/match/match_controller.h"
#include "artwork.h"
#include "board_picture.h"
#include "dialogs.h"
#include "guard.h"
#include "help/html_help.h"
#include "notice_board.h"
#include "piece.h"

class QLineEdit;
class QTextEdit;
class QProgressBar;
class QTimer;
class QToolButton;

namespace kivola {

class TAboutBox;
class TForm2;

class TForm1 : public QMainWindow, public MatchView {
    Q_OBJECT
public:
    // appDir stands for the executable's folder (tests hand in a copy with pieces missing).
    explicit TForm1(DialogService& dialogs, const QString& appDir = {}, QWidget* parent = nullptr);
    // The opponent's holder is created after the main window.
    void attachOpponent(TForm2& form2);
    void attachAboutBox(TAboutBox& about) { aboutBox_ = &about; }
    HtmlHelpControl& helpControl() { return help_; }
    ~TForm1() override;

    MatchState& match() { return match_.state(); }
    const MatchState& match() const { return match_.state(); }
    MatchController& controller() { return match_; }
    int skinIndex() const { return skinIndex_; }
    int chromeHeight() const { return chromeHeight_; }
    const QString& appPath() const { return appPath_; }
    TPiece* piece(int k) const { return (k >= 1 && k <= match().stepCount) ? sprites_.at(k) : nullptr; }
    const WinningMarks* winningMarks() const { return winningMarks_; }
    int mouseX() const { return mouseX_; }
    int mouseY() const { return mouseY_; }
    // The network library the window talks to; the system's libNW unless a test hands another.
    void attachNetLibrary(NetLibrary& library) { match_.setLibrary(library); }

    // Start-up; the constructor runs it, the way a window's creation handler would.
    void FormCreate();
    void ApplySkin(int skin);
    void LayoutSidePanel();
    void changeback(QAction* sender);
    void RefreshPiecePictures();
    void Timer1Timer();
    void qipanPictureMouseMove(int x, int y);
    void qipanPictureClick();
    void actSinglePlayExecute();
    void actRestartExecute();
    void actRegretExecute();
    void actSaveGameExecute();
    void actLoadGameExecute();
    void N10Click();
    void N15Click();
    void N16Click();
    void check3Click(QAction* sender);
    void N6Click();
    void N8Click();
    void A1Click();
    void Timer4Timer();
    void Timer6Timer();
    void Timer7Timer();

    // Network play.
    void actNetWorkExecute();
    // The library's plain C callback; it reaches the window that last opened network play.
    static void NetEventProc(std::int32_t unused, NetEvent* event);
    void Edit1KeyDown(int key);
    void Timer2Timer();
    void Timer3Timer();
    void Timer5Timer();
    void Timer8Timer();
    void EndNetMatch();
    // Displayed lines of Memo1: a wrapped text counts once per line on screen.
    int memoDisplayedLines() const;
    void ActionList1Update();
    void ApplicationEvents1Exception() {}

    // MatchView: the gauge, the stones, and what the match reports.
    void setProgress(int percent) override;
    int progress() const override;
    void repaintNow() override;
    void createPiece(int k, int x, int y, StoneColour colour) override;
    void showPiece(int k) override;
    void bringPieceToFront(int k) override;
    void destroyPiece(int k) override;
    void stopBlink() override;
    void startBlink() override;
    void setSideLabels(const QString& firstMover, const QString& secondMover) override;
    void appendChatLine(const QString& line) override;
    void clearChat() override;
    void armNotice(Notice notice) override;
    void withdrawNotice(Notice notice) override;
    bool confirm(Question question) override;
    void closeAboutBox() override;
    void networkReleased() override;
    void modeChanged() override { ActionList1Update(); }
    void stoneReplayed() override { repaint(); }

    void setClientHeight(int height);

protected:
    void closeEvent(QCloseEvent* event) override;
    // The library's two messages arrive as posted events.
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildActions();
    void buildMenus();
    void buildTimers();
    void buildNetControls();
    QTimer* noticeTimer(Notice notice) const;
    // The marks follow the match state; the idle-time update calls it.
    void refreshWinningMarks();
    // Every handler runs through here: errors are dropped, then the enabling rules follow.
    template <typename Handler> void handle(Handler&& handler) {
        runGuarded(std::forward<Handler>(handler), [this] {
            ApplicationEvents1Exception();
            ActionList1Update();
        });
    }
    static TForm1* netEventWindow_;

    TAboutBox* aboutBox_ = nullptr;
    HtmlHelpControl help_;
    DialogService& dialogs_;
    MatchController match_;
    NoticeBoard notices_;

    QString appDir_;
    QString gameFolder_; // where a game was last loaded or saved; empty until then
    int skinIndex_ = 0;
    int boardSkin_ = 0; // the skin whose board picture is in view; sprites take its offset
    int chromeHeight_ = 0;
    QString appPath_;
    int mouseX_ = 0;
    int mouseY_ = 0;
    StoneSprites sprites_;
    Artwork artwork_{*this};
    WinningMarks* winningMarks_ = nullptr;

public:
    // Controls, named as designed.
    QWidget* client = nullptr;
    BoardPicture* qipanPicture = nullptr;
    QProgressBar* guge1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QToolButton* sbtnOpenGame = nullptr;
    QToolButton* sbtnSaveGame = nullptr;
    QToolButton* sbtnRegret = nullptr;
    QToolButton* sbtnRestart = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label4 = nullptr;
    QTextEdit* Memo1 = nullptr;

    QAction* actSinglePlay = nullptr;
    QAction* actNetWork = nullptr;
    QAction* actSaveGame = nullptr;
    QAction* actLoadGame = nullptr;
    QAction* actRegret = nullptr;
    QAction* actRestart = nullptr;

    QAction* N13 = nullptr;
    QAction* N14 = nullptr;
    QAction* N3 = nullptr;
    QAction* N4 = nullptr;
    QAction* N10 = nullptr;
    QAction* N6 = nullptr;
    QAction* N15 = nullptr;
    QAction* N16 = nullptr;
    QAction* check1 = nullptr;
    QAction* check2 = nullptr;
    QAction* check3 = nullptr;
    QAction* N11 = nullptr;
    QAction* N21 = nullptr;
    QAction* N31 = nullptr;
    QAction* N8 = nullptr;
    QAction* A1 = nullptr;

    QTimer* Timer1 = nullptr;
    QTimer* Timer4 = nullptr;
    QTimer* Timer6 = nullptr;
    QTimer* Timer7 = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer3 = nullptr;
    QTimer* Timer5 = nullptr;
    QTimer* Timer8 = nullptr;
};

} // namespace kivola
