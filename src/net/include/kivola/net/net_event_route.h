#pragma once
// The library's plain C callback carries no context, so the program's one mutable global leads
// from it to whoever last opened network play; the receiver's going closes the way.

#include <cstdint>
#include <functional>

#include "nw/nw.h"

namespace kivola {

class NetEventRoute {
public:
    using Receiver = std::function<void(const NetEvent&)>;
    explicit NetEventRoute(Receiver receiver) : receiver_(std::move(receiver)) {}
    ~NetEventRoute();
    NetEventRoute(const NetEventRoute&) = delete;
    NetEventRoute& operator=(const NetEventRoute&) = delete;

    // The library's events come here from now on; hand it NetEventProc.
    void open() { current_ = this; }
    // The callback given to PrepareNetwork. Events reach the open route, or nobody.
    static void NetEventProc(std::int32_t unused, NetEvent* event);

private:
    static NetEventRoute* current_;
    Receiver receiver_;
};

} // namespace kivola
