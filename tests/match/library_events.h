#pragma once
// Library events as the match receives them, built the way the library hands them over.

#include <QByteArray>
#include <cstdint>
#include <string>

#include "kivola/match/match_controller.h"
#include "nw/gbk.h"

namespace kivola::test {

inline QByteArray gbk(const char* utf8) {
    return QByteArray::fromStdString(nw::utf8ToGbk(utf8).value_or(std::string()));
}

// The two seats' names as a game's beginning carries them: GBK, each closed by a zero.
inline QByteArray gbkNames(const char* first, const char* second) {
    return gbk(first) + '\0' + gbk(second) + '\0';
}

inline bool deliver(MatchController& match, std::int32_t type, std::int32_t seat = 0, void* data = nullptr,
                    std::int32_t linkLost = 0) {
    NetEvent event{};
    event.EventType = type;
    event.Seat = seat;
    event.Data = data;
    event.LinkLost = linkLost;
    return match.receive(event);
}

inline bool deliverStone(MatchController& match, std::int32_t column, std::int32_t row) {
    std::int32_t point[2] = {column, row};
    return deliver(match, OneStep, 0, point);
}

} // namespace kivola::test
