// A host at 127.0.0.1, hosted through the C functions as the game does, flooded by a raw peer
// in a process of its own (so neither its work nor its memory is counted as the host's):
// 100,000 chat frames on one link, then 10,000 greetings of another version while the host
// waits for a friend. Reports how long the host's event loop was kept
// from running (gaps of a 1 ms repeating timer), the growth of its resident memory, and
// whether it still serves a well-behaved friend afterwards. Not a test: ctest never runs it.
// --window hosts with the game's own main window (its callback, chat record and notices)
// instead of a plain widget.

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTcpSocket>
#include <QTextEdit>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <unistd.h>

#include "dialogs.h"
#include "form1.h"
#include "guard.h"
#include "nw/codec.h"
#include "nw/gbk.h"
#include "nw/nw.h"
#include "nw/nw_events.h"
#include "nw/session.h"

namespace {

constexpr int kChatFrames = 100000;
constexpr int kWrongHellos = 10000;
constexpr double kGoalBlockMs = 50.0;
constexpr long kGoalGrowthKiB = 1024;

QByteArray bytesOf(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }
QByteArray hello(std::uint16_t version, const char* name) {
    return bytesOf(nw::wire::encode(nw::wire::Hello{std::string(nw::wire::kProtocolName), version, name}));
}

long residentKiB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The raw peer, run as a child process: prints what it managed to send.
int runPeer(const char* mode, quint16 port) {
    const QString address = QStringLiteral("127.0.0.1");
    if (std::strcmp(mode, "chat") == 0) {
        long written = 0;
        QTcpSocket s;
        s.connectToHost(address, port);
        if (s.waitForConnected(5000)) {
            s.write(hello(nw::wire::kProtocolVersion, "flood"));
            const QByteArray line = bytesOf(nw::wire::encode(nw::wire::Chat{"flood flood flood"}));
            QByteArray block;
            for (int i = 0; i < 256; ++i)
                block += line;
            while (written < kChatFrames && s.state() == QAbstractSocket::ConnectedState) {
                const long n = std::min<long>(256, kChatFrames - written);
                if (s.write(block.left(static_cast<qsizetype>(n) * line.size())) < 0)
                    break;
                // Back-pressure: the kernel takes no more once the host stops reading.
                if (!s.waitForBytesWritten(3000))
                    break;
                written += n;
            }
        }
        std::printf("%ld\n", written);
    } else if (std::strcmp(mode, "hellos") == 0) {
        int refused = 0;
        for (int i = 0; i < kWrongHellos; ++i) {
            QTcpSocket s;
            s.connectToHost(address, port);
            if (!s.waitForConnected(3000))
                continue;
            s.write(hello(static_cast<std::uint16_t>(2 + i % 1000), "other"));
            if (s.waitForReadyRead(3000) && !s.readAll().isEmpty())
                ++refused;
            s.abort();
        }
        std::printf("%d\n", refused);
    } else {
        { // one refused greeting, then a short game's worth: greet, a line, leave
            QTcpSocket other;
            other.connectToHost(address, port);
            if (other.waitForConnected(5000)) {
                other.write(hello(7, "other"));
                other.waitForReadyRead(3000);
            }
        }
        QTcpSocket s;
        s.connectToHost(address, port);
        if (s.waitForConnected(5000)) {
            s.write(hello(nw::wire::kProtocolVersion, "warm") + bytesOf(nw::wire::encode(nw::wire::Chat{"hello"})) +
                    bytesOf(nw::wire::encode(nw::wire::Bye{})));
            s.waitForBytesWritten(5000);
            s.waitForDisconnected(5000);
        }
        std::printf("0\n");
    }
    return 0;
}

// Starts the peer and waits for it in the running event loop; returns its figure.
// The longest gap between ticks of a 1 ms timer, in whatever event loop runs (the dialog's too).
class BlockMeter : public QObject {
public:
    BlockMeter() {
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const double gap = static_cast<double>(m_clock.nsecsElapsed()) / 1e6;
            m_clock.restart();
            longest = std::max(longest, gap);
        });
    }
    void start() {
        longest = 0;
        m_clock.start();
        m_timer.start(1);
    }
    double stop() {
        m_timer.stop();
        return longest;
    }
    double longest = 0;

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
};

// The program stand-in: a plain window, its chat record, and what reached it.
QPlainTextEdit* g_record = nullptr;
int g_chatLines = 0;
int g_peerGone = 0;
int g_gameBegin = 0;

void onNetEvent(int32_t, NetEvent* event) {
    switch (event->EventType) {
    case ChatText:
        ++g_chatLines;
        g_record->appendPlainText(QString::fromStdString(
            nw::gbkToUtf8(static_cast<const char*>(event->Data)).value_or(std::string())));
        break;
    case PeerGone: ++g_peerGone; break;
    case GameBegin: ++g_gameBegin; break;
    default: break;
    }
}

class Window : public QWidget {
public:
    bool event(QEvent* e) override {
        if (e->type() == nw::kNetNoticeEvent) {
            ++notices;
            return true;
        }
        return QWidget::event(e);
    }
    int notices = 0;
};

// Every box answered at once, as a player clicking Yes/OK straight away; counts the library's.
class InstantDialogs final : public kivola::DialogService {
public:
    void showMessage(QWidget*, const QString&, const QString& caption) override {
        notices += caption == QLatin1String("Information") ? 1 : 0;
    }
    bool askYesNo(QWidget*, const QString&, const QString&, int) override { return true; }
    void closeQuestion(int) override {}
    QString chooseOpenFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString chooseSaveFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    int notices = 0;
};

bool spinUntil(const std::function<bool()>& done, int limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMs) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        // Outside an event loop deferred deletions would otherwise pile up (as in QTest::qWait).
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return done();
}

QProcess* startPeer(const QString& mode, quint16 port) {
    auto* process = new QProcess;
    process->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--peer"), mode, QString::number(port)});
    return process;
}

long finishPeer(QProcess* process) {
    spinUntil([process] { return process->state() == QProcess::NotRunning; }, 180000);
    const long figure = process->readAllStandardOutput().trimmed().toLong();
    delete process;
    return figure;
}

// Hosts through the dialog on a free port; whileWaiting gets the port inside the dialog's loop.
kivola::TForm1* g_form = nullptr; // --window

int32_t host(Window& window, const std::function<void(quint16)>& whileWaiting) {
    QTimer::singleShot(50, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            return;
        }
        dialog->findChild<QRadioButton*>("hostRadio")->setChecked(true);
        dialog->findChild<QLineEdit*>("nameEdit")->setText(QStringLiteral("host"));
        dialog->findChild<QSpinBox*>("portSpin")->setValue(0);
        dialog->findChild<QPushButton*>("okButton")->click();
        // The port the dialog shows the player, as a friend would be told it.
        whileWaiting(dialog->findChild<QLabel*>("portLabel")->text().toUShort());
    });
    if (g_form != nullptr) {
        g_form->findChild<QAction*>(QStringLiteral("actNetWork"))->trigger();
        return g_form->match().netMode;
    }
    return PrepareNetwork(&window, &onNetEvent);
}

// The match is over for the host: the window has answered its last notice, or the callback
// has heard of it.
bool matchOver() { return g_form != nullptr ? g_form->match().netMode == 0 : g_peerGone > 0; }

void release() {
    if (g_form == nullptr) {
        ReleaseNetWork();
    } else if (g_form->match().netMode != 0) {
        g_form->findChild<QAction*>(QStringLiteral("N10"))->trigger(); // ending the match, answered Yes
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--peer") == 0) {
        QCoreApplication peerApp(argc, argv);
        return runPeer(argv[2], static_cast<quint16>(std::atoi(argv[3])));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool inWindow = argc == 2 && std::strcmp(argv[1], "--window") == 0;
    int qtArgc = 1;
    kivola::KivolaApplication app(qtArgc, argv);
    InstantDialogs instant;
    kivola::ComputerPlayer computer;
    std::unique_ptr<kivola::TForm1> form;
    if (inWindow) {
        form = std::make_unique<kivola::TForm1>(instant, computer, kivola::systemNetLibrary());
        form->show();
        g_form = form.get();
    }
    Window window;
    QPlainTextEdit record(&window);
    record.setUndoRedoEnabled(false);
    record.setReadOnly(true);
    g_record = &record;
    window.show();
    BlockMeter meter;

    // Warm up the paths once so first-use allocations are not counted as growth.
    {
        QProcess* peer = nullptr;
        host(window, [&](quint16 port) { peer = startPeer(QStringLiteral("warm"), port); });
        spinUntil(matchOver, 10000);
        finishPeer(peer);
        release();
        g_peerGone = 0;
        g_chatLines = 0;
    }
    QCoreApplication::processEvents();
    const long rssBefore = residentKiB();

    // Chat flood on one link.
    QProcess* chatPeer = nullptr;
    meter.start();
    const int32_t joined = host(window, [&](quint16 port) { chatPeer = startPeer(QStringLiteral("chat"), port); });
    const long chatsWritten = finishPeer(chatPeer);
    spinUntil(matchOver, 10000);
    const double chatBlock = meter.stop();
    const int chatLinesShown =
        inWindow ? form->findChild<QTextEdit*>(QStringLiteral("Memo1"))->document()->blockCount() : g_chatLines;
    const bool chatDropped = matchOver();
    release();

    // Greetings of another version while the host waits, then a friend who fits.
    long refused = 0;
    nw::Session friendly;
    friendly.setPlayerName(QStringLiteral("friend"));
    bool friendGotStone = false;
    QObject::connect(&friendly, &nw::Session::netEvent, [&](const nw::SessionEvent& e) {
        if (e.type == OneStep)
            friendGotStone = true;
    });
    const int noticesBefore = window.notices + instant.notices;
    meter.start();
    // The dialog's own loop runs meanwhile, as it does in the game; the friend comes last.
    const int32_t served = host(window, [&](quint16 port) {
        QProcess* peer = startPeer(QStringLiteral("hellos"), port);
        QObject::connect(peer, &QProcess::finished, peer, [&, peer, port] {
            refused = peer->readAllStandardOutput().trimmed().toLong();
            peer->deleteLater();
            friendly.join(QStringLiteral("127.0.0.1"), port);
        });
    });
    const double helloBlock = meter.stop();
    const int gameBegins = g_gameBegin;
    bool stoneSent = false;
    if (inWindow) {
        // The player's stone, clicked on the board once the window lets the player move.
        spinUntil([&] { return form->match().netMode == 1 && form->match().playerCanMove == 1; }, 5000);
        const QPoint at(28 * 8 - 9, 28 * 8 - 9);
        QWidget* const board = form->findChild<QWidget*>(QStringLiteral("qipanPicture"));
        QTest::mouseMove(board, at);
        QTest::mouseClick(board, Qt::LeftButton, Qt::NoModifier, at);
        stoneSent = form->match().board[8][8] != 0;
    } else {
        spinUntil([&] { return g_gameBegin > gameBegins; }, 5000);
        const std::int32_t stone[2] = {8, 8};
        stoneSent = SendOneStep(8, stone) != 0;
    }
    spinUntil([&] { return friendGotStone; }, 5000);
    spinUntil([] { return false; }, 200); // the waiting notice is posted once the dialog is gone
    const int noticesShown = window.notices + instant.notices - noticesBefore;
    if (!inWindow) {
        SendDisconnect(0);
    }
    release();
    friendly.stop();
    QCoreApplication::processEvents();
    const long growth = residentKiB() - rssBefore;

    const bool alive = served != 0 && stoneSent && friendGotStone;
    std::printf("host: %s\n", inWindow ? "the game's main window" : "a plain widget");
    std::printf("%-34s %12s %14s %16s\n", "phase", "frames sent", "host took in", "longest block");
    std::printf("%-34s %12ld %14d %13.1f ms\n", "chat frames on one link", chatsWritten, chatLinesShown, chatBlock);
    std::printf("%-34s %12d %14ld %13.1f ms\n", "greetings of another version", kWrongHellos, refused, helloBlock);
    std::printf("\n");
    std::printf("chat link dropped as hostile:      %s (joined %d)\n", chatDropped ? "yes" : "no", joined);
    std::printf("notices posted for the greetings:  %d\n", noticesShown);
    std::printf("resident memory growth:            %ld KiB (goal < %ld KiB)\n", growth, kGoalGrowthKiB);
    std::printf("host serves a friend afterwards:   %s\n", alive ? "yes" : "no");
    const bool ok = chatBlock <= kGoalBlockMs && helloBlock <= kGoalBlockMs && growth < kGoalGrowthKiB && alive;
    std::printf("goals (block <= %.0f ms, growth < %ld KiB, alive): %s\n", kGoalBlockMs, kGoalGrowthKiB, ok ? "met" : "MISSED");
    return ok ? 0 : 1;
}
