#pragma once
// The chat record: a word-wrapping text view that keeps a bounded number of displayed lines.

class QPlainTextEdit;
class QString;

namespace kivola {

// Beyond this many displayed lines each arriving text first pushes the oldest line out, so
// the record settles one above it.
inline constexpr int kChatRecordLineLimit = 100;

// Lines as shown: a wrapped text counts once per displayed line; an empty record has none.
int displayedLineCount(const QPlainTextEdit& record);

// Removes the first displayed line; of a wrapped text only the part shown on that line.
void removeFirstDisplayedLine(QPlainTextEdit& record);

// Appends the text as one line, after trimming the oldest displayed line once over the limit.
void appendChatRecordLine(QPlainTextEdit& record, const QString& line);

} // namespace kivola
