#include "kivola/net/chat_record.h"

#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <array>

namespace kivola {

namespace {

// The view lays blocks out lazily; a line count is only known once the block is laid out.
QTextLayout* laidOut(const QTextDocument& document, const QTextBlock& block) {
    if (auto* layout = qobject_cast<QPlainTextDocumentLayout*>(document.documentLayout())) {
        layout->ensureBlockLayout(block);
    }
    return block.layout();
}

// The full-width colon that the library puts between a sender's name and the text.
constexpr QChar kNameColon(0xFF1A);

bool isInvisible(QChar c) {
    const QChar::Category category = c.category();
    return category == QChar::Other_Control || category == QChar::Other_Format;
}

} // namespace

int displayedLineCount(const QPlainTextEdit& record) {
    const QTextDocument& document = *record.document();
    if (document.isEmpty()) {
        return 0;
    }
    int lines = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        lines += std::max(1, laidOut(document, block)->lineCount());
    }
    return lines;
}

void removeFirstDisplayedLine(QPlainTextEdit& record) {
    const QTextDocument& document = *record.document();
    const QTextBlock first = document.begin();
    const QTextLayout* layout = laidOut(document, first);
    QTextCursor cursor(first);
    if (layout->lineCount() > 1) {
        const QTextLine line = layout->lineAt(0);
        cursor.setPosition(first.position() + line.textStart() + line.textLength(), QTextCursor::KeepAnchor);
    } else if (!cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor)) {
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    }
    cursor.removeSelectedText();
}

void appendChatRecordLine(QPlainTextEdit& record, const QString& line) {
    if (displayedLineCount(record) > kChatRecordLineLimit) {
        removeFirstDisplayedLine(record);
    }
    record.appendPlainText(line);
}

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
