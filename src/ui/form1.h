#pragma once
// The main window: side panel, chat area, menus, commands and notices around the board view.

#include <QAction>
#include <QLabel>
#include <QMainWindow>

#include "artwork.h"
#include "board_keyboard.h"
#include "board_picture.h"
#include "board_view.h"
#include "game_file.h"
#include "guard.h"
#include "help/about_box.h"
#include "help/html_help.h"
#include "kivola/match/match_controller.h"
#include "kivola/net/net_event_route.h"
#include "main_window_design.h"
#include "notice_board.h"

namespace kivola {

class TForm1 : public QMainWindow, public MatchView, private DesignedControls {
    Q_OBJECT
public:
    // The opponent's holder and the library are made first and go last. appDir stands for the
    // executable's folder (tests hand in a copy with pieces missing).
    TForm1(DialogService& dialogs, ComputerPlayer& computer, NetLibrary& library, const QString& appDir = {},
           QWidget* parent = nullptr);
    HtmlHelpControl& helpControl() { return help_; }
    ~TForm1() override;

    const MatchState& match() const { return match_.state(); }
    MatchController& controller() { return match_; }
    BoardView& board() { return board_; }
    int skinIndex() const { return skinNumber(skin_); }
    int chromeHeight() const { return chromeHeight_; }
    const QString& appPath() const { return appPath_; }
    TPiece* piece(int k) const { return board_.piece(k); }

    // Start-up; the constructor runs it, the way a window's creation handler would.
    void FormCreate();
    void ApplySkin(Skin skin);
    void LayoutSidePanel();
    void changeback(QAction* sender);
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
    void N17Click();
    void N6Click();
    void N8Click();
    void A1Click();
    void Timer4Timer();
    void Timer6Timer();
    void Timer7Timer();

    // Network play.
    void actNetWorkExecute();
    void Edit1KeyDown();
    void Timer2Timer();
    void Timer3Timer();
    void Timer5Timer();
    void Timer8Timer();
    // Displayed lines of Memo1: a wrapped text counts once per line on screen.
    int memoDisplayedLines() const;
    // The commands, check marks and window size as the match last reported them.
    void ActionList1Update();
    void ApplicationEvents1Exception() {}

    // MatchView
    void matchChanged(const MatchReport& now, const MatchReport& before) override;
    void appendChatLine(const QString& line) override;
    void clearChat() override;
    void armNotice(Notice notice) override;
    void withdrawNotice(Notice notice) override;
    bool confirm(Question question) override;
    void closeAboutBox() override;
    void networkReleased() override;
    void stoneReplayed() override { repaint(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    // The library's two messages arrive as posted events.
    bool event(QEvent* event) override;
    // Keys nothing else took: the board's cursor and looking back.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void connectHandlers();
    void setClientHeight(int height);
    // Every handler runs through here: an error ends it and is dropped.
    template <typename Handler> void handle(Handler&& handler) {
        runGuarded(std::forward<Handler>(handler), [this] { ApplicationEvents1Exception(); });
    }

    TAboutBox aboutBox_{this};
    HtmlHelpControl help_;
    DialogService& dialogs_;
    BoardView board_;
    MatchController match_;
    BoardKeyboard keyboard_;
    NoticeBoard notices_;
    // Anything from the peer brings the live board back first.
    NetEventRoute netEvents_{[this](const NetEvent& event) {
        handle([&] {
            keyboard_.leave();
            match_.receive(event);
        });
    }};

    QString appDir_;
    GameFileDialogs files_{dialogs_, *this};
    Skin skin_ = Skin::Wood;
    int chromeHeight_ = 0;
    QString appPath_;
    int mouseX_ = 0;
    int mouseY_ = 0;
    Artwork artwork_{*this};
};

} // namespace kivola
