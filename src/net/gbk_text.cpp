#include "kivola/net/gbk_text.h"

#include "nw/nw_events.h"

namespace kivola {

std::optional<QByteArray> toGbkBytes(const QString& text) {
    bool ok = false;
    QByteArray gbk = nw::toGbk(text, &ok);
    if (!ok) {
        return std::nullopt;
    }
    return gbk;
}

std::optional<QString> fromGbkBytes(const QByteArray& gbk) {
    bool ok = false;
    QString text = nw::fromGbk(gbk, &ok);
    if (!ok) {
        return std::nullopt;
    }
    return text;
}

QValidator::State GbkLengthValidator::validate(QString& input, int& /*pos*/) const {
    const auto gbk = toGbkBytes(input);
    return gbk && gbk->size() <= maxBytes_ ? Acceptable : Invalid;
}

} // namespace kivola
