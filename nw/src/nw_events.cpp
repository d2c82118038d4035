#include "nw/nw_events.h"

#include "nw/gbk.h"

namespace nw {

NetTextEvent::NetTextEvent(QEvent::Type type, QByteArray gbkText, std::function<void()> onHandled)
    : QEvent(type), m_text(std::move(gbkText)), m_onHandled(std::move(onHandled)) {}

NetTextEvent::~NetTextEvent() {
    if (m_onHandled)
        m_onHandled();
}

QString NetTextEvent::toQString() const { return fromGbk(m_text); }

QByteArray toGbk(const QString& text, bool* ok) {
    const QByteArray utf8 = text.toUtf8();
    const auto gbk = utf8ToGbk(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    if (ok)
        *ok = gbk.has_value();
    return gbk ? QByteArray(gbk->data(), static_cast<qsizetype>(gbk->size())) : QByteArray();
}

QString fromGbk(const QByteArray& gbk, bool* ok) {
    const auto utf8 = gbkToUtf8(std::string_view(gbk.constData(), static_cast<std::size_t>(gbk.size())));
    if (ok)
        *ok = utf8.has_value();
    return utf8 ? QString::fromUtf8(utf8->data(), static_cast<qsizetype>(utf8->size())) : QString();
}

} // namespace nw
