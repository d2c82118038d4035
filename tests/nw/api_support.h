#pragma once
// The C functions as the program calls them: a recording callback, a window that keeps the
// library's messages, and the connection dialog driven from a timer.

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QWidget>
#include <cstring>
#include <functional>
#include <memory>

#include "nw/nw.h"
#include "test_support.h"

namespace nw::test {

// The callback copies each record, as the program must: Data lives only during the call.
struct Received {
    int type = 0;
    int seat = 0;
    int linkLost = 0;
    QByteArray data;
    int column = 0;
    int row = 0;
    bool insidePrepare = false;
};

inline std::vector<Received> g_received;
inline bool g_inPrepareCall = false;

inline void recordEvent(int32_t /*unused*/, NetEvent* event) {
    Received r;
    r.type = event->EventType;
    r.seat = event->Seat;
    r.linkLost = event->LinkLost;
    r.insidePrepare = g_inPrepareCall;
    const char* data = static_cast<const char*>(event->Data);
    if (event->EventType == GameBegin && data) {
        const std::size_t first = std::strlen(data) + 1;
        r.data = QByteArray(data, static_cast<qsizetype>(first + std::strlen(data + first) + 1));
    } else if (event->EventType == ChatText && data) {
        r.data = QByteArray(data);
    } else if (event->EventType == OneStep && data) {
        std::int32_t point[2];
        std::memcpy(point, data, sizeof point);
        r.column = point[0];
        r.row = point[1];
    }
    g_received.push_back(r);
}

inline int countOf(int type) {
    return static_cast<int>(std::count_if(g_received.begin(), g_received.end(), [type](const Received& r) { return r.type == type; }));
}
inline const Received* lastOf(int type) {
    for (auto it = g_received.rbegin(); it != g_received.rend(); ++it)
        if (it->type == type)
            return &*it;
    return nullptr;
}
inline bool waitForReceived(int type, int atLeast = 1) {
    return QTest::qWaitFor([&] { return countOf(type) >= atLeast; }, kWaitMs);
}

// The main window stand-in: keeps the texts of the library's two messages. onNotice runs
// inside the handler, as a message box the program shows there would.
class Window : public QWidget {
public:
    bool event(QEvent* e) override {
        if (e->type() == kNetNoticeEvent || e->type() == kNetRestartAskEvent) {
            auto* message = static_cast<NetTextEvent*>(e);
            texts.push_back({e->type(), fromGbk(QByteArray(message->text()))}); // NUL-terminated GBK
            maxDepth = std::max(maxDepth, ++depth);
            if (onNotice)
                std::exchange(onNotice, nullptr)();
            --depth;
            return true;
        }
        return QWidget::event(e);
    }
    std::vector<std::pair<QEvent::Type, QString>> texts;
    std::function<void()> onNotice;
    int depth = 0;
    int maxDepth = 0;
};

// Acts on the connection dialog as soon as it is the active modal window.
inline void whenDialogOpens(std::function<void(QDialog&)> act) {
    auto* poll = new QTimer(qApp);
    auto deadline = std::make_shared<int>(kWaitMs / 10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act, deadline] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog && dialog->objectName() == QLatin1String("nwConnectDialog")) {
            poll->deleteLater();
            poll->stop();
            act(*dialog);
        } else if (--*deadline <= 0) {
            poll->deleteLater();
            poll->stop();
        }
    });
    poll->start(10);
}

inline void fillAndConfirm(QDialog& dialog, bool hosting, const QString& name, quint16 port, const QString& address = {}) {
    dialog.findChild<QRadioButton*>(hosting ? "hostRadio" : "joinRadio")->setChecked(true);
    dialog.findChild<QLineEdit*>("nameEdit")->setText(name);
    if (!address.isEmpty())
        dialog.findChild<QLineEdit*>("addressEdit")->setText(address);
    dialog.findChild<QSpinBox*>("portSpin")->setValue(port);
    dialog.findChild<QPushButton*>("okButton")->click();
}

} // namespace nw::test
