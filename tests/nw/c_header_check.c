/* The public header must stay plain C: the program's side may be any language with C calls. */
#include "nw/nw.h"

int nw_c_header_check(NetEvent* event, NetEventCallback callback);

int nw_c_header_check(NetEvent* event, NetEventCallback callback) {
    if (callback)
        callback(0, event);
    return event->EventType == GameBegin && WM_NETNOTICE == 1100 ? 1 : 0;
}
