#pragma once
// The one match of the program: its state, the computer's level, the mode, and every step of a
// game against the computer or a remote player. The window forwards the player's commands here
// and draws what comes back: stones through StoneDisplay, the search through SearchProgress, and
// everything else as one MatchReport through MatchView.

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <optional>

#include "kivola/core/match_state.h"
#include "kivola/core/saved_game.h"
#include "kivola/core/stone_display.h"
#include "kivola/match/computer_player.h"
#include "kivola/match/master_player.h"
#include "kivola/match/match_view.h"
#include "kivola/net/net_library.h"
#include "kivola/opponent/search_progress.h"

namespace kivola {

enum class MatchMode { None, Single, Network };

inline constexpr int kFirstSeat = 1;
inline constexpr int kSecondSeat = 2;

class MatchController {
public:
    // The computer plays at the level chosen here from now on.
    MatchController(MatchView& view, StoneDisplay& stones, SearchProgress& progress, ComputerPlayer& computer,
                    NetLibrary& library);
    MatchController(const MatchController&) = delete;
    MatchController& operator=(const MatchController&) = delete;

    MatchState& state() { return state_; }
    const MatchState& state() const { return state_; }
    MatchMode mode() const;
    Controls controls() const;
    // What the view was last told.
    const MatchReport& report() const { return reported_; }
    Level level() const { return level_; }
    bool computerFirstOption() const { return state_.computerFirstOption != 0; }

    // Start-up: no game, the player moves first, nothing on the board.
    void reset();

    // Against the computer.
    void setComputerFirst(bool computerFirst);
    void setLevel(Level level);
    void startSinglePlay();
    // In a network match only the library is asked: an agreed restart arrives as a new game.
    void restart();
    void takeBack();
    // The board click on a point; ignored unless the player may place a stone there now.
    void click(BoardPoint point);
    void ComputerMove();
    // The master is thinking: the window goes on, and a command that changes the board stops it.
    bool computerThinking() const { return master_.thinking(); }
    // The master's time for each move (kGameMasterBudget unless told).
    void setMasterBudget(std::chrono::milliseconds budget) { master_.setBudget(budget); }
    // Replays a checked game; a game left with the computer to move goes on at once.
    void loadGame(const SavedGame& game);
    // Ends the game (asking first in a network match); false when the player kept it.
    bool endGame();

    // Against a remote player.
    // Opens network play through the library's dialog; false when it did not open.
    bool startNetMatch(void* window, NetEventCallback callback);
    // One event of the library. False when it was refused as malformed or out of place; the
    // match is then untouched.
    bool receive(const NetEvent& event);
    // False, with nothing sent, for an empty line or one without a GBK form.
    bool sendChat(const QString& line);
    void answerRestart(bool agree);
    bool inNetMatch() const { return state_.netMode != 0; }
    void releaseNetwork();
    // Once the player has read why the match ended; another notice may have ended it already.
    void afterPeerQuit();
    void afterLinkLost();
    // False when the player wants to stay in the match.
    bool mayClose();
    // The window is going: the peer is told and the library let go.
    void shutDown();

    // Stores the text and arms the notice, so its box opens after the current command.
    void announce(Notice notice, const QString& text);
    const QString& noticeText(Notice notice) const { return noticeTexts_[static_cast<std::size_t>(notice)]; }
    const QString& playerName(int seat) const;
    // Column then row, as SendOneStep reads it; kept until the next local stone.
    const std::array<std::int32_t, 2>& outgoingStep() const { return outgoingStep_; }

    static QString resultTextFor(std::int32_t gameResult, bool localMoved);

private:
    // Every command ends by telling the view what changed; an error leaving it early too.
    class Command {
    public:
        explicit Command(MatchController& match) : match_(match) {}
        ~Command() { match_.publish(); }
        Command(const Command&) = delete;
        Command& operator=(const Command&) = delete;

    private:
        MatchController& match_;
    };
    void publish();
    // After each stone: the deciding stone's line is kept, found once.
    void noteStone();
    void place(BoardPoint point, Side side);
    // Whatever game or match is on ends: no game, single mode, the board cleared.
    void endMatch();
    void startGame();
    void clearForNoGame();
    // The first mover's row names whoever moves first in this game.
    void showSingleSideLabels(bool computerFirst);
    void placeLocalStone(BoardPoint point);
    BoardPoint GetComputerMove();
    // The computer's stone, once its search has found the point.
    void finishComputerMove(BoardPoint point);
    // A search of the master under way is dropped, and the board goes on as before it began.
    void stopThinking();
    void announceResult(bool localMoved);
    bool onGameBegin(const NetEvent& event);
    bool onChatText(const NetEvent& event);
    bool onOneStep(const NetEvent& event);
    bool onSeatNotice(const NetEvent& event);
    bool sendStep(BoardPoint point);
    void takeBackUnsentStone(BoardPoint point);

    MatchView& view_;
    StoneDisplay& stones_;
    SearchProgress& progress_;
    ComputerPlayer& computer_;
    NetLibrary& library_;
    MatchState state_;
    Level level_ = Level::Beginner;
    std::array<QString, kNoticeKinds> noticeTexts_;
    std::array<QString, 3> playerNames_; // by seat; entry 0 unused
    std::array<std::int32_t, 2> outgoingStep_{};
    QString firstMover_;
    QString secondMover_;
    WinningLine winningLine_;
    MatchReport reported_;
    // The master's answers arrive through this object's event loop; it outlives master_.
    QObject answers_;
    QTimer thinkingGauge_;
    MasterPlayer master_;
};

} // namespace kivola
