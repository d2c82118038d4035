// The main window's side of network play.

#include <QCloseEvent>
#include <QLineEdit>
#include <QTextEdit>
#include <QTimer>

#include "chat_view.h"
#include "form1.h"

namespace kivola {

void TForm1::closeEvent(QCloseEvent* event) {
    // Closing goes ahead unless the player keeps the match; an error does not keep it.
    event->accept();
    handle([&] { event->setAccepted(match_.mayClose()); });
}

void TForm1::actNetWorkExecute() {
    netEvents_.open();
    if (match_.startNetMatch(static_cast<QWidget*>(this), &NetEventRoute::NetEventProc)) {
        Edit1->setFocus();
    }
}

int TForm1::memoDisplayedLines() const { return displayedLineCount(*Memo1); }

void TForm1::appendChatLine(const QString& line) { appendChatRecordLine(*Memo1, line); }

void TForm1::clearChat() { Memo1->clear(); }

void TForm1::armNotice(Notice notice) { noticeTimer(notice)->start(); }

void TForm1::withdrawNotice(Notice notice) {
    noticeTimer(notice)->stop();
    notices_.withdraw(notice);
}

bool TForm1::confirm(Question question) { return notices_.confirm(question); }

void TForm1::closeAboutBox() { aboutBox_.CloseIfShown(); }

void TForm1::networkReleased() { setWindowTitle(QStringLiteral("Kivola")); }

// Enter in the chat input.
void TForm1::Edit1KeyDown() {
    if (match_.sendChat(Edit1->text())) {
        // The line shows in Memo1 only when the library echoes it back.
        Edit1->clear();
    }
    Edit1->setFocus();
}

bool TForm1::event(QEvent* event) {
    if (!NoticeBoard::isLibraryMessage(*event)) {
        return QMainWindow::event(event);
    }
    handle([&] { notices_.showLibraryMessage(*event, [this](bool yes) { match_.answerRestart(yes); }); });
    return true;
}

// While a notice's box is on screen the event loop runs on: a repeat of its timer only leaves
// the newest text waiting behind the box.

void TForm1::Timer2Timer() {
    Timer2->stop();
    notices_.tell(Notice::PeerQuit, [this] { match_.releaseNetwork(); }, [this] { match_.afterPeerQuit(); });
}

void TForm1::Timer3Timer() {
    Timer3->stop();
    // A question left over from a match that has ended asks about nothing.
    if (match_.inNetMatch()) {
        notices_.ask(Notice::RestartAsked, [this](bool yes) { match_.answerRestart(yes); });
    }
}

void TForm1::Timer5Timer() {
    Timer5->stop();
    notices_.tell(Notice::RestartRefused);
}

void TForm1::Timer8Timer() {
    Timer8->stop();
    // The final position stays on the board until the user has read why the match ended.
    notices_.tell(Notice::LinkLost, {}, [this] { match_.afterLinkLost(); });
}

} // namespace kivola
