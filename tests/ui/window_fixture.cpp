#include "window_fixture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <algorithm>

namespace kivola::test {

void WindowTest::SetUp() { startDirectory = QDir::currentPath(); }

void WindowTest::TearDown() {
    form1.reset();
    form2.reset();
    QDir::setCurrent(startDirectory);
}

void WindowTest::openWindow(const QString& appDir, std::uint64_t seed) {
    controlsOf_ = nullptr; // a new window may stand where the last one stood
    form2 = std::make_unique<TForm2>(std::make_unique<SeededRandom>(seed));
    form1 = std::make_unique<TForm1>(dialogs, form2->computer(), *netLibrary, appDir);
    form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form1.get()));
}

const WindowControls& WindowTest::ui() const {
    if (controlsOf_ != form1.get()) {
        controls_.emplace(*form1);
        controlsOf_ = form1.get();
    }
    return *controls_;
}

void WindowTest::clickPixel(int px, int py) {
    const QPoint at(px, py);
    QTest::mouseMove(ui().qipanPicture, at);
    QTest::mouseClick(ui().qipanPicture, Qt::LeftButton, Qt::NoModifier, at);
}

void WindowTest::clickOnScreen(QPoint inClient) {
    const QPoint at = ui().client->mapTo(form1.get(), inClient);
    QTest::mouseMove(form1->windowHandle(), at);
    QTest::mouseClick(form1->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
}

void WindowTest::clickPoint(int x, int y) { clickPixel(28 * x - 9, 28 * y - 9); }

namespace {
// The window's one-shot timers (Timer2 and on) that have yet to fire.
bool timerPending(const QObject& window) {
    const QList<QTimer*> timers = window.findChildren<QTimer*>(QRegularExpression(QStringLiteral("^Timer")));
    return std::any_of(timers.begin(), timers.end(), [](const QTimer* t) { return t->isSingleShot() && t->isActive(); });
}
} // namespace

bool WindowTest::drainPostedEvents() {
    QObject marker;
    bool ran = false;
    QMetaObject::invokeMethod(&marker, [&ran] { ran = true; }, Qt::QueuedConnection);
    return waitUntil([&ran] { return ran; });
}

bool WindowTest::waitForQuiet() {
    auto quiet = [this] { return !(form1 && timerPending(*form1)) && !dialogs.anyOpen(); };
    // What a timer or a posted event does may start or post more: quiet twice over.
    for (int round = 0; round < 2; ++round) {
        if (!waitUntil(quiet) || !drainPostedEvents()) {
            return false;
        }
    }
    return quiet();
}

bool WindowTest::waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QTest::qSleep(1);
    }
    return true;
}

void WindowTest::chooseLevel(QAction* item) { item->trigger(); }

void WindowTest::loadGame(const QString& file, const QByteArray& bytes) {
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    ASSERT_EQ(out.write(bytes), bytes.size());
    out.close();
    dialogs.files.push_back(file);
    const int before = dialogs.fileDialogsShown;
    ui().N4->trigger();
    // The dialog opens from a one-shot timer; the replay finishes within the same tick.
    ASSERT_TRUE(waitUntil([&] { return dialogs.fileDialogsShown > before; }));
    QCoreApplication::processEvents();
}

QString copyApplicationFolder(const QString& into) {
    const QString from = QCoreApplication::applicationDirPath();
    QDir().mkpath(into + QStringLiteral("/res"));
    QDirIterator it(from + QStringLiteral("/res"), QDir::Files);
    while (it.hasNext()) {
        const QString file = it.next();
        QFile::copy(file, into + QStringLiteral("/res/") + QFileInfo(file).fileName());
    }
    return into;
}

} // namespace kivola::test
