#pragma once
// Driving the library's connection dialog from a timer, and a scripted peer's event record.

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "nw/session.h"
#include "nw/testing.h"

namespace kivola::test {

inline constexpr int kNetWaitMs = 5000;

// Acts on the connection dialog as soon as it is the active modal window; gives up after
// the bounded wait so a test never hangs behind a dialog that did not come.
inline void whenConnectDialogOpens(std::function<void(QDialog&)> act) {
    auto* poll = new QTimer(qApp);
    auto ticksLeft = std::make_shared<int>(kNetWaitMs / 10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act, ticksLeft] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog && dialog->objectName() == QLatin1String("nwConnectDialog")) {
            poll->stop();
            poll->deleteLater();
            act(*dialog);
        } else if (--*ticksLeft <= 0) {
            poll->stop();
            poll->deleteLater();
            if (dialog) {
                dialog->reject();
            }
        }
    });
    poll->start(10);
}

inline void fillConnectDialog(QDialog& dialog, bool hosting, const QString& name, quint16 port,
                              const QString& address = {}) {
    dialog.findChild<QRadioButton*>(hosting ? "hostRadio" : "joinRadio")->setChecked(true);
    dialog.findChild<QLineEdit*>("nameEdit")->setText(name);
    if (!address.isEmpty()) {
        dialog.findChild<QLineEdit*>("addressEdit")->setText(address);
    }
    dialog.findChild<QSpinBox*>("portSpin")->setValue(port);
    dialog.findChild<QPushButton*>("okButton")->click();
}

// Hosting keeps the dialog open until a friend joins: once it listens, hands the port to
// whoever plays the friend, from inside the dialog's own event loop.
inline void hostThroughConnectDialog(QDialog& dialog, const QString& name, const std::function<void(quint16)>& listening) {
    fillConnectDialog(dialog, true, name, 0);
    nw::Session* session = nw::testing::currentSession();
    listening(session && session->state() == nw::Session::State::Listening ? session->serverPort() : 0);
}

// What a scripted peer's Session reports, in order.
class PeerLog : public QObject {
public:
    explicit PeerLog(nw::Session& session) {
        connect(&session, &nw::Session::netEvent, this, [this](const nw::SessionEvent& e) { events.push_back(e); });
    }
    int count(int type) const {
        return static_cast<int>(
            std::count_if(events.begin(), events.end(), [type](const nw::SessionEvent& e) { return e.type == type; }));
    }
    const nw::SessionEvent* last(int type) const {
        for (auto it = events.rbegin(); it != events.rend(); ++it) {
            if (it->type == type) {
                return &*it;
            }
        }
        return nullptr;
    }
    bool waitFor(int type, int atLeast = 1) {
        return QTest::qWaitFor([&] { return count(type) >= atLeast; }, kNetWaitMs);
    }
    std::vector<nw::SessionEvent> events;
};

} // namespace kivola::test
