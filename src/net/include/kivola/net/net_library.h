#pragma once
// The seven functions of the network library behind one seam, so a test can record the calls.

#include <cstdint>

#include "nw/nw.h"

namespace kivola {

class NetLibrary {
public:
    virtual ~NetLibrary() = default;
    // Nonzero: network play opens and events follow through callback.
    virtual std::int32_t PrepareNetwork(void* window, NetEventCallback callback) = 0;
    // 0 when the library did not send the stone: out of turn, not connected, or its game has
    // begun anew and the window has not yet been told.
    virtual std::int32_t SendOneStep(std::int32_t byteCount, const void* step) = 0;
    // length counts the terminating NUL.
    virtual void SendChat(std::int32_t length, const char* text) = 0;
    virtual void RequireRestart() = 0;
    virtual void ReplyRestart(std::int32_t answer) = 0;
    virtual void SendDisconnect(std::int32_t unused) = 0;
    virtual void ReleaseNetWork() = 0;
};

// libNW's C functions.
NetLibrary& systemNetLibrary();

inline constexpr std::int32_t kReplyAgree = -1;
inline constexpr std::int32_t kReplyRefuse = 0;

} // namespace kivola
