// One of two game instances that meet over loopback: the real window, the real libNW and its
// dialog, a scripted player. The test that starts two of these reads the lines printed here:
//   PORT <n>          the host listens (host only)
//   SHOT <result>     the game is decided, the window is rendered to <dir>/network-<role>.png
// and then writes "quit" to let both end together, so neither sees the other leave first.

#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QTextEdit>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <unistd.h>
#include <vector>

#include "fake_dialogs.h"
#include "form1.h"
#include "form2.h"
#include "guard.h"
#include "loopback_support.h"
#include "nw/testing.h"
#include "typing.h"
#include "window_controls.h"
#include "window_controls.h"

namespace {

constexpr int kGiveUpMs = 30000;
constexpr int kScriptTickMs = 20;

void say(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

struct Options {
    bool host = true;
    quint16 port = 0;
    QString shots;
};

Options parse(const QStringList& args) {
    Options options;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--join") && i + 1 < args.size()) {
            options.host = false;
            options.port = static_cast<quint16>(args[++i].toUInt());
        } else if (args[i] == QLatin1String("--shots") && i + 1 < args.size()) {
            options.shots = args[++i];
        }
    }
    return options;
}

// The window as the player sees it at the end: the result notice over the final position.
// (The notice's own box is drawn in; under the offscreen platform nothing else would show it.)
QPixmap renderWithNotice(kivola::TForm1& form1, const QString& notice) {
    QPixmap picture = form1.grab();
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("结果"), QString(), QMessageBox::Ok, &form1);
    kivola::prepareMessageBox(box, notice);
    box.adjustSize();
    const QPixmap boxPicture = box.grab();
    const kivola::test::WindowControls ui(form1);
    const QRect board = ui.qipanPicture->geometry().translated(ui.client->pos());
    QRect where(QPoint(), boxPicture.size());
    // Below the centre, so the stones of the game stay in view.
    where.moveCenter(QPoint(board.center().x(), board.top() + board.height() * 3 / 4));
    QPainter painter(&picture);
    painter.drawPixmap(where.topLeft(), boxPicture);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    painter.drawRect(where.adjusted(-1, -1, 0, 0));
    return picture;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    kivola::KivolaApplication app(argc, argv);
    const Options options = parse(app.arguments());
    using kivola::BoardPoint;

    kivola::test::FakeDialogs dialogs;
    kivola::TForm2 form2;
    kivola::TForm1 form1(dialogs, form2.computer(), kivola::systemNetLibrary());
    const kivola::test::WindowControls ui(form1);
    form1.show();

    // The host opens and makes five down column 8; the joiner answers down column 9.
    const std::vector<BoardPoint> moves = options.host
        ? std::vector<BoardPoint>{{8, 4}, {8, 5}, {8, 6}, {8, 7}, {8, 8}}
        : std::vector<BoardPoint>{{9, 5}, {9, 6}, {9, 7}, {9, 8}};
    const QString role = options.host ? QStringLiteral("host") : QStringLiteral("join");
    const QString ownLine = options.host ? QStringLiteral("你好，一起下一盘吧") : QStringLiteral("好的，请先行");
    const QString ownName = options.host ? QStringLiteral("甲方") : QStringLiteral("乙方");

    // The host's dialog stays open until the joiner is in: the port is told from inside it.
    kivola::test::whenConnectDialogOpens([&](QDialog& dialog) {
        if (options.host) {
            kivola::test::hostThroughConnectDialog(dialog, ownName, [](quint16 port) {
                say(port != 0 ? QStringLiteral("PORT %1").arg(port) : QStringLiteral("FAILED not listening"));
            });
        } else {
            kivola::test::fillConnectDialog(dialog, false, ownName, options.port, QStringLiteral("127.0.0.1"));
        }
    });
    ui.actNetWork->trigger();
    if (form1.match().netMode != 1) {
        say(QStringLiteral("FAILED network play did not open"));
        return 1;
    }

    std::size_t next = 0;
    bool chatted = false;
    bool shot = false;
    auto memoHas = [&](const QString& text) { return ui.Memo1->toPlainText().contains(text); };
    QTimer script;
    QObject::connect(&script, &QTimer::timeout, [&] {
        const kivola::MatchState& state = form1.match();
        // The host greets once the game stands; the joiner answers the greeting.
        if (!chatted && state.stepCount == 0 && !form1.controller().playerName(1).isEmpty() &&
            (options.host || memoHas(QStringLiteral("你好")))) {
            kivola::test::typeText(ui.Edit1, ownLine);
            QTest::keyClick(ui.Edit1, Qt::Key_Return);
            chatted = true;
        }
        if (state.gameResult == kivola::kInProgress && state.playerCanMove == 1 && next < moves.size() &&
            (options.host ? memoHas(QStringLiteral("请先行")) : true)) {
            const BoardPoint p = moves[next++];
            const QPoint at(28 * p.x - 9, 28 * p.y - 9);
            QTest::mouseMove(ui.qipanPicture, at);
            QTest::mouseClick(ui.qipanPicture, Qt::LeftButton, Qt::NoModifier, at);
        }
        if (!shot && state.gameResult != kivola::kInProgress && !dialogs.shown.empty()) {
            shot = true;
            for (int k = 1; k <= state.stepCount; ++k) {
                form1.piece(k)->show(); // the picture must not depend on the blink's phase
            }
            const QString file = QDir(options.shots).filePath(QStringLiteral("network-%1.png").arg(role));
            if (!renderWithNotice(form1, dialogs.shown.back().text).save(file)) {
                say(QStringLiteral("FAILED cannot write ") + file);
                app.exit(1);
                return;
            }
            say(QStringLiteral("SHOT ") + dialogs.shown.back().text);
        }
    });
    script.start(kScriptTickMs);

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[64];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0 || QByteArray(buffer, static_cast<qsizetype>(n)).contains("quit")) {
            app.exit(shot ? 0 : 1);
        }
    });
    QTimer::singleShot(kGiveUpMs, [&] {
        say(QStringLiteral("FAILED no result in time"));
        app.exit(2);
    });
    return app.exec();
}
