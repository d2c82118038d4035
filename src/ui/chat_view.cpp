#include "chat_view.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <algorithm>

namespace kivola {

namespace {

// The view lays blocks out lazily; a line count is only known once the block is laid out.
QTextLayout* laidOut(const QTextDocument& document, const QTextBlock& block) {
    document.documentLayout()->blockBoundingRect(block);
    return block.layout();
}

} // namespace

double hangingIndent(const QTextEdit& record) {
    return QFontMetricsF(record.font()).horizontalAdvance(QStringLiteral("\u3000\u3000"));
}

int displayedLineCount(const QTextEdit& record) {
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

void removeFirstDisplayedLine(QTextEdit& record) {
    const QTextDocument& document = *record.document();
    const QTextBlock first = document.begin();
    const QTextLayout* layout = laidOut(document, first);
    QTextCursor cursor(first);
    if (layout->lineCount() > 1) {
        const QTextLine line = layout->lineAt(0);
        cursor.setPosition(first.position() + line.textStart() + line.textLength(), QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        // What is left continues a text whose start is gone: it keeps the continuation's indent.
        QTextBlockFormat rest = first.blockFormat();
        rest.setTextIndent(0);
        cursor.setBlockFormat(rest);
        return;
    }
    if (!cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor)) {
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    }
    cursor.removeSelectedText();
}

void appendChatRecordLine(QTextEdit& record, const QString& line) {
    if (displayedLineCount(record) > kChatRecordLineLimit) {
        removeFirstDisplayedLine(record);
    }
    QScrollBar& bar = *record.verticalScrollBar();
    const bool following = bar.value() >= bar.maximum();
    QTextBlockFormat hanging;
    hanging.setLeftMargin(hangingIndent(record));
    hanging.setTextIndent(-hangingIndent(record));
    QTextCursor cursor(record.document());
    cursor.movePosition(QTextCursor::End);
    if (record.document()->isEmpty()) {
        cursor.setBlockFormat(hanging);
    } else {
        cursor.insertBlock(hanging);
    }
    cursor.insertText(line);
    if (following) {
        bar.setValue(bar.maximum());
    }
}

} // namespace kivola
