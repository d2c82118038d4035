#pragma once
// The boxes that the match and the network library call for. Each kind has its gate, so a flood
// of events never stacks boxes of one kind, and a repeat shows the newest text once the box
// on screen closes.

#include <QString>
#include <array>
#include <functional>

#include "dialogs.h"
#include "kivola/match/match_view.h"

class QEvent;
class QWidget;

namespace kivola {

class NoticeBoard {
public:
    using TextOf = std::function<QString(Notice)>;
    using Answer = std::function<void(bool)>;
    NoticeBoard(DialogService& dialogs, QWidget& owner, TextOf matchText)
        : dialogs_(dialogs), owner_(owner), matchText_(std::move(matchText)) {}

    // A match notice's box: before runs as it opens, after once the player has closed it.
    void tell(Notice notice, const std::function<void()>& before = {}, const std::function<void()>& after = {});
    // The match's question; the answer is used only when it was not withdrawn on screen.
    void ask(Notice notice, const Answer& answer);
    // The library's own notice and restart question arrive as posted events.
    static bool isLibraryMessage(const QEvent& event);
    // Its text is copied before any box opens: the event goes away once handled. A text that is
    // not GBK shows nothing.
    void showLibraryMessage(const QEvent& event, const Answer& answer);
    // The match's question before it goes on; only Yes counts.
    bool confirm(Question question);
    // A waiting repeat is dropped and an open question closed unanswered; the restart question
    // takes the library's own question with it.
    void withdraw(Notice notice);

private:
    static constexpr std::size_t kLibraryNotice = kNoticeKinds;
    static constexpr std::size_t kLibraryQuestion = kNoticeKinds + 1;
    static QString caption(std::size_t box);
    void askThrough(std::size_t box, const std::function<QString()>& text, const Answer& answer);

    DialogService& dialogs_;
    QWidget& owner_;
    TextOf matchText_;
    std::array<NoticeGate, kNoticeKinds + 2> gates_; // Notice's kinds, then the library's two
    QString libraryNotice_;
    QString libraryQuestion_;
};

} // namespace kivola
