#pragma once
// The library's own connection dialog: host a game or join one, and the player's name.
// Tests drive it through the object names of its widgets (see docs/network-protocol.md).

#include <QDialog>

#include "nw/nw_export.h"

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
    void accept() override; // starts hosting or joining; closes only once that succeeded
    void reject() override; // also abandons a join in progress

private:
    void updateMode();
    void setWorking(bool working);
    void onJoinFinished(bool ok);

    Session& m_session;
    QRadioButton* m_hostRadio;
    QRadioButton* m_joinRadio;
    QLineEdit* m_nameEdit;
    QLineEdit* m_addressEdit;
    QSpinBox* m_portSpin;
    QLabel* m_statusLabel;
    QPushButton* m_okButton;
    QPushButton* m_cancelButton;
    bool m_joining = false;
};

// The login name of the user running the program, or "玩家" when there is none.
NW_EXPORT QString defaultPlayerName();

} // namespace nw
