#pragma once
// Wire frames of the network game as small types, with pure encode and decode. No sockets here,
// so the whole refusal logic can be tested (and fuzzed) without a network.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "nw/nw_export.h"

namespace nw::wire {

inline constexpr std::string_view kProtocolName = "KIVOLA-GOMOKU";
inline constexpr std::uint16_t kProtocolVersion = 1;

inline constexpr std::size_t kHeaderSize = 4;        // big-endian payload length
inline constexpr std::size_t kMaxPayload = 512;      // larger frames are refused from the header
inline constexpr std::size_t kMaxProtocolName = 32;  // printable ASCII
inline constexpr std::size_t kMaxName = 32;          // GBK bytes of a player's name
inline constexpr std::size_t kMaxChat = 200;         // GBK bytes of a chat line
inline constexpr int kBoardSize = 15;

enum class FrameType : std::uint8_t {
    Hello = 1,
    Welcome = 2,
    Refuse = 3,
    Step = 4,
    Chat = 5,
    RestartAsk = 6,
    RestartReply = 7,
    KeepAlive = 8,
    Bye = 9,
};

enum class RefuseReason : std::uint8_t {
    VersionMismatch = 1,
    WrongProtocol = 2,
    Busy = 3,
    NameTaken = 4, // the joiner greeted with the host's own name
    // Any other value 1..255 is a reason of a later version: still a refusal.
};

// Sent by the joining side first.
struct Hello {
    std::string protocol{kProtocolName};
    std::uint16_t version = kProtocolVersion;
    std::string name; // GBK
    bool operator==(const Hello&) const = default;
};
// The host's acceptance of a Hello; same fields.
struct Welcome {
    std::string protocol{kProtocolName};
    std::uint16_t version = kProtocolVersion;
    std::string name; // GBK
    bool operator==(const Welcome&) const = default;
};
// The host's refusal of a Hello; the link is closed after it.
struct Refuse {
    RefuseReason reason = RefuseReason::VersionMismatch;
    std::uint16_t version = kProtocolVersion; // the sender's own version
    bool operator==(const Refuse&) const = default;
};
// A stone; game numbers the games of one link from 1, so a stone that crossed a restart is
// recognised as stale.
struct Step {
    std::uint32_t game = 1;
    std::uint8_t column = 1;
    std::uint8_t row = 1;
    bool operator==(const Step&) const = default;
};
struct Chat {
    std::string text; // GBK, without the sender's name
    bool operator==(const Chat&) const = default;
};
struct RestartAsk {
    bool operator==(const RestartAsk&) const = default;
};
struct RestartReply {
    bool agree = false;
    bool operator==(const RestartReply&) const = default;
};
struct KeepAlive {
    bool operator==(const KeepAlive&) const = default;
};
struct Bye {
    bool operator==(const Bye&) const = default;
};

// Alternative i has FrameType i + 1.
using Frame = std::variant<Hello, Welcome, Refuse, Step, Chat, RestartAsk, RestartReply, KeepAlive, Bye>;
static_assert(std::variant_size_v<Frame> == static_cast<std::size_t>(FrameType::Bye));

NW_EXPORT FrameType typeOf(const Frame& frame);

// Why bytes or a frame were refused.
enum class Refusal {
    None,
    EmptyFrame,    // length 0
    Oversized,     // length above kMaxPayload
    UnknownType,   // first payload byte names no frame type
    Truncated,     // payload ends inside a field
    TrailingBytes, // payload goes on after the last field
    BadLength,     // a text field is empty or longer than its limit
    BadText,       // a text is not GBK, or holds control characters
    BadValue,      // a number outside its range (point, game, reason, answer)
};

NW_EXPORT const char* refusalName(Refusal refusal);

// Field limits of a frame, as decode applies them.
NW_EXPORT Refusal check(const Frame& frame);

// Header plus payload; empty when check() refuses the frame.
NW_EXPORT std::string encode(const Frame& frame);

enum class DecodeStatus { Complete, NeedMore, Refused };

struct DecodeResult {
    DecodeStatus status = DecodeStatus::NeedMore;
    Refusal refusal = Refusal::None;
    Frame frame;
    std::size_t consumed = 0; // bytes of the buffer taken by a complete frame
};

// Decodes the first frame of buffer. NeedMore never waits behind a header that is already
// known to be refused.
NW_EXPORT DecodeResult decode(std::string_view buffer);

} // namespace nw::wire
