#pragma once
// Records what the window hands the network library and plays its events back through the
// callback, so a test can deliver any record, well-formed or not.

#include <QByteArray>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "kivola/net/net_library.h"

namespace kivola::test {

struct LibraryCall {
    std::string name;
    std::int32_t number = 0;   // byte count, length or answer
    QByteArray bytes;          // the buffer handed over, as many bytes as the count names
};

class FakeNetLibrary final : public NetLibrary {
public:
    std::int32_t PrepareNetwork(void* window, NetEventCallback cb) override {
        calls.push_back({"PrepareNetwork", prepareResult, {}});
        this->window = window;
        callback = cb;
        return prepareResult;
    }
    std::int32_t SendOneStep(std::int32_t byteCount, const void* step) override {
        calls.push_back({"SendOneStep", byteCount, QByteArray(static_cast<const char*>(step), byteCount)});
        return sendStepResult;
    }
    void SendChat(std::int32_t length, const char* text) override {
        calls.push_back({"SendChat", length, QByteArray(text, length)});
    }
    void RequireRestart() override { calls.push_back({"RequireRestart", 0, {}}); }
    void ReplyRestart(std::int32_t answer) override { calls.push_back({"ReplyRestart", answer, {}}); }
    void SendDisconnect(std::int32_t unused) override { calls.push_back({"SendDisconnect", unused, {}}); }
    void ReleaseNetWork() override { calls.push_back({"ReleaseNetWork", 0, {}}); }

    int count(const std::string& name) const {
        int n = 0;
        for (const LibraryCall& c : calls) {
            n += c.name == name ? 1 : 0;
        }
        return n;
    }
    const LibraryCall* last(const std::string& name) const {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
            if (it->name == name) {
                return &*it;
            }
        }
        return nullptr;
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const LibraryCall& c : calls) {
            out.push_back(c.name);
        }
        return out;
    }

    // Events, delivered the way the library does: through the callback, payload valid
    // during the call only.
    void deliver(std::int32_t type, std::int32_t seat = 0, const QByteArray& payload = {}, std::int32_t linkLost = 0) {
        QByteArray data = payload; // dies right after the call
        NetEvent event{};
        event.EventType = type;
        event.Seat = seat;
        event.Data = data.isNull() ? nullptr : data.data();
        event.LinkLost = linkLost;
        callback(0, &event);
    }
    void gameBegin(int localSeat, const QByteArray& seat1Gbk, const QByteArray& seat2Gbk) {
        deliver(GameBegin, localSeat, seat1Gbk + '\0' + seat2Gbk + '\0');
    }
    void oneStep(std::int32_t column, std::int32_t row) {
        const std::int32_t point[2] = {column, row};
        deliver(OneStep, 0, QByteArray(reinterpret_cast<const char*>(point), sizeof point));
    }
    void chat(const QByteArray& gbkLine) { deliver(ChatText, 0, gbkLine + '\0'); }

    std::int32_t prepareResult = 1;
    std::int32_t sendStepResult = 1; // 0: the library refuses the stone
    void* window = nullptr;
    NetEventCallback callback = nullptr;
    std::vector<LibraryCall> calls;
};

} // namespace kivola::test
