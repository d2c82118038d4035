#include "nw/connect_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkInterface>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <pwd.h>
#include <unistd.h>
#include <vector>

#include "nw/codec.h"
#include "nw/gbk.h"
#include "nw/session.h"

namespace nw {

QStringList addressesForFriend(const QList<QHostAddress>& all) {
    QStringList v4, v6, loopback;
    for (const QHostAddress& address : all) {
        if (address.isNull() || address.isMulticast())
            continue;
        if (address.isLoopback())
            loopback << address.toString();
        else if (address.protocol() == QAbstractSocket::IPv4Protocol)
            v4 << address.toString();
        else
            v6 << address.toString();
    }
    QStringList out = v4 + v6;
    return out.isEmpty() ? loopback : out;
}

QString defaultPlayerName() {
    std::vector<char> buffer(4096);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name &&
        *found->pw_name)
        return QString::fromLocal8Bit(found->pw_name);
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? QStringLiteral("玩家") : user;
}

ConnectDialog::ConnectDialog(Session& session, QWidget* parent)
    : QDialog(parent), m_session(session), m_hostRadio(new QRadioButton(QStringLiteral("创建游戏，等待对方加入"))),
      m_joinRadio(new QRadioButton(QStringLiteral("加入对方创建的游戏"))), m_nameEdit(new QLineEdit),
      m_addressEdit(new QLineEdit), m_portSpin(new QSpinBox), m_statusLabel(new QLabel), m_portLabel(new QLabel),
      m_addressLabel(new QLabel), m_waitingBox(new QWidget) {
    setObjectName(QStringLiteral("nwConnectDialog"));
    setWindowTitle(QStringLiteral("网络对战"));
    setModal(true);

    m_hostRadio->setObjectName(QStringLiteral("hostRadio"));
    m_joinRadio->setObjectName(QStringLiteral("joinRadio"));
    m_nameEdit->setObjectName(QStringLiteral("nameEdit"));
    m_addressEdit->setObjectName(QStringLiteral("addressEdit"));
    m_portSpin->setObjectName(QStringLiteral("portSpin"));
    m_statusLabel->setObjectName(QStringLiteral("statusLabel"));
    m_statusLabel->setWordWrap(true);
    // Notices may quote what a peer sent: never read as markup.
    m_statusLabel->setTextFormat(Qt::PlainText);
    m_portLabel->setObjectName(QStringLiteral("portLabel"));
    m_portLabel->setTextFormat(Qt::PlainText);
    m_portLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_addressLabel->setObjectName(QStringLiteral("addressLabel"));
    m_addressLabel->setTextFormat(Qt::PlainText);
    m_addressLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_waitingBox->setObjectName(QStringLiteral("waitingBox"));

    m_hostRadio->setChecked(true);
    m_addressEdit->setText(QStringLiteral("127.0.0.1"));
    m_portSpin->setRange(0, 65535);
    m_portSpin->setSpecialValueText(QStringLiteral("自动")); // port 0: any free port
    m_portSpin->setValue(kDefaultPort);
    m_nameEdit->setText(defaultPlayerName());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    m_okButton = buttons->button(QDialogButtonBox::Ok);
    m_okButton->setText(QStringLiteral("确定"));
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_cancelButton = buttons->button(QDialogButtonBox::Cancel);
    m_cancelButton->setText(QStringLiteral("取消"));
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &ConnectDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ConnectDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("您的名字："), m_nameEdit);
    form->addRow(m_hostRadio);
    form->addRow(m_joinRadio);
    form->addRow(QStringLiteral("对方地址："), m_addressEdit);
    form->addRow(QStringLiteral("端口："), m_portSpin);
    auto* waitingForm = new QFormLayout(m_waitingBox);
    waitingForm->setContentsMargins(0, 0, 0, 0);
    waitingForm->addRow(QStringLiteral("本机端口："), m_portLabel);
    waitingForm->addRow(QStringLiteral("本机地址："), m_addressLabel);
    m_waitingBox->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_waitingBox);
    layout->addWidget(m_statusLabel);
    layout->addWidget(buttons);

    connect(m_hostRadio, &QRadioButton::toggled, this, &ConnectDialog::updateMode);
    connect(&m_session, &Session::joinFinished, this, &ConnectDialog::onJoinFinished);
    connect(&m_session, &Session::peerJoined, this, &ConnectDialog::onPeerJoined);
    // While it waits the dialog is what the player looks at: refusals of strangers show here.
    connect(&m_session, &Session::notice, this, [this](const QString& text) {
        if (m_hosting || m_joining)
            m_statusLabel->setText(text);
    });
    updateMode();
}

ConnectDialog::~ConnectDialog() = default;

void ConnectDialog::setPlayerName(const QString& name) { m_nameEdit->setText(name); }

void ConnectDialog::updateMode() { m_addressEdit->setEnabled(m_joinRadio->isChecked() && !m_joining && !m_hosting); }

void ConnectDialog::setWorking(bool working) {
    m_nameEdit->setEnabled(!working);
    m_hostRadio->setEnabled(!working);
    m_joinRadio->setEnabled(!working);
    m_portSpin->setEnabled(!working);
    m_okButton->setEnabled(!working);
    updateMode();
}

void ConnectDialog::accept() {
    if (m_joining || m_hosting)
        return;
    const QString name = m_nameEdit->text().trimmed();
    const std::optional<std::string> gbk = utf8ToGbk(name.toStdString());
    if (name.isEmpty()) {
        m_statusLabel->setText(QStringLiteral("请输入您的名字"));
        return;
    }
    if (!gbk) {
        m_statusLabel->setText(QStringLiteral("名字中有无法显示的字符"));
        return;
    }
    if (gbk->size() > wire::kMaxName || !m_session.setPlayerNameGbk(QByteArray::fromStdString(*gbk))) {
        m_statusLabel->setText(QStringLiteral("名字太长或含有控制字符（最多 %1 个字节）").arg(wire::kMaxName));
        return;
    }
    if (name.contains(QChar(0xFF1A))) {
        // The chat record puts it after every name; inside one it could fake the other's lines.
        m_statusLabel->setText(QStringLiteral("名字中不能有“：”"));
        return;
    }
    const auto port = static_cast<quint16>(m_portSpin->value());
    if (m_hostRadio->isChecked()) {
        // A failure has already been told through the session's notice.
        if (m_session.host(port))
            showWaiting();
        else
            QDialog::reject();
        return;
    }
    const QString address = m_addressEdit->text().trimmed();
    if (address.isEmpty()) {
        m_statusLabel->setText(QStringLiteral("请输入对方的地址"));
        return;
    }
    if (port == 0) {
        m_statusLabel->setText(QStringLiteral("请输入对方的端口"));
        return;
    }
    m_joining = true;
    setWorking(true);
    m_statusLabel->setText(QStringLiteral("正在连接 %1:%2 …").arg(address).arg(port));
    m_session.join(address, port);
}

void ConnectDialog::onJoinFinished(bool ok) {
    if (!m_joining)
        return;
    m_joining = false;
    setWorking(false);
    if (ok)
        QDialog::accept();
    else
        QDialog::reject();
}

void ConnectDialog::showWaiting() {
    m_hosting = true;
    setWorking(true);
    m_portLabel->setText(QString::number(m_session.serverPort()));
    m_addressLabel->setText(addressesForFriend(QNetworkInterface::allAddresses()).join(QLatin1Char('\n')));
    m_waitingBox->show();
    m_statusLabel->setText(QStringLiteral("正在等待对方加入，请把本机地址和端口告诉对方"));
}

void ConnectDialog::onPeerJoined() {
    if (!m_hosting)
        return;
    m_hosting = false;
    QDialog::accept();
}

void ConnectDialog::reject() {
    if (m_joining || m_hosting) {
        m_joining = false;
        m_hosting = false;
        m_session.stop();
    }
    QDialog::reject();
}

} // namespace nw
