#pragma once
// The library's own connection dialog: host a game or join one, and the player's name.
// Hosting keeps it open, showing the port and this machine's addresses, until a friend has
// joined (accepted) or the player cancels. Tests drive it through the object names of its
// widgets (see docs/network-protocol.md).

#include <QDialog>
#include <QHostAddress>
#include <QList>
#include <QStringList>

#include "nw/nw_export.h"

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace nw {

class Session;

class NW_EXPORT ConnectDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr quint16 kDefaultPort = 6015;

    // session is the one the dialog hosts or joins with; it must outlive the dialog.
    ConnectDialog(Session& session, QWidget* parent = nullptr);
    ~ConnectDialog() override;

    void setPlayerName(const QString& name);

public slots:
    void accept() override; // starts hosting or joining; closes once a friend is connected
    void reject() override; // also stops hosting or abandons a join in progress

private:
    void setUpFields();
    QDialogButtonBox* makeButtons();
    void layOut(QDialogButtonBox* buttons);
    void followSession(); // the session's outcome closes the dialog, its notices show in it
    void updateMode();
    void setWorking(bool working);
    void onJoinFinished(bool ok);
    void onPeerJoined();
    void showWaiting();

    Session& session_;
    QRadioButton* hostRadio_;
    QRadioButton* joinRadio_;
    QLineEdit* nameEdit_;
    QLineEdit* addressEdit_;
    QSpinBox* portSpin_;
    QLabel* statusLabel_;
    QLabel* portLabel_;
    QLabel* addressLabel_;
    QWidget* waitingBox_;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    bool joining_ = false;
    bool hosting_ = false;
};

// The addresses a friend could type to reach this machine, as shown while hosting:
// IPv4 before IPv6, loopback only when there is nothing else.
NW_EXPORT QStringList addressesForFriend(const QList<QHostAddress>& all);

// The login name of the user running the program, or "玩家" when there is none.
NW_EXPORT QString defaultPlayerName();

} // namespace nw
