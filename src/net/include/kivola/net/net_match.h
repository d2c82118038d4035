#pragma once
// A game against a remote player: what the network library's events do to the match, the
// local stone going out, chat lines, and the texts of the deferred notices.

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "kivola/core/match_state.h"
#include "kivola/core/stone_display.h"
#include "kivola/match/single_play.h"
#include "kivola/net/net_library.h"
#include "nw/nw.h"

namespace kivola {

// Texts as the player sees them (UTF-8).
namespace nettext {
inline constexpr const char* kRestartAsked = " 提出重新开始，您同意吗？";
inline constexpr const char* kRestartRefused = "不同意重新开始";
inline constexpr const char* kPeerQuit = "退出游戏了";
inline constexpr const char* kLinkLost = "断线了，确认后自动关闭网络连接，请耐心等待一段时间";
inline constexpr const char* kMatchOverCaption = "网络游戏终止";
inline constexpr const char* kRestartAskCaption = "提示";
inline constexpr const char* kRefuseCaption = "答复";
inline constexpr const char* kInMatchCaption = "您正在网络对战中";
inline constexpr const char* kReconnectQuestion = "是否要重新连接？";
inline constexpr const char* kEndMatchQuestion = "正在网络游戏中，是否要中断连接？";
inline constexpr const char* kCloseQuestion = "确定要结束网络游戏吗？";
inline constexpr const char* kLibraryNoticeCaption = "Information";
inline constexpr const char* kLibraryQuestionCaption = "Confirm";
} // namespace nettext

// The deferred notices an event can call for, each shown later by its own one-shot timer.
enum class NetNotice {
    PeerQuit,       // Timer2
    RestartAsked,   // Timer3
    RestartRefused, // Timer5
    LinkLost,       // Timer8
};

// What the match asks of the window around it.
class NetWindow {
public:
    virtual ~NetWindow() = default;
    // The tall window with the chat area.
    virtual void showMatchArea() = 0;
    virtual void setSeatLabels(const QString& seat1, const QString& seat2) = 0;
    virtual void appendChatLine(const QString& line) = 0;
    virtual void armNotice(NetNotice notice) = 0;
    virtual void closeAboutBox() = 0;
    // Restart questions of the match that ended or began anew, pending or on screen, go away
    // without an answer.
    virtual void withdrawRestartQuestions() = 0;
    // The result notice of a stone that was taken back is not to be shown.
    virtual void withdrawResultNotice() = 0;
};

inline constexpr int kFirstSeat = 1;
inline constexpr int kSecondSeat = 2;
// A name or chat line longer than this (without its NUL) is taken as a broken record.
inline constexpr std::size_t kLongestEventText = 1024;

class NetMatch {
public:
    NetMatch(MatchState& state, StoneDisplay& display, MatchHost& host, NetWindow& window, NetLibrary& library)
        : state_(state), display_(display), host_(host), window_(window), library_(&library) {}

    NetLibrary& library() const { return *library_; }
    void setLibrary(NetLibrary& library) { library_ = &library; }

    // One event of the library. Returns false when the event was refused as malformed or
    // out of place; the match is then untouched.
    bool receive(const NetEvent& event);

    // The local stone, already placed, goes to the peer. When the library does not send it, the
    // stone and any result it made are taken back, and the player waits for the library's next
    // word; false then.
    bool sendStep(BoardPoint point);
    // False, with nothing sent, for an empty line or one without a GBK form.
    bool sendChat(const QString& line);

    const QString& playerName(int seat) const;
    const QString& restartAskText() const { return restartAskText_; }
    const QString& refuseText() const { return refuseText_; }
    const QString& quitText() const { return quitText_; }
    const QString& lostText() const { return lostText_; }
    // Column then row, as SendOneStep reads it; kept until the next local stone.
    const std::array<std::int32_t, 2>& outgoingStep() const { return outgoingStep_; }

private:
    bool onGameBegin(const NetEvent& event);
    bool onChatText(const NetEvent& event);
    bool onOneStep(const NetEvent& event);
    bool onSeatNotice(const NetEvent& event);
    void takeBackUnsentStone(BoardPoint point);

    MatchState& state_;
    StoneDisplay& display_;
    MatchHost& host_;
    NetWindow& window_;
    NetLibrary* library_;

    std::array<QString, 3> playerNames_; // by seat; entry 0 unused
    QString restartAskText_;
    QString refuseText_;
    QString quitText_;
    QString lostText_;
    std::array<std::int32_t, 2> outgoingStep_{};
};

// A NUL-terminated text of at most kLongestEventText bytes starting at data, or nullopt.
std::optional<QByteArray> boundedCString(const char* data);

} // namespace kivola
