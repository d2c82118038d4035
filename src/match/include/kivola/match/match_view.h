#pragma once
// What the match reports to the window around it, and the little it asks of it.

#include <QString>

#include "kivola/core/winning_line.h"

namespace kivola {

// The deferred boxes the match can call for; the window shows each once the handler that armed
// it has ended, and a kind never stacks on itself.
enum class Notice {
    Result,         // the game's result
    PeerQuit,       // the peer has left the match
    RestartAsked,   // the peer asks for a new game
    RestartRefused, // the peer refused a new game
    LinkLost,       // the link to the peer is lost
};
inline constexpr int kNoticeKinds = 5;

// Questions put to the player before the match goes on; the answer decides.
enum class Question {
    EndNetMatch, // "正在网络游戏中，是否要中断连接？"
    Reconnect,   // "是否要重新连接？"
    Close,       // "确定要结束网络游戏吗？"
};

// Which commands the player may use now, and which window the match needs.
struct Controls {
    bool save = false;
    bool load = true;
    bool regret = false;
    bool restart = false;
    bool endGame = false;   // N10
    bool singlePlay = true; // N13
    bool netPlay = true;    // N14
    bool options = true;    // first mover and level
    bool chatArea = false;  // the tall window with Edit1 and Memo1, the gauge hidden
    friend bool operator==(const Controls&, const Controls&) = default;
};

// The three fixed-depth levels, and the master, which thinks on a thread of its own.
enum class Level { Beginner, Intermediate, Advanced, Master };

// All the window shows of the match besides the stones and the gauge.
struct MatchReport {
    Controls controls;
    bool computerFirstOption = false; // N16 checked, else N15
    Level level = Level::Beginner;
    QString firstMover;  // Label1; empty while no game has named the sides
    QString secondMover; // Label2
    WinningLine winningLine;
    bool gameOver = false; // the blink stops at a result
    friend bool operator==(const MatchReport&, const MatchReport&) = default;
};

// The stones and the gauge are drawn through StoneDisplay and SearchProgress; the rest of what
// the match reports comes here.
class MatchView {
public:
    virtual ~MatchView() = default;
    // Part of the report differs from the one before: at the end of a command, and in its
    // middle before a search or the library's dialog keeps the window waiting.
    virtual void matchChanged(const MatchReport& now, const MatchReport& before) = 0;
    virtual void appendChatLine(const QString& line) = 0;
    virtual void clearChat() = 0;
    virtual void armNotice(Notice notice) = 0;
    // A pending or open notice of this kind goes away unanswered.
    virtual void withdrawNotice(Notice notice) = 0;
    virtual bool confirm(Question question) = 0;
    virtual void closeAboutBox() = 0;
    // The library is released: the caption it may have changed goes back.
    virtual void networkReleased() = 0;
    // A stone of a loaded game is down; the window draws it before the next one.
    virtual void stoneReplayed() = 0;
};

} // namespace kivola
