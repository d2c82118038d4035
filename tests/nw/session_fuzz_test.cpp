// A live hosting Session over loopback fed a hundred thousand random and mutated frames, in
// random order and cut at random points, reconnecting after every broken link: nothing
// crashes or leaks (the sanitizer build runs this), every bad frame ends the link with the
// broken-link report, and nothing of a bad frame reaches the events.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <random>

#include "nw/codec.h"
#include "test_support.h"

namespace nw::test {
namespace {

constexpr unsigned kSeed = 20240917;
constexpr long kFrames = 100000;


// Runs the event loop until done() or the bounded wait ends, without fixed sleeps.
bool spinUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > kWaitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

class Fuzzer {
public:
    explicit Fuzzer(unsigned seed) : m_rng(seed) {}

    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }

    std::string chatText() {
        std::string text(static_cast<std::size_t>(pick(1, 40)), ' ');
        for (char& c : text)
            c = static_cast<char>(pick(0x20, 0x7E));
        return text;
    }

    // Bytes that are a frame the host must refuse in a running game, or no frame at all.
    std::string badFrame() {
        const std::vector<std::string> seeds = {
            wire::encode(wire::Hello{std::string(wire::kProtocolName), 1, "x"}),
            wire::encode(wire::Refuse{wire::RefuseReason::Busy, 1}),
            wire::encode(wire::Step{1, 7, 9}),
            wire::encode(wire::Chat{"hello there"}),
            wire::encode(wire::RestartAsk{}),
            wire::encode(wire::RestartReply{true}),
            wire::encode(wire::KeepAlive{}),
            wire::encode(wire::Bye{}),
        };
        for (;;) {
            std::string bytes;
            if (pick(0, 9) == 0) {
                bytes.resize(static_cast<std::size_t>(pick(1, 24)));
                for (char& c : bytes)
                    c = static_cast<char>(pick(0, 255));
            } else {
                bytes = seeds[static_cast<std::size_t>(pick(0, static_cast<int>(seeds.size()) - 1))];
                for (int edits = pick(1, 3); edits > 0; --edits) {
                    const auto at = static_cast<std::size_t>(pick(0, static_cast<int>(bytes.size()) - 1));
                    switch (pick(0, 3)) {
                    case 0: bytes[at] = static_cast<char>(pick(0, 255)); break;
                    case 1: bytes[std::min<std::size_t>(at, 4)] = static_cast<char>(pick(0, 255)); break;
                    case 2: bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), static_cast<char>(pick(0, 255))); break;
                    default: bytes.erase(at, 1); break;
                    }
                    if (bytes.empty())
                        bytes = "\x00";
                }
            }
            const wire::DecodeResult r = wire::decode(bytes);
            if (r.status == wire::DecodeStatus::Refused)
                return bytes;
            if (r.status != wire::DecodeStatus::Complete)
                continue; // would only wait for more
            // Whole frames that are out of place in a game the host has not yet moved in.
            switch (wire::typeOf(r.frame)) {
            case wire::FrameType::Hello:
            case wire::FrameType::Welcome:
            case wire::FrameType::Refuse:
            case wire::FrameType::Step:
            case wire::FrameType::RestartReply: return bytes.substr(0, r.consumed);
            default: continue;
            }
        }
    }

    // A first frame that no host may accept as a greeting.
    std::string badGreeting() {
        for (;;) {
            std::string bytes = wire::encode(wire::Hello{std::string(wire::kProtocolName), 1, "guest"});
            for (int edits = pick(1, 3); edits > 0; --edits)
                bytes[static_cast<std::size_t>(pick(0, static_cast<int>(bytes.size()) - 1))] = static_cast<char>(pick(0, 255));
            const wire::DecodeResult r = wire::decode(bytes);
            if (r.status == wire::DecodeStatus::Refused)
                return bytes;
            if (r.status != wire::DecodeStatus::Complete)
                continue;
            const auto* hello = std::get_if<wire::Hello>(&r.frame);
            if (!hello || hello->protocol != wire::kProtocolName || hello->version != wire::kProtocolVersion)
                return bytes.substr(0, r.consumed);
        }
    }

    // Writes the stream in random pieces, letting the host read between them.
    void sendInPieces(QTcpSocket& socket, const QByteArray& stream) {
        qsizetype at = 0;
        while (at < stream.size() && socket.state() == QAbstractSocket::ConnectedState) {
            const qsizetype n = std::min<qsizetype>(stream.size() - at, pick(1, pick(0, 3) == 0 ? 8 : 400));
            socket.write(stream.mid(at, n));
            socket.flush();
            at += n;
            if (pick(0, 2) == 0)
                QCoreApplication::processEvents();
        }
    }

private:
    std::mt19937 m_rng;
};

TEST(SessionFuzz, randomAndMutatedFramesIntoALiveHostEndTheLinkAndNeverReachTheGame) {
    Session host;
    EventLog log(host);
    ASSERT_TRUE(host.setPlayerName(QStringLiteral("host")));
    Fuzzer fuzz(kSeed);
    long frames = 0;
    int rounds = 0, badRounds = 0;
    while (frames < kFrames) {
        SCOPED_TRACE(::testing::Message() << "round " << rounds);
        ++rounds;
        if (host.state() != Session::State::Listening) {
            ASSERT_TRUE(host.host(0, kLoopback));
        }
        log.clear();
        QTcpSocket raw;
        raw.connectToHost(kLoopback, host.serverPort());
        ASSERT_TRUE(spinUntil([&] { return raw.state() == QAbstractSocket::ConnectedState; }));

        if (fuzz.pick(0, 9) == 0) {
            // A stranger whose first frame is no acceptable greeting: dropped, nothing told.
            fuzz.sendInPieces(raw, bytesOf(fuzz.badGreeting()));
            ++frames;
            ASSERT_TRUE(spinUntil([&] { return raw.state() == QAbstractSocket::UnconnectedState; }));
            EXPECT_TRUE(log.events.empty());
            EXPECT_EQ(host.state(), Session::State::Listening);
            continue;
        }

        QByteArray stream = bytesOf(wire::encode(wire::Hello{std::string(wire::kProtocolName), 1, "guest"}));
        std::vector<int> expected = {GameBegin, YourTurn};
        std::vector<QByteArray> lines;
        int chats = 0;
        bool asked = false;
        for (int n = fuzz.pick(0, 80); n > 0; --n, ++frames) {
            const int kind = fuzz.pick(0, 9);
            if (kind < 3 && chats < Session::kChatBurst) {
                const std::string text = fuzz.chatText();
                stream += bytesOf(wire::encode(wire::Chat{text}));
                expected.push_back(ChatText);
                lines.push_back(QByteArray("guest") + gbk("：") + bytesOf(text));
                ++chats;
            } else if (kind == 3 && !asked) {
                stream += bytesOf(wire::encode(wire::RestartAsk{}));
                expected.push_back(RestartAsked);
                asked = true;
            } else {
                stream += bytesOf(wire::encode(wire::KeepAlive{}));
            }
        }
        const int ending = fuzz.pick(0, 9);
        const bool bad = ending < 8;
        if (bad) {
            ++badRounds;
            stream += bytesOf(fuzz.badFrame());
            // Whatever follows a bad frame must be ignored.
            for (int n = fuzz.pick(0, 3); n > 0; --n, ++frames)
                stream += bytesOf(wire::encode(wire::Chat{"after the fault"}));
        } else if (ending == 8) {
            stream += bytesOf(wire::encode(wire::Bye{}));
        }
        ++frames;
        fuzz.sendInPieces(raw, stream);
        if (ending == 9) {
            ASSERT_TRUE(spinUntil([&] { return log.events.size() >= expected.size(); }));
            raw.abort(); // reset after the last whole frame
        }
        ASSERT_TRUE(spinUntil([&] { return log.count(PeerGone) == 1; }));
        expected.push_back(PeerGone);
        ASSERT_EQ(log.types(), expected);
        EXPECT_EQ(log.last(PeerGone)->linkLost, ending != 8);
        std::size_t line = 0;
        for (const SessionEvent& e : log.events) {
            if (e.type == ChatText) {
                EXPECT_EQ(e.line(), lines[line++]);
            }
        }
        EXPECT_EQ(host.board().stones(), 0);
        raw.abort();
    }
    RecordProperty("rounds", rounds);
    std::printf("%ld frames in %d rounds, %d ending in a bad frame\n", frames, rounds, badRounds);
    EXPECT_GT(badRounds, rounds / 2);
}

} // namespace
} // namespace nw::test
