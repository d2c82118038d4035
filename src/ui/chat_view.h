#pragma once
// The chat record: a word-wrapping text view that keeps a bounded number of displayed lines.
// Every line after the first of a text is indented (a hanging indent), so no displayed line
// but a text's first can start where the sender's name starts.

class QTextEdit;
class QString;

namespace kivola {

// Beyond this many displayed lines each arriving text first pushes the oldest line out, so
// the record settles one above it.
inline constexpr int kChatRecordLineLimit = 100;

// Lines as shown: a wrapped text counts once per displayed line; an empty record has none.
int displayedLineCount(const QTextEdit& record);

// Removes the first displayed line; of a wrapped text only the part shown on that line, and
// the rest of that text stays indented.
void removeFirstDisplayedLine(QTextEdit& record);

// Appends the text as one line, after trimming the oldest displayed line once over the limit.
// The text is plain text, never markup.
void appendChatRecordLine(QTextEdit& record, const QString& line);

// How far the continuation lines of a text stand in from its first line, in pixels.
double hangingIndent(const QTextEdit& record);

} // namespace kivola
