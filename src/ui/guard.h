#pragma once
// Errors raised inside a handler end that handler and are dropped; the program goes on.

#include <QApplication>
#include <exception>
#include <functional>

namespace kivola {

class KivolaApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
};

// Runs one handler; an escaping error goes to the application-wide handler, which drops it.
template <typename Handler>
void runGuarded(Handler&& handler, const std::function<void()>& afterwards = {}) {
    try {
        handler();
    } catch (const std::exception&) {
        // Dropped on purpose: the steps already done stay done.
    } catch (...) {
    }
    if (afterwards) {
        afterwards();
    }
}

} // namespace kivola
