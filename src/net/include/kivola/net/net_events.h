#pragma once
// Reading the library's event records: every length, seat and text is checked before any of it
// reaches the match, since a hostile peer can shape what the library passes on.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "kivola/core/match_state.h"
#include "nw/nw.h"

namespace kivola {

// A name or chat line longer than this (without its NUL) is taken as a broken record.
inline constexpr std::size_t kLongestEventText = 1024;

// A NUL-terminated text of at most kLongestEventText bytes starting at data, or nullopt.
std::optional<QByteArray> boundedCString(const char* data);

bool isSeat(std::int32_t seat);

struct GameBeginRecord {
    std::int32_t seat = 0; // the local player's
    QString firstName;     // seat 1's
    QString secondName;    // seat 2's
};

std::optional<GameBeginRecord> readGameBegin(const NetEvent& event);
std::optional<QString> readChatText(const NetEvent& event);
// The point as sent; whether it may be played is the match's judgement.
std::optional<BoardPoint> readStep(const NetEvent& event);

} // namespace kivola
