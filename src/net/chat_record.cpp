#include "kivola/net/chat_record.h"

namespace kivola {

namespace {

// The full-width colon that the library puts between a sender's name and the text.
constexpr QChar kNameColon(0xFF1A);

bool isInvisible(QChar c) {
    const QChar::Category category = c.category();
    return category == QChar::Other_Control || category == QChar::Other_Format;
}

} // namespace

QString collapseBlanks(const QString& text) {
    QString out;
    out.reserve(text.size());
    bool blankPending = false;
    for (const QChar c : text) {
        if (c.isSpace()) {
            blankPending = true;
        } else if (!isInvisible(c)) {
            if (blankPending && !out.isEmpty()) {
                out += QLatin1Char(' ');
            }
            blankPending = false;
            out += c;
        }
    }
    return out;
}

std::optional<QString> chatRecordLine(const QString& line, const QString& seat1Name, const QString& seat2Name) {
    const QString shown = collapseBlanks(line);
    QString sender;
    for (const QString* name : {&seat1Name, &seat2Name}) {
        const QString tag = collapseBlanks(*name) + kNameColon;
        if (tag.size() > 1 && shown.startsWith(tag)) {
            if (!sender.isEmpty() && sender != tag) {
                return std::nullopt;
            }
            sender = tag;
        }
    }
    // What follows the sender may name anyone: the record indents every displayed line after a
    // text's first, so no part of the text can stand where a sender's name stands.
    return sender + collapseBlanks(shown.mid(sender.size()));
}

} // namespace kivola
