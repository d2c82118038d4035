// The main window's side of network play.

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>

#include "dialogs.h"
#include "form1.h"
#include "form1_shared.h"
#include "window_design.h"
#include "help/about_box.h"
#include "kivola/core/placement.h"
#include "chat_view.h"
#include "kivola/match/texts.h"
#include "kivola/net/chat_record.h"
#include "kivola/net/gbk_text.h"
#include "nw/nw_events.h"
#include "skin.h"

namespace kivola {

namespace {

constexpr int kPeerGoneNoticeMs = 10;
constexpr int kRestartAskNoticeMs = 10;
constexpr int kRefuseNoticeMs = 1;
constexpr int kLinkLostNoticeMs = 10;
constexpr int kEnterKey = 13;

} // namespace

using namespace form1detail;

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
    connect(actNetWork, &QAction::triggered, this, [this] { handle([this] { actNetWorkExecute(); }); });
    // The input counts GBK bytes, which is what the peer receives.
    Edit1->setValidator(new GbkLengthValidator(kChatInputBytes, Edit1));
    Edit1->installEventFilter(this);

    Timer2 = makeTimer(this, "Timer2", kPeerGoneNoticeMs, true);
    Timer3 = makeTimer(this, "Timer3", kRestartAskNoticeMs, true);
    Timer5 = makeTimer(this, "Timer5", kRefuseNoticeMs, true);
    Timer8 = makeTimer(this, "Timer8", kLinkLostNoticeMs, true);
    connect(Timer2, &QTimer::timeout, this, [this] { handle([this] { Timer2Timer(); }); });
    connect(Timer3, &QTimer::timeout, this, [this] { handle([this] { Timer3Timer(); }); });
    connect(Timer5, &QTimer::timeout, this, [this] { handle([this] { Timer5Timer(); }); });
    connect(Timer8, &QTimer::timeout, this, [this] { handle([this] { Timer8Timer(); }); });
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
    window->handle([&] { window->match_.receive(*event); });
}

int TForm1::memoDisplayedLines() const { return displayedLineCount(*Memo1); }

void TForm1::appendChatLine(const QString& line) { appendChatRecordLine(*Memo1, line); }

void TForm1::clearChat() { Memo1->clear(); }

QTimer* TForm1::noticeTimer(Notice notice) const {
    switch (notice) {
    case Notice::Result: return Timer4;
    case Notice::PeerQuit: return Timer2;
    case Notice::RestartAsked: return Timer3;
    case Notice::RestartRefused: return Timer5;
    case Notice::LinkLost: return Timer8;
    }
    return Timer4;
}

void TForm1::armNotice(Notice notice) { noticeTimer(notice)->start(); }

void TForm1::withdrawNotice(Notice notice) {
    noticeTimer(notice)->stop();
    notices_.withdraw(notice);
}

bool TForm1::confirm(Question question) {
    const char* text = nettext::kCloseQuestion;
    if (question == Question::EndNetMatch) {
        text = nettext::kEndMatchQuestion;
    } else if (question == Question::Reconnect) {
        text = nettext::kReconnectQuestion;
    }
    return dialogs_.askYesNo(this, fromUtf8(text), fromUtf8(nettext::kInMatchCaption));
}

void TForm1::closeAboutBox() {
    if (aboutBox_ != nullptr) {
        aboutBox_->CloseIfShown();
    }
}

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
    const bool notice = event->type() == nw::kNetNoticeEvent;
    if (notice || event->type() == nw::kNetRestartAskEvent) {
        const auto* message = dynamic_cast<const nw::NetTextEvent*>(event);
        // Copied before any box opens: the event goes away once handled.
        const auto text = message != nullptr ? nw::gbkToUtf8(message->gbk().toStdString()) : std::nullopt;
        if (text) {
            handle([&] {
                if (notice) {
                    notices_.tellLibraryNotice(QString::fromStdString(*text));
                } else {
                    notices_.askLibraryQuestion(QString::fromStdString(*text),
                                                [this](bool yes) { match_.answerRestart(yes); });
                }
            });
        }
        return true;
    }
    return QMainWindow::event(event);
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
