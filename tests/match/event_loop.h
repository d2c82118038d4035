#pragma once
// An event loop for the match's tests: the master's answers arrive through it.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>

namespace kivola::test {

inline QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "match_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// Events are handled until done() holds or 30 s pass.
template <typename Done>
bool runUntil(Done done) {
    application();
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 30000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return done();
}

// Everything posted to context before this call has been handled once it returns true.
inline bool drainQueue(QObject& context) {
    bool reached = false;
    QMetaObject::invokeMethod(&context, [&reached] { reached = true; }, Qt::QueuedConnection);
    return runUntil([&reached] { return reached; });
}

} // namespace kivola::test
