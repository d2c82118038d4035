#include "kivola/net/net_events.h"

#include <cstring>

#include "kivola/net/gbk_text.h"

namespace kivola {

namespace {

// GameBegin reads only the low byte of its seat.
constexpr std::int32_t lowByte(std::int32_t value) { return value & 0xFF; }

std::optional<QString> gbkText(const char* data) {
    const auto bytes = boundedCString(data);
    if (!bytes) {
        return std::nullopt;
    }
    return fromGbk(*bytes);
}

} // namespace

std::optional<QByteArray> boundedCString(const char* data) {
    if (data == nullptr) {
        return std::nullopt;
    }
    const std::size_t length = strnlen(data, kLongestEventText + 1);
    if (length > kLongestEventText) {
        return std::nullopt;
    }
    return QByteArray(data, static_cast<qsizetype>(length));
}

bool isSeat(std::int32_t seat) { return seat == 1 || seat == 2; }

std::optional<GameBeginRecord> readGameBegin(const NetEvent& event) {
    const std::int32_t seat = lowByte(event.Seat);
    const char* data = static_cast<const char*>(event.Data);
    const auto first = boundedCString(data);
    if (!isSeat(seat) || !first) {
        return std::nullopt;
    }
    // The second name starts behind the first one's NUL, which boundedCString found in bounds.
    const auto firstName = fromGbk(*first);
    const auto secondName = gbkText(data + first->size() + 1);
    if (!firstName || !secondName) {
        return std::nullopt;
    }
    return GameBeginRecord{seat, *firstName, *secondName};
}

std::optional<QString> readChatText(const NetEvent& event) { return gbkText(static_cast<const char*>(event.Data)); }

std::optional<BoardPoint> readStep(const NetEvent& event) {
    if (event.Data == nullptr) {
        return std::nullopt;
    }
    std::int32_t point[2];
    std::memcpy(point, event.Data, sizeof point);
    return BoardPoint{point[0], point[1]};
}

} // namespace kivola
