#pragma once
// The match's texts as the player sees them (UTF-8).

#include <QString>

namespace kivola {

inline QString utf8(const char* text) { return QString::fromUtf8(text); }

namespace text {
inline constexpr const char* kPlayer = "玩家";
inline constexpr const char* kComputer = "电脑";
inline constexpr const char* kYouWin = "您赢了！";
inline constexpr const char* kYouLose = "您输了！";
inline constexpr const char* kDrawn = "和棋！";
inline constexpr const char* kResultCaption = "结果";
} // namespace text

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

} // namespace kivola
