#include "kivola/net/net_library.h"

namespace kivola {

namespace {

// Only SendOneStep's result is used: a stone the peer never got must leave the board. The game
// goes on whatever the other sending functions say.
class SystemNetLibrary final : public NetLibrary {
public:
    std::int32_t PrepareNetwork(void* window, NetEventCallback callback) override {
        return ::PrepareNetwork(window, callback);
    }
    std::int32_t SendOneStep(std::int32_t byteCount, const void* step) override {
        return ::SendOneStep(byteCount, step);
    }
    void SendChat(std::int32_t length, const char* text) override { ::SendChat(length, text); }
    void RequireRestart() override { ::RequireRestart(); }
    void ReplyRestart(std::int32_t answer) override { ::ReplyRestart(answer); }
    void SendDisconnect(std::int32_t unused) override { ::SendDisconnect(unused); }
    void ReleaseNetWork() override { ::ReleaseNetWork(); }
};

} // namespace

NetLibrary& systemNetLibrary() {
    static SystemNetLibrary library;
    return library;
}

} // namespace kivola
