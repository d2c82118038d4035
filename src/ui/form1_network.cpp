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
    handle([&] {
        if (state_.netMode != 0) {
            canClose = dialogs_.askYesNo(this, fromUtf8(nettext::kCloseQuestion), fromUtf8(nettext::kInMatchCaption));
        }
    });
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
    NetLibrary& library = netMatch_.library();
    if (state_.netMode != 0) {
        if (!dialogs_.askYesNo(this, fromUtf8(nettext::kReconnectQuestion), fromUtf8(nettext::kInMatchCaption))) {
            return;
        }
        library.SendDisconnect(0);
        library.ReleaseNetWork();
        setWindowTitle(QStringLiteral("Kivola"));
        state_.netMode = 0;
        SetOptionsEnabled(true);
    }
    setClientHeight(kCompactClientHeight);
    Edit1->setEnabled(false);
    ClearBoard(state_, *this);
    state_.playerCanMove = 0;
    netEventWindow_ = this;
    if (library.PrepareNetwork(static_cast<QWidget*>(this), &TForm1::NetEventProc) == 0) {
        return;
    }
    setClientHeight(kTallClientHeight);
    Edit1->setEnabled(true);
    Edit1->setFocus();
    state_.netMode = 1;
    SetOptionsEnabled(false);
    guge1->hide();
    Memo1->clear();
    N10->setEnabled(true);
    N13->setEnabled(false);
}

void TForm1::NetEventProc(std::int32_t /*unused*/, NetEvent* event) {
    TForm1* window = netEventWindow_;
    if (window == nullptr || event == nullptr) {
        return;
    }
    // The record and its payload live only during this call, which the handler does not outlast.
    window->handle([&] { window->netMatch_.receive(*event); });
}

void TForm1::showMatchArea() { setClientHeight(kTallClientHeight); }

void TForm1::setSeatLabels(const QString& seat1, const QString& seat2) {
    Label1->setText(seat1);
    Label2->setText(seat2);
}

int TForm1::memoDisplayedLines() const { return displayedLineCount(*Memo1); }

void TForm1::appendChatLine(const QString& line) { appendChatRecordLine(*Memo1, line); }

void TForm1::armNotice(NetNotice notice) {
    switch (notice) {
    case NetNotice::PeerQuit: Timer2->start(); break;
    case NetNotice::RestartAsked: Timer3->start(); break;
    case NetNotice::RestartRefused: Timer5->start(); break;
    case NetNotice::LinkLost: Timer8->start(); break;
    }
}

void TForm1::closeAboutBox() {
    if (aboutBox_ != nullptr) {
        aboutBox_->CloseIfShown();
    }
}

void TForm1::withdrawRestartQuestions() {
    Timer3->stop();
    if (restartAskBox_.withdraw()) {
        dialogs_.closeQuestion(fromUtf8(nettext::kRestartAskCaption));
    }
    if (libraryQuestionBox_.withdraw()) {
        dialogs_.closeQuestion(fromUtf8(nettext::kLibraryQuestionCaption));
    }
}

void TForm1::withdrawResultNotice() {
    Timer4->stop();
    resultText_.clear();
}

void TForm1::Edit1KeyDown(int key) {
    if (key == kEnterKey && !Edit1->text().isEmpty() && netMatch_.sendChat(Edit1->text())) {
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
                    showLibraryNotice(QString::fromStdString(*text));
                } else {
                    askLibraryQuestion(QString::fromStdString(*text));
                }
            });
        }
        return true;
    }
    return QMainWindow::event(event);
}

// Shown at once unless a notice is on screen; then the newest waits for it to close.
void TForm1::showLibraryNotice(const QString& text) {
    libraryNoticeText_ = text;
    libraryNoticeBox_.show([this] {
        dialogs_.showMessage(this, libraryNoticeText_, fromUtf8(nettext::kLibraryNoticeCaption));
    });
}

void TForm1::askLibraryQuestion(const QString& text) {
    libraryQuestionText_ = text;
    libraryQuestionBox_.show([this] {
        const bool yes = dialogs_.askYesNo(this, libraryQuestionText_, fromUtf8(nettext::kLibraryQuestionCaption));
        if (!libraryQuestionBox_.withdrawn()) {
            netMatch_.library().ReplyRestart(yes ? kReplyAgree : kReplyRefuse);
        }
    });
}

// While a notice's box is on screen the event loop runs on: a repeat of its timer only leaves
// the newest text waiting behind the box (NoticeGate).

void TForm1::Timer2Timer() {
    Timer2->stop();
    peerQuitBox_.show([this] {
        netMatch_.library().ReleaseNetWork();
        setWindowTitle(QStringLiteral("Kivola"));
        dialogs_.showMessage(this, netMatch_.quitText(), fromUtf8(nettext::kMatchOverCaption));
        // Another notice on screen meanwhile may have ended the match already.
        if (state_.netMode != 0) {
            EndNetMatch();
        }
    });
}

void TForm1::Timer3Timer() {
    Timer3->stop();
    // A question left over from a match that has ended asks about nothing.
    if (state_.netMode == 0) {
        return;
    }
    restartAskBox_.show([this] {
        const bool yes = dialogs_.askYesNo(this, netMatch_.restartAskText(), fromUtf8(nettext::kRestartAskCaption));
        if (!restartAskBox_.withdrawn()) {
            netMatch_.library().ReplyRestart(yes ? kReplyAgree : kReplyRefuse);
        }
    });
}

void TForm1::Timer5Timer() {
    Timer5->stop();
    refuseBox_.show([this] { dialogs_.showMessage(this, netMatch_.refuseText(), fromUtf8(nettext::kRefuseCaption)); });
}

void TForm1::Timer8Timer() {
    Timer8->stop();
    linkLostBox_.show([this] {
        // The final position stays on the board until the user has read why the match ended.
        dialogs_.showMessage(this, netMatch_.lostText(), fromUtf8(nettext::kMatchOverCaption));
        if (state_.netMode != 0) {
            netMatch_.library().ReleaseNetWork();
            setWindowTitle(QStringLiteral("Kivola"));
            EndNetMatch();
        }
    });
}

void TForm1::EndNetMatch() {
    withdrawRestartQuestions();
    // The match they would end is over; a later repeat of either would end the next one.
    Timer2->stop();
    Timer8->stop();
    peerQuitBox_.withdraw();
    linkLostBox_.withdraw();
    ClearBoard(state_, *this);
    setClientHeight(kCompactClientHeight);
    Edit1->setEnabled(false);
    state_.gameResult = kInProgress;
    state_.netMode = 0;
    SetOptionsEnabled(true);
    state_.computerFirst = state_.computerFirstOption;
    state_.playerCanMove = 1;
    for (QToolButton* button : {sbtnRestart, sbtnRegret, sbtnSaveGame, sbtnOpenGame}) {
        button->setText(QString());
    }
    if (state_.computerFirst == 1) {
        setSideLabels(text::kComputer, text::kPlayer);
    } else {
        setSideLabels(text::kPlayer, text::kComputer);
    }
    guge1->show();
    N10->setEnabled(false);
    N13->setEnabled(true);
    N14->setEnabled(true);
    state_.gameStarted = 0;
    SetOptionsEnabled(true);
    repaint();
}

} // namespace kivola
