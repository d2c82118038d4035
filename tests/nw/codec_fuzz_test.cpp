// Many thousands of mutated and random byte streams through the decoder: it must never crash,
// read out of bounds (the sanitizer build runs this) or let a non-canonical frame through.

#include <gtest/gtest.h>

#include <random>

#include "nw/codec.h"

namespace nw::wire {
namespace {

constexpr unsigned kSeed = 20240611;
constexpr int kRounds = 40000;

std::vector<std::string> seedFrames() {
    return {
        encode(Hello{std::string(kProtocolName), kProtocolVersion, "\xC4\xE3\xBA\xC3 player"}),
        encode(Welcome{std::string(kProtocolName), kProtocolVersion, "host"}),
        encode(Refuse{RefuseReason::Busy, kProtocolVersion}),
        encode(Step{3, 7, 9}),
        encode(Chat{"\xC4\xE3\xBA\xC3, see you"}),
        encode(RestartAsk{}),
        encode(RestartReply{true}),
        encode(KeepAlive{}),
        encode(Bye{}),
    };
}

std::string mutate(std::string bytes, std::mt19937& rng) {
    std::uniform_int_distribution<int> byte(0, 255);
    const int edits = std::uniform_int_distribution<int>(1, 4)(rng);
    for (int e = 0; e < edits; ++e) {
        auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n)(rng); };
        switch (std::uniform_int_distribution<int>(0, 5)(rng)) {
        case 0: // flip a byte
            if (!bytes.empty())
                bytes[pick(bytes.size() - 1)] = static_cast<char>(byte(rng));
            break;
        case 1: // cut the tail
            bytes.resize(pick(bytes.size()));
            break;
        case 2: // insert a byte
            bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(pick(bytes.size())), static_cast<char>(byte(rng)));
            break;
        case 3: // rewrite the length header
            if (bytes.size() >= kHeaderSize)
                bytes[pick(kHeaderSize - 1)] = static_cast<char>(byte(rng));
            break;
        case 4: // append random bytes
            for (int i = std::uniform_int_distribution<int>(1, 16)(rng); i > 0; --i)
                bytes.push_back(static_cast<char>(byte(rng)));
            break;
        default: // drop a byte
            if (!bytes.empty())
                bytes.erase(pick(bytes.size() - 1), 1);
            break;
        }
    }
    return bytes;
}

// What must hold for any input, whatever the verdict.
void expectSoundVerdict(const std::string& bytes) {
    const DecodeResult result = decode(bytes);
    switch (result.status) {
    case DecodeStatus::NeedMore:
        EXPECT_EQ(result.consumed, 0u);
        EXPECT_EQ(result.refusal, Refusal::None);
        break;
    case DecodeStatus::Refused:
        EXPECT_NE(result.refusal, Refusal::None);
        EXPECT_EQ(result.consumed, 0u);
        break;
    case DecodeStatus::Complete:
        ASSERT_LE(result.consumed, bytes.size());
        EXPECT_LE(result.consumed, kHeaderSize + kMaxPayload);
        EXPECT_EQ(check(result.frame), Refusal::None);
        // Only canonical frames pass: re-encoding gives back exactly the bytes taken.
        EXPECT_EQ(encode(result.frame), bytes.substr(0, result.consumed));
        break;
    }
}

TEST(CodecFuzz, mutatedFramesGetASoundVerdict) {
    std::mt19937 rng(kSeed);
    const std::vector<std::string> seeds = seedFrames();
    int refused = 0;
    int complete = 0;
    for (int i = 0; i < kRounds; ++i) {
        const std::string bytes = mutate(seeds[static_cast<std::size_t>(i) % seeds.size()], rng);
        expectSoundVerdict(bytes);
        const DecodeStatus status = decode(bytes).status;
        refused += status == DecodeStatus::Refused;
        complete += status == DecodeStatus::Complete;
        if (HasFailure())
            FAIL() << "round " << i;
    }
    // The mutations must actually reach both verdicts, or the test proves little.
    EXPECT_GT(refused, kRounds / 10);
    EXPECT_GT(complete, kRounds / 20);
}

TEST(CodecFuzz, randomGarbageGetsASoundVerdict) {
    std::mt19937 rng(kSeed + 1);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < kRounds / 2; ++i) {
        std::string bytes(std::uniform_int_distribution<std::size_t>(0, 64)(rng), '\0');
        for (char& c : bytes)
            c = static_cast<char>(byte(rng));
        // Half the time give it a plausible header so the payload parsers get exercised too.
        if (i % 2 == 0 && bytes.size() >= 5) {
            const auto length = static_cast<std::uint32_t>(bytes.size() - kHeaderSize);
            bytes[0] = bytes[1] = 0;
            bytes[2] = static_cast<char>(length >> 8);
            bytes[3] = static_cast<char>(length);
            bytes[4] = static_cast<char>(1 + i % 9);
        }
        expectSoundVerdict(bytes);
        if (HasFailure())
            FAIL() << "round " << i;
    }
}

TEST(CodecFuzz, aMutatedStreamIsConsumedOrRefusedToTheEnd) {
    // The reading loop of a session: decode, drop the consumed bytes, stop at NeedMore or Refused.
    std::mt19937 rng(kSeed + 2);
    const std::vector<std::string> seeds = seedFrames();
    for (int i = 0; i < kRounds / 8; ++i) {
        std::string stream;
        for (int k = 0; k < 5; ++k)
            stream += seeds[std::uniform_int_distribution<std::size_t>(0, seeds.size() - 1)(rng)];
        stream = mutate(stream, rng);
        std::string_view rest = stream;
        for (int guard = 0; guard <= static_cast<int>(stream.size()); ++guard) {
            const DecodeResult result = decode(rest);
            if (result.status != DecodeStatus::Complete)
                break;
            ASSERT_GT(result.consumed, 0u);
            rest.remove_prefix(result.consumed);
        }
    }
}

} // namespace
} // namespace nw::wire
