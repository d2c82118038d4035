#include "kivola/net/gbk_text.h"

#include "nw/gbk.h"
#include "nw/nw_events.h"

namespace kivola {

std::optional<QByteArray> toGbk(const QString& text) {
    const auto gbk = nw::utf8ToGbk(text.toStdString());
    if (!gbk) {
        return std::nullopt;
    }
    return QByteArray::fromStdString(*gbk);
}

std::optional<QString> fromGbk(const QByteArray& gbk) {
    const auto utf8 = nw::gbkToUtf8(gbk.toStdString());
    if (!utf8) {
        return std::nullopt;
    }
    return QString::fromStdString(*utf8);
}

LibraryMessage libraryMessageKind(const QEvent& event) {
    if (event.type() == nw::kNetNoticeEvent) {
        return LibraryMessage::Notice;
    }
    return event.type() == nw::kNetRestartAskEvent ? LibraryMessage::Question : LibraryMessage::None;
}

std::optional<QString> libraryMessageText(const QEvent& event) {
    const auto* message = dynamic_cast<const nw::NetTextEvent*>(&event);
    if (message == nullptr) {
        return std::nullopt;
    }
    return fromGbk(message->gbk());
}

} // namespace kivola
