#include "kivola/net/chat_record.h"

#include <array>

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
    std::array<QString, 2> tags;
    std::size_t tagCount = 0;
    for (const QString* name : {&seat1Name, &seat2Name}) {
        const QString tag = collapseBlanks(*name);
        if (!tag.isEmpty()) {
            tags[tagCount++] = tag + kNameColon;
        }
    }
    QString sender;
    for (std::size_t i = 0; i < tagCount; ++i) {
        if (shown.startsWith(tags[i])) {
            if (!sender.isEmpty() && sender != tags[i]) {
                return std::nullopt;
            }
            sender = tags[i];
        }
    }
    const QString text = collapseBlanks(shown.mid(sender.size()));
    for (std::size_t i = 0; i < tagCount; ++i) {
        // A blank before the colon reads the same on screen.
        QString spaced = tags[i];
        spaced.insert(spaced.size() - 1, QLatin1Char(' '));
        if (text.contains(tags[i]) || text.contains(spaced)) {
            return std::nullopt;
        }
    }
    return sender + text;
}

} // namespace kivola
