// The main window's side of network play.

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTextEdit>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>

#include "dialogs.h"
#include "form1.h"
#include "window_design.h"
#include "help/about_box.h"
#include "kivola/core/placement.h"
#include "chat_input.h"
#include "chat_view.h"
#include "kivola/match/texts.h"
#include "kivola/net/chat_record.h"
#include "nw/nw_events.h"
#include "skin.h"

namespace kivola {

namespace {

constexpr int kEnterKey = 13;

QString fromUtf8(const char* text) { return QString::fromUtf8(text); }

} // namespace

// The one bridge from the library's plain C callback to a window: the window that last
// opened network play.
TForm1* TForm1::netEventWindow_ = nullptr;

void TForm1::closeEvent(QCloseEvent* event) {
    bool canClose = true;
    handle([&] { canClose = match_.mayClose(); });
    if (canClose) {
        event->accept();
    } else {
        event->ignore();
    }
}

// ---- Network play ----

void TForm1::buildNetControls() {
    // The input counts GBK bytes, which is what the peer receives.
    Edit1->setValidator(new GbkLengthValidator(kChatInputBytes, Edit1));
    Edit1->installEventFilter(this);
}

void TForm1::actNetWorkExecute() {
    netEventWindow_ = this;
    if (match_.startNetMatch(static_cast<QWidget*>(this), &TForm1::NetEventProc)) {
        Edit1->setFocus();
    }
}

void TForm1::NetEventProc(std::int32_t /*unused*/, NetEvent* event) {
    TForm1* window = netEventWindow_;
    if (window == nullptr || event == nullptr) {
        return;
    }
    // The record and its payload live only during this call, which the handler does not outlast.
    window->handle([&] {
        window->keyboard_.leave();
        window->match_.receive(*event);
    });
}

int TForm1::memoDisplayedLines() const { return displayedLineCount(*Memo1); }

void TForm1::appendChatLine(const QString& line) { appendChatRecordLine(*Memo1, line); }

void TForm1::clearChat() { Memo1->clear(); }

QTimer* TForm1::noticeTimer(Notice notice) const {
    // In Notice's order.
    static constexpr QTimer* TForm1::*kTimers[kNoticeKinds] = {&TForm1::Timer4, &TForm1::Timer2, &TForm1::Timer3,
                                                               &TForm1::Timer5, &TForm1::Timer8};
    return this->*kTimers[static_cast<std::size_t>(notice)];
}

void TForm1::armNotice(Notice notice) { noticeTimer(notice)->start(); }

void TForm1::withdrawNotice(Notice notice) {
    noticeTimer(notice)->stop();
    notices_.withdraw(notice);
}

bool TForm1::confirm(Question question) {
    // In Question's order.
    static constexpr const char* kTexts[] = {nettext::kEndMatchQuestion, nettext::kReconnectQuestion,
                                             nettext::kCloseQuestion};
    const char* text = kTexts[static_cast<std::size_t>(question)];
    return dialogs_.askYesNo(this, fromUtf8(text), fromUtf8(nettext::kInMatchCaption));
}

void TForm1::closeAboutBox() { aboutBox_.CloseIfShown(); }

void TForm1::networkReleased() { setWindowTitle(QStringLiteral("Kivola")); }

void TForm1::Edit1KeyDown(int key) {
    if (key == kEnterKey && match_.sendChat(Edit1->text())) {
        // The line shows in Memo1 only when the library echoes it back.
        Edit1->clear();
    }
    Edit1->setFocus();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const int code = (key == Qt::Key_Return || key == Qt::Key_Enter) ? kEnterKey : key;
        handle([&] { Edit1KeyDown(code); });
    }
    return QMainWindow::eventFilter(watched, event);
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

void TForm1::EndNetMatch() {
    match_.EndNetMatch();
    repaint();
}

} // namespace kivola
