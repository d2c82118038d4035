#pragma once
// The two window messages of the library as Qt events, posted to the window handle given to
// PrepareNetwork.

#include <QByteArray>
#include <QEvent>
#include <functional>

#include "nw/nw.h"
#include "nw/nw_export.h"

namespace nw {

inline constexpr QEvent::Type kNetNoticeEvent = static_cast<QEvent::Type>(QEvent::User + 100);
inline constexpr QEvent::Type kNetRestartAskEvent = static_cast<QEvent::Type>(QEvent::User + 101);
static_assert(int{kNetNoticeEvent} == int{WM_NETNOTICE} && int{kNetRestartAskEvent} == int{WM_NETRESTARTASK});

// Carries its text as NUL-terminated GBK bytes; the event owns them, so they stay valid until
// the event has been handled (Qt deletes a posted event after delivery). onHandled runs when
// the event is destroyed, which tells the library the notice is off its hands.
class NW_EXPORT NetTextEvent : public QEvent {
public:
    NetTextEvent(QEvent::Type type, QByteArray gbkText, std::function<void()> onHandled = {});
    ~NetTextEvent() override;

    const char* text() const { return text_.constData(); }
    const QByteArray& gbk() const { return text_; }

private:
    QByteArray text_;
    std::function<void()> onHandled_;
};

} // namespace nw
