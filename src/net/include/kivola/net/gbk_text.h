#pragma once
// Texts as the network library carries them: GBK bytes, converted strictly.

#include <QByteArray>
#include <QEvent>
#include <QString>
#include <optional>

namespace kivola {

// nullopt when a character has no GBK form.
std::optional<QByteArray> toGbk(const QString& text);
// nullopt on any byte sequence that is not GBK.
std::optional<QString> fromGbk(const QByteArray& gbk);

// The library's own two window messages, posted to the main window as events.
enum class LibraryMessage { None, Notice, Question };
LibraryMessage libraryMessageKind(const QEvent& event);
// The message's text, copied out of the event; nullopt when it is not GBK or not a message.
std::optional<QString> libraryMessageText(const QEvent& event);

} // namespace kivola
