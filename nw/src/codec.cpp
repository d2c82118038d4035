#include "nw/codec.h"

#include "nw/gbk.h"

namespace nw::wire {
namespace {

bool isProtocolName(std::string_view s) {
    if (s.empty() || s.size() > kMaxProtocolName) {
        return false;
    }
    for (unsigned char c : s) {
        if (c < 0x21 || c > 0x7E) {
            return false;
        }
    }
    return true;
}

Refusal checkText(std::string_view text, std::size_t limit) {
    if (text.empty() || text.size() > limit) {
        return Refusal::BadLength;
    }
    return isPlainGbkText(text) ? Refusal::None : Refusal::BadText;
}

Refusal checkGreeting(std::string_view protocol, std::string_view name) {
    if (protocol.empty() || protocol.size() > kMaxProtocolName) {
        return Refusal::BadLength;
    }
    if (!isProtocolName(protocol)) {
        return Refusal::BadText;
    }
    return checkText(name, kMaxName);
}

bool isPoint(int v) { return v >= 1 && v <= kBoardSize; }

class Writer {
public:
    void u8(std::uint8_t v) { out_.push_back(static_cast<char>(v)); }
    void u16(std::uint16_t v) {
        u8(static_cast<std::uint8_t>(v >> 8));
        u8(static_cast<std::uint8_t>(v));
    }
    void u32(std::uint32_t v) {
        u16(static_cast<std::uint16_t>(v >> 16));
        u16(static_cast<std::uint16_t>(v));
    }
    void text8(std::string_view s) {
        u8(static_cast<std::uint8_t>(s.size()));
        out_.append(s);
    }
    std::string& bytes() { return out_; }

private:
    std::string out_;
};

// Reads fields off a payload; once a read runs past the end every later read fails too.
class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}
    bool u8(std::uint8_t& v) {
        if (in_.size() - pos_ < 1) {
            return fail();
        }
        v = static_cast<std::uint8_t>(in_[pos_++]);
        return true;
    }
    bool u16(std::uint16_t& v) {
        std::uint8_t hi = 0, lo = 0;
        if (!u8(hi) || !u8(lo)) {
            return false;
        }
        v = static_cast<std::uint16_t>(hi << 8 | lo);
        return true;
    }
    bool u32(std::uint32_t& v) {
        std::uint16_t hi = 0, lo = 0;
        if (!u16(hi) || !u16(lo)) {
            return false;
        }
        v = static_cast<std::uint32_t>(hi) << 16 | lo;
        return true;
    }
    bool text8(std::string& s) {
        std::uint8_t n = 0;
        if (!u8(n)) {
            return false;
        }
        if (in_.size() - pos_ < n) {
            return fail();
        }
        s.assign(in_.substr(pos_, n));
        pos_ += n;
        return true;
    }
    bool ok() const { return ok_; }
    bool atEnd() const { return pos_ == in_.size(); }

private:
    bool fail() {
        ok_ = false;
        pos_ = in_.size();
        return false;
    }
    std::string_view in_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

template <class Greeting>
bool readGreeting(Reader& r, Greeting& g) {
    return r.text8(g.protocol) && r.u16(g.version) && r.text8(g.name);
}

// valueError reports a byte that the frame's own type cannot hold.
Frame readPayload(FrameType type, Reader& r, Refusal& valueError) {
    switch (type) {
    case FrameType::Hello: {
        Hello f;
        readGreeting(r, f);
        return f;
    }
    case FrameType::Welcome: {
        Welcome f;
        readGreeting(r, f);
        return f;
    }
    case FrameType::Refuse: {
        Refuse f;
        std::uint8_t reason = 0;
        r.u8(reason);
        r.u16(f.version);
        f.reason = static_cast<RefuseReason>(reason);
        return f;
    }
    case FrameType::Step: {
        Step f;
        r.u32(f.game);
        r.u8(f.column);
        r.u8(f.row);
        return f;
    }
    case FrameType::Chat: {
        Chat f;
        r.text8(f.text);
        return f;
    }
    case FrameType::RestartAsk:
        return RestartAsk{};
    case FrameType::RestartReply: {
        std::uint8_t answer = 0;
        if (r.u8(answer) && answer > 1) {
            valueError = Refusal::BadValue;
        }
        return RestartReply{answer == 1};
    }
    case FrameType::KeepAlive:
        return KeepAlive{};
    case FrameType::Bye:
        return Bye{};
    }
    return Bye{};
}

} // namespace

FrameType typeOf(const Frame& frame) { return static_cast<FrameType>(frame.index() + 1); }

const char* refusalName(Refusal refusal) {
    switch (refusal) {
    case Refusal::None: return "none";
    case Refusal::EmptyFrame: return "empty frame";
    case Refusal::Oversized: return "oversized frame";
    case Refusal::UnknownType: return "unknown frame type";
    case Refusal::Truncated: return "truncated field";
    case Refusal::TrailingBytes: return "trailing bytes";
    case Refusal::BadLength: return "text length out of limits";
    case Refusal::BadText: return "text not plain GBK";
    case Refusal::BadValue: return "value out of range";
    }
    return "unknown";
}

Refusal check(const Frame& frame) {
    struct Visitor {
        Refusal operator()(const Hello& f) const { return checkGreeting(f.protocol, f.name); }
        Refusal operator()(const Welcome& f) const { return checkGreeting(f.protocol, f.name); }
        Refusal operator()(const Refuse& f) const {
            // Reasons a later version adds must still get through: the layout is fixed so that
            // any two versions can tell each other why they cannot play.
            return static_cast<int>(f.reason) >= 1 ? Refusal::None : Refusal::BadValue;
        }
        Refusal operator()(const Step& f) const {
            return f.game >= 1 && isPoint(f.column) && isPoint(f.row) ? Refusal::None : Refusal::BadValue;
        }
        Refusal operator()(const Chat& f) const { return checkText(f.text, kMaxChat); }
        Refusal operator()(const RestartAsk&) const { return Refusal::None; }
        Refusal operator()(const RestartReply&) const { return Refusal::None; }
        Refusal operator()(const KeepAlive&) const { return Refusal::None; }
        Refusal operator()(const Bye&) const { return Refusal::None; }
    };
    return std::visit(Visitor{}, frame);
}

std::string encode(const Frame& frame) {
    if (check(frame) != Refusal::None) {
        return {};
    }
    Writer w;
    w.u32(0); // patched below
    w.u8(static_cast<std::uint8_t>(typeOf(frame)));
    struct Visitor {
        Writer& w;
        void operator()(const Hello& f) const { greeting(f.protocol, f.version, f.name); }
        void operator()(const Welcome& f) const { greeting(f.protocol, f.version, f.name); }
        void operator()(const Refuse& f) const {
            w.u8(static_cast<std::uint8_t>(f.reason));
            w.u16(f.version);
        }
        void operator()(const Step& f) const {
            w.u32(f.game);
            w.u8(f.column);
            w.u8(f.row);
        }
        void operator()(const Chat& f) const { w.text8(f.text); }
        void operator()(const RestartAsk&) const {}
        void operator()(const RestartReply& f) const { w.u8(f.agree ? 1 : 0); }
        void operator()(const KeepAlive&) const {}
        void operator()(const Bye&) const {}
        void greeting(const std::string& protocol, std::uint16_t version, const std::string& name) const {
            w.text8(protocol);
            w.u16(version);
            w.text8(name);
        }
    };
    std::visit(Visitor{w}, frame);
    std::string& out = w.bytes();
    const auto length = static_cast<std::uint32_t>(out.size() - kHeaderSize);
    for (int i = 0; i < 4; ++i) {
        out[static_cast<std::size_t>(i)] = static_cast<char>(length >> (24 - 8 * i) & 0xFF);
    }
    return out;
}

DecodeResult decode(std::string_view buffer) {
    DecodeResult result;
    if (buffer.size() < kHeaderSize) {
        return result;
    }
    std::uint32_t length = 0;
    for (std::size_t i = 0; i < kHeaderSize; ++i) {
        length = length << 8 | static_cast<unsigned char>(buffer[i]);
    }
    auto refuse = [&result](Refusal why) {
        result.status = DecodeStatus::Refused;
        result.refusal = why;
        return result;
    };
    if (length == 0) {
        return refuse(Refusal::EmptyFrame);
    }
    if (length > kMaxPayload) {
        return refuse(Refusal::Oversized);
    }
    // A stream split right after the header is normal TCP: the type byte is not here yet.
    if (buffer.size() == kHeaderSize) {
        return result;
    }
    const auto type = static_cast<unsigned char>(buffer[kHeaderSize]);
    if (type < static_cast<unsigned char>(FrameType::Hello) || type > static_cast<unsigned char>(FrameType::Bye)) {
        return refuse(Refusal::UnknownType);
    }
    if (buffer.size() - kHeaderSize < length) {
        return result;
    }

    Reader reader(buffer.substr(kHeaderSize + 1, length - 1));
    Refusal valueError = Refusal::None;
    Frame frame = readPayload(static_cast<FrameType>(type), reader, valueError);
    if (!reader.ok()) {
        return refuse(Refusal::Truncated);
    }
    if (!reader.atEnd()) {
        return refuse(Refusal::TrailingBytes);
    }
    if (valueError != Refusal::None) {
        return refuse(valueError);
    }
    if (const Refusal why = check(frame); why != Refusal::None) {
        return refuse(why);
    }
    result.status = DecodeStatus::Complete;
    result.frame = std::move(frame);
    result.consumed = kHeaderSize + length;
    return result;
}

} // namespace nw::wire
