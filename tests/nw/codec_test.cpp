// Every frame type through encode and decode, and each way a frame can be refused.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "nw/codec.h"

namespace nw::wire {
namespace {

const std::string kNiHao = "\xC4\xE3\xBA\xC3"; // "你好" in GBK

std::string header(std::uint32_t length) {
    return {static_cast<char>(length >> 24), static_cast<char>(length >> 16 & 0xFF),
            static_cast<char>(length >> 8 & 0xFF), static_cast<char>(length & 0xFF)};
}

// A frame built by hand, so values that encode() would refuse can be sent.
std::string rawFrame(FrameType type, const std::string& fields) {
    return header(static_cast<std::uint32_t>(fields.size() + 1)) + static_cast<char>(type) + fields;
}

DecodeResult decodeAll(const std::string& bytes) { return decode(bytes); }

std::vector<Frame> everyFrameType() {
    std::string longName;
    for (int i = 0; i < 8; ++i)
        longName += kNiHao; // 32 bytes: the limit
    return {
        Hello{std::string(kProtocolName), kProtocolVersion, "Li Lei"},
        Welcome{std::string(kProtocolName), 7, longName},
        Refuse{RefuseReason::VersionMismatch, 3},
        Refuse{RefuseReason::WrongProtocol, 1},
        Refuse{RefuseReason::Busy, 1},
        Refuse{RefuseReason::NameTaken, 1},
        Step{1, 1, 1},
        Step{0xFFFFFFFF, 15, 15},
        Chat{kNiHao},
        Chat{std::string(kMaxChat, 'x')},
        RestartAsk{},
        RestartReply{true},
        RestartReply{false},
        KeepAlive{},
        Bye{},
    };
}

TEST(Codec, everyFrameTypeSurvivesTheRoundTrip) {
    for (const Frame& frame : everyFrameType()) {
        const std::string bytes = encode(frame);
        ASSERT_FALSE(bytes.empty()) << "type " << static_cast<int>(typeOf(frame));
        const DecodeResult result = decodeAll(bytes);
        ASSERT_EQ(result.status, DecodeStatus::Complete) << refusalName(result.refusal);
        EXPECT_EQ(result.consumed, bytes.size());
        EXPECT_EQ(result.frame, frame);
    }
}

TEST(Codec, eachTypeHasItsOwnTypeByte) {
    // The documented layout: 4-byte big-endian length, then the type byte.
    for (const Frame& frame : everyFrameType()) {
        const std::string bytes = encode(frame);
        EXPECT_EQ(static_cast<unsigned char>(bytes[kHeaderSize]), static_cast<unsigned char>(typeOf(frame)));
    }
}

TEST(Codec, stepLayoutMatchesTheProtocolDocument) {
    // A golden frame keeps the wire format from drifting away from docs/network-protocol.md.
    const std::string bytes = encode(Step{0x01020304, 3, 15});
    const std::string expected("\x00\x00\x00\x07\x04\x01\x02\x03\x04\x03\x0F", 11);
    EXPECT_EQ(bytes, expected);
    const std::string hello = encode(Hello{"AB", 0x0102, "n"});
    EXPECT_EQ(hello, std::string("\x00\x00\x00\x08\x01\x02" "AB" "\x01\x02\x01n", 12));
}

TEST(Codec, everyProperPrefixOfAFrameAsksForMore) {
    // Each prefix sits in a heap block of exactly its size, so a read past its end is caught
    // by the sanitizer build rather than landing on the rest of the frame.
    for (const Frame& frame : everyFrameType()) {
        const std::string bytes = encode(frame);
        for (std::size_t n = 0; n < bytes.size(); ++n) {
            const auto block = std::make_unique<char[]>(n);
            std::memcpy(block.get(), bytes.data(), n);
            const DecodeResult result = decode(std::string_view(block.get(), n));
            EXPECT_EQ(result.status, DecodeStatus::NeedMore) << "type " << int(typeOf(frame)) << " prefix " << n;
            EXPECT_EQ(result.consumed, 0u);
        }
    }
    // A header alone never refuses a frame of a good length, whatever would follow it.
    for (std::uint32_t length : {1u, 6u, 512u}) {
        const std::string h = header(length);
        const auto block = std::make_unique<char[]>(h.size());
        std::memcpy(block.get(), h.data(), h.size());
        EXPECT_EQ(decode(std::string_view(block.get(), h.size())).status, DecodeStatus::NeedMore) << length;
    }
}

TEST(Codec, framesBackToBackAreTakenOneAtATime) {
    const std::string stream = encode(Step{1, 8, 8}) + encode(Chat{kNiHao}) + encode(Bye{});
    std::string_view rest = stream;
    std::vector<FrameType> seen;
    while (!rest.empty()) {
        const DecodeResult result = decode(rest);
        ASSERT_EQ(result.status, DecodeStatus::Complete);
        seen.push_back(typeOf(result.frame));
        rest.remove_prefix(result.consumed);
    }
    EXPECT_EQ(seen, (std::vector<FrameType>{FrameType::Step, FrameType::Chat, FrameType::Bye}));
}

TEST(CodecRefusal, oversizedLengthIsRefusedFromTheHeaderAlone) {
    // No need to wait for (or buffer) half a megabyte that will be refused anyway.
    EXPECT_EQ(decode(header(kMaxPayload + 1)).refusal, Refusal::Oversized);
    EXPECT_EQ(decode(header(0xFFFFFFFF)).refusal, Refusal::Oversized);
    EXPECT_EQ(decode(header(kMaxPayload + 1)).status, DecodeStatus::Refused);
    // The limit itself is a size, not a refusal: a 512-byte payload waits for its bytes.
    EXPECT_EQ(decode(header(kMaxPayload) + char(5)).status, DecodeStatus::NeedMore);
}

TEST(CodecRefusal, emptyAndUnknownFrames) {
    EXPECT_EQ(decode(header(0)).refusal, Refusal::EmptyFrame);
    for (int type : {0, 10, 0x7F, 0xFF}) {
        const DecodeResult result = decode(header(1) + static_cast<char>(type));
        EXPECT_EQ(result.refusal, Refusal::UnknownType) << type;
    }
    // Refused as soon as the type byte is there, before the rest of the payload.
    EXPECT_EQ(decode(header(100) + char(42)).refusal, Refusal::UnknownType);
}

TEST(CodecRefusal, payloadEndingInsideAFieldIsTruncated) {
    EXPECT_EQ(decode(rawFrame(FrameType::Step, std::string("\x00\x00\x00\x01\x08", 5))).refusal, Refusal::Truncated);
    EXPECT_EQ(decode(rawFrame(FrameType::Chat, "\x05" "abc")).refusal, Refusal::Truncated);
    EXPECT_EQ(decode(rawFrame(FrameType::Hello, "\x0D" "KIVOLA")).refusal, Refusal::Truncated);
    EXPECT_EQ(decode(rawFrame(FrameType::RestartReply, "")).refusal, Refusal::Truncated);
    EXPECT_EQ(decode(rawFrame(FrameType::Refuse, "\x01")).refusal, Refusal::Truncated);
}

TEST(CodecRefusal, bytesAfterTheLastFieldAreRefused) {
    EXPECT_EQ(decode(rawFrame(FrameType::KeepAlive, "x")).refusal, Refusal::TrailingBytes);
    EXPECT_EQ(decode(rawFrame(FrameType::Step, std::string("\x00\x00\x00\x01\x08\x08\x00", 7))).refusal,
              Refusal::TrailingBytes);
    EXPECT_EQ(decode(rawFrame(FrameType::Chat, "\x02" "abc")).refusal, Refusal::TrailingBytes);
}

TEST(CodecRefusal, numbersOutOfRange) {
    auto step = [](std::uint32_t game, int column, int row) {
        return rawFrame(FrameType::Step, std::string{static_cast<char>(game >> 24), static_cast<char>(game >> 16),
                                                     static_cast<char>(game >> 8), static_cast<char>(game),
                                                     static_cast<char>(column), static_cast<char>(row)});
    };
    EXPECT_EQ(decode(step(1, 8, 8)).status, DecodeStatus::Complete);
    EXPECT_EQ(decode(step(1, 0, 8)).refusal, Refusal::BadValue);
    EXPECT_EQ(decode(step(1, 16, 8)).refusal, Refusal::BadValue);
    EXPECT_EQ(decode(step(1, 8, 0)).refusal, Refusal::BadValue);
    EXPECT_EQ(decode(step(1, 8, 255)).refusal, Refusal::BadValue);
    EXPECT_EQ(decode(step(0, 8, 8)).refusal, Refusal::BadValue);
    EXPECT_EQ(decode(rawFrame(FrameType::RestartReply, "\x02")).refusal, Refusal::BadValue);
    EXPECT_EQ(decode(rawFrame(FrameType::Refuse, std::string("\x00\x00\x01", 3))).refusal, Refusal::BadValue);
    // A reason of a later version is no fault: the joiner still learns it was refused.
    EXPECT_EQ(decode(rawFrame(FrameType::Refuse, std::string("\xFF\x00\x02", 3))).status, DecodeStatus::Complete);
}

TEST(CodecRefusal, textsOutsideTheirLimits) {
    auto hello = [](const std::string& protocol, const std::string& name) {
        return rawFrame(FrameType::Hello, static_cast<char>(protocol.size()) + protocol + std::string("\x00\x01", 2) +
                                              static_cast<char>(name.size()) + name);
    };
    EXPECT_EQ(decode(hello("KIVOLA-GOMOKU", "ok")).status, DecodeStatus::Complete);
    EXPECT_EQ(decode(hello("KIVOLA-GOMOKU", "")).refusal, Refusal::BadLength);
    EXPECT_EQ(decode(hello("KIVOLA-GOMOKU", std::string(kMaxName + 1, 'n'))).refusal, Refusal::BadLength);
    EXPECT_EQ(decode(hello("", "ok")).refusal, Refusal::BadLength);
    EXPECT_EQ(decode(hello("KIVOLA GOMOKU", "ok")).refusal, Refusal::BadText);
    EXPECT_EQ(decode(hello("KIVOLA-GOMOKU", std::string("a\0b", 3))).refusal, Refusal::BadText);
    EXPECT_EQ(decode(hello("KIVOLA-GOMOKU", "\xFF\xFF")).refusal, Refusal::BadText);
    EXPECT_EQ(decode(hello("KIVOLA-GOMOKU", "\xC4")).refusal, Refusal::BadText); // half a character

    auto chat = [](const std::string& text) { return rawFrame(FrameType::Chat, static_cast<char>(text.size()) + text); };
    EXPECT_EQ(decode(chat(std::string(kMaxChat, 'c'))).status, DecodeStatus::Complete);
    EXPECT_EQ(decode(chat(std::string(kMaxChat + 1, 'c'))).refusal, Refusal::BadLength);
    EXPECT_EQ(decode(chat("")).refusal, Refusal::BadLength);
    EXPECT_EQ(decode(chat("line\nbreak")).refusal, Refusal::BadText);
    EXPECT_EQ(decode(chat("del\x7F")).refusal, Refusal::BadText);
}

TEST(CodecRefusal, encodeWillNotProduceWhatDecodeRefuses) {
    EXPECT_TRUE(encode(Step{1, 0, 1}).empty());
    EXPECT_TRUE(encode(Step{0, 1, 1}).empty());
    EXPECT_TRUE(encode(Chat{""}).empty());
    EXPECT_TRUE(encode(Chat{std::string(kMaxChat + 1, 'c')}).empty());
    EXPECT_TRUE(encode(Hello{std::string(kProtocolName), 1, std::string(kMaxName + 1, 'n')}).empty());
    EXPECT_TRUE(encode(Welcome{std::string(kProtocolName), 1, "tab\there"}).empty());
    EXPECT_TRUE(encode(Refuse{static_cast<RefuseReason>(0), 1}).empty());
    EXPECT_EQ(check(Chat{"fine"}), Refusal::None);
}

} // namespace
} // namespace nw::wire
