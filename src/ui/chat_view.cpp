#include "chat_view.h"

#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>

namespace kivola {

namespace {

// The view lays blocks out lazily; a line count is only known once the block is laid out.
QTextLayout* laidOut(const QTextDocument& document, const QTextBlock& block) {
    if (auto* layout = qobject_cast<QPlainTextDocumentLayout*>(document.documentLayout())) {
        layout->ensureBlockLayout(block);
    }
    return block.layout();
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

} // namespace kivola
