#include "nw/nw_events.h"

namespace nw {

NetTextEvent::NetTextEvent(QEvent::Type type, QByteArray gbkText, std::function<void()> onHandled)
    : QEvent(type), m_text(std::move(gbkText)), m_onHandled(std::move(onHandled)) {}

NetTextEvent::~NetTextEvent() {
    if (m_onHandled)
        m_onHandled();
}

} // namespace nw
