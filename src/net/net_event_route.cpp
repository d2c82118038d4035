#include "kivola/net/net_event_route.h"

#include <QCoreApplication>
#include <QThread>
#include <cassert>

namespace kivola {

NetEventRoute* NetEventRoute::current_ = nullptr;

NetEventRoute::~NetEventRoute() {
    if (current_ == this) {
        current_ = nullptr;
    }
}

void NetEventRoute::NetEventProc(std::int32_t /*unused*/, NetEvent* event) {
    // The library promises the user-interface thread, which every receiver relies on.
    assert(QCoreApplication::instance() == nullptr || QThread::currentThread() == QCoreApplication::instance()->thread());
    if (current_ != nullptr && event != nullptr) {
        // The record and its payload live only during this call, which the receiver does not outlast.
        current_->receiver_(*event);
    }
}

} // namespace kivola
