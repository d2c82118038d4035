#include "kivola/net/net_library.h"

namespace kivola {

namespace {

// The results of the sending functions are not used: the game goes on either way.
class SystemNetLibrary final : public NetLibrary {
public:
    std::int32_t PrepareNetwork(void* window, NetEventCallback callback) override {
        return ::PrepareNetwork(window, callback);
    }
    void SendOneStep(std::int32_t byteCount, const void* step) override { ::SendOneStep(byteCount, step); }
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
