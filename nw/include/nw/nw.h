#pragma once
/* The C interface of the network library NW (libNW.so): seven functions, the event record
   given to the program's callback, and the two window messages. Texts are GBK bytes. */

#include <stddef.h>
#include <stdint.h>

#include "nw/nw_export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Values of NetEvent.EventType. */
enum NetEventType {
    GameBegin = 1,      /* Seat: local seat; Data: seat 1's name NUL seat 2's name NUL */
    YourTurn = 2,       /* the local player may move */
    ChatText = 3,       /* Data: one NUL-terminated line, "name：text"; without a name, the
                           library's own note on a local line it did not send */
    OneStep = 4,        /* Data: int32 column, int32 row (1..15) of the peer's stone */
    RestartAsked = 5,   /* Seat: the asker; answer with ReplyRestart */
    PeerGone = 6,       /* Seat: the leaver; LinkLost 0 the peer left, nonzero the link broke */
    RestartRefused = 7  /* Seat: the refuser */
};

/* Window messages, posted to the window handle as QEvents of these types (see nw_events.h). */
enum NetWindowMessage {
    WM_NETNOTICE = 1000 + 100,    /* QEvent::User + 100: a notice, shown with OK */
    WM_NETRESTARTASK = 1000 + 101 /* QEvent::User + 101: a yes/no question (not posted by this version) */
};

typedef struct NetEvent {
    int32_t EventType;
    int32_t Seat;
    int32_t Reserved; /* not read */
    void* Data;       /* valid, with its payload, during the callback only; NULL without payload */
    int32_t LinkLost;
} NetEvent;

#if defined(__x86_64__) || defined(__aarch64__)
/* The layout the program reads on this 64-bit platform: the pointer is 8-aligned. */
#ifdef __cplusplus
static_assert(offsetof(NetEvent, EventType) == 0, "NetEvent layout");
static_assert(offsetof(NetEvent, Seat) == 4, "NetEvent layout");
static_assert(offsetof(NetEvent, Reserved) == 8, "NetEvent layout");
static_assert(offsetof(NetEvent, Data) == 16, "NetEvent layout");
static_assert(offsetof(NetEvent, LinkLost) == 24, "NetEvent layout");
static_assert(sizeof(NetEvent) == 32, "NetEvent layout");
#else
_Static_assert(offsetof(NetEvent, Data) == 16, "NetEvent layout");
_Static_assert(offsetof(NetEvent, LinkLost) == 24, "NetEvent layout");
_Static_assert(sizeof(NetEvent) == 32, "NetEvent layout");
#endif
#endif

/* Called on the user-interface thread, never from inside one of the functions below. */
typedef void (*NetEventCallback)(int32_t unused, NetEvent* event);

/* Opens the connection dialog (modal, owned by window, a QWidget* or NULL). Hosting, the
   dialog stays open once listening and shows the port and this machine's addresses until a
   friend has joined. Nonzero once a friend's handshake completed (host) or connected and
   greeted (join); 0 on cancel (which also stops hosting) or failure, the reason posted to
   window as WM_NETNOTICE. Events (GameBegin first) start after it returns. At most one
   notice is posted and not yet handled at a time; later ones wait, only the latest kept. */
NW_EXPORT int32_t PrepareNetwork(void* window, NetEventCallback callback);

/* step: int32 column, int32 row; byteCount must be 8. Returns nonzero when sent; a stone out
   of turn, out of range, on an occupied point, or played before the current game's GameBegin
   reached the callback (it belongs to the game before a restart) is not sent. */
NW_EXPORT int32_t SendOneStep(int32_t byteCount, const void* step);

/* length: bytes of text including its NUL. Returns nonzero when sent; the line comes back as
   ChatText. A line beyond the sender's allowance (a burst of 4, then 1 a second) or not
   sendable is not sent, and a ChatText note without a name says so. */
NW_EXPORT int32_t SendChat(int32_t length, const char* text);

/* Asks the peer for a new game; nonzero when sent, or held to be sent a few seconds after the
   last answer (so the peer never has to refuse it unasked). One question at a time. */
NW_EXPORT int32_t RequireRestart(void);

/* Answers the peer's RestartAsked: -1 (any nonzero) agree, 0 refuse. Nonzero when sent. A
   GameBegin settles every question still open: the library has answered it (refused) itself,
   and a later reply to it sends nothing. */
NW_EXPORT int32_t ReplyRestart(int32_t answer);

/* Tells the peer the local player leaves and closes the link; no event follows. */
NW_EXPORT int32_t SendDisconnect(int32_t unused);

/* Closes everything at once; accepted in any state, also twice or with no connection made. */
NW_EXPORT void ReleaseNetWork(void);

#ifdef __cplusplus
}
#endif
