#include "notice_board.h"

#include "kivola/match/texts.h"
#include "kivola/net/gbk_text.h"

namespace kivola {

QString NoticeBoard::caption(std::size_t box) {
    switch (box) {
    case static_cast<std::size_t>(Notice::Result): return QString::fromUtf8(text::kResultCaption);
    case static_cast<std::size_t>(Notice::RestartAsked): return QString::fromUtf8(nettext::kRestartAskCaption);
    case static_cast<std::size_t>(Notice::RestartRefused): return QString::fromUtf8(nettext::kRefuseCaption);
    case kLibraryNotice: return QString::fromUtf8(nettext::kLibraryNoticeCaption);
    case kLibraryQuestion: return QString::fromUtf8(nettext::kLibraryQuestionCaption);
    default: return QString::fromUtf8(nettext::kMatchOverCaption);
    }
}

void NoticeBoard::tell(Notice notice, const std::function<void()>& before, const std::function<void()>& after) {
    const auto box = static_cast<std::size_t>(notice);
    gates_[box].show([&] {
        if (before) {
            before();
        }
        dialogs_.showMessage(&owner_, matchText_(notice), caption(box));
        if (after) {
            after();
        }
    });
}

void NoticeBoard::askThrough(std::size_t box, const std::function<QString()>& text, const Answer& answer) {
    NoticeGate& gate = gates_[box];
    gate.show([&] {
        // The library's question is the standard confirmation, the match's a plain box.
        // Tagged by its kind, so that a withdrawal closes this box and never another that shares its caption.
        const int tag = static_cast<int>(box) + 1;
        const bool yes = box == kLibraryQuestion ? dialogs_.askConfirmation(&owner_, text(), caption(box), tag)
                                                 : dialogs_.askYesNo(&owner_, text(), caption(box), tag);
        if (!gate.withdrawn()) {
            answer(yes);
        }
    });
}

void NoticeBoard::ask(Notice notice, const Answer& answer) {
    askThrough(static_cast<std::size_t>(notice), [&] { return matchText_(notice); }, answer);
}

bool NoticeBoard::isLibraryMessage(const QEvent& event) {
    return libraryMessageKind(event) != LibraryMessage::None;
}

void NoticeBoard::showLibraryMessage(const QEvent& event, const Answer& answer) {
    const auto text = libraryMessageText(event);
    if (!text) {
        return;
    }
    if (libraryMessageKind(event) == LibraryMessage::Notice) {
        libraryNotice_ = *text;
        gates_[kLibraryNotice].show([this] { dialogs_.showInformation(&owner_, libraryNotice_, caption(kLibraryNotice)); });
    } else {
        libraryQuestion_ = *text;
        askThrough(kLibraryQuestion, [this] { return libraryQuestion_; }, answer);
    }
}

bool NoticeBoard::confirm(Question question) {
    // In Question's order.
    static constexpr const char* kTexts[] = {nettext::kEndMatchQuestion, nettext::kReconnectQuestion,
                                             nettext::kCloseQuestion};
    return dialogs_.askYesNo(&owner_, QString::fromUtf8(kTexts[static_cast<std::size_t>(question)]),
                             QString::fromUtf8(nettext::kInMatchCaption));
}

void NoticeBoard::withdraw(Notice notice) {
    const auto box = static_cast<std::size_t>(notice);
    if (gates_[box].withdraw() && notice == Notice::RestartAsked) {
        dialogs_.closeQuestion(static_cast<int>(box) + 1);
    }
    if (notice == Notice::RestartAsked && gates_[kLibraryQuestion].withdraw()) {
        dialogs_.closeQuestion(static_cast<int>(kLibraryQuestion) + 1);
    }
}

} // namespace kivola
