#include "nw/nw_events.h"

namespace nw {

NetTextEvent::NetTextEvent(QEvent::Type type, QByteArray gbkText, std::function<void()> onHandled)
    : QEvent(type), text_(std::move(gbkText)), onHandled_(std::move(onHandled)) {}

NetTextEvent::~NetTextEvent() {
    if (onHandled_) {
        onHandled_();
    }
}

} // namespace nw
