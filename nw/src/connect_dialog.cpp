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

namespace {
const QString kWaitingText = QStringLiteral("正在等待对方加入，请把本机地址和端口告诉对方");
} // namespace

QStringList addressesForFriend(const QList<QHostAddress>& all) {
    QStringList v4, v6, loopback;
    for (const QHostAddress& address : all) {
        if (address.isNull() || address.isMulticast()) {
            continue;
        }
        if (address.isLoopback()) {
            loopback << address.toString();
        } else if (address.protocol() == QAbstractSocket::IPv4Protocol) {
            v4 << address.toString();
        } else {
            v6 << address.toString();
        }
    }
    QStringList out = v4 + v6;
    return out.isEmpty() ? loopback : out;
}

QString defaultPlayerName() {
    std::vector<char> buffer(4096);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name &&
        *found->pw_name) {
        return QString::fromLocal8Bit(found->pw_name);
    }
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? QStringLiteral("玩家") : user;
}

ConnectDialog::ConnectDialog(Session& session, QWidget* parent)
    : QDialog(parent), session_(session), hostRadio_(new QRadioButton(QStringLiteral("创建游戏，等待对方加入"))),
      joinRadio_(new QRadioButton(QStringLiteral("加入对方创建的游戏"))), nameEdit_(new QLineEdit),
      addressEdit_(new QLineEdit), portSpin_(new QSpinBox), statusLabel_(new QLabel), portLabel_(new QLabel),
      addressLabel_(new QLabel), waitingBox_(new QWidget) {
    setObjectName(QStringLiteral("nwConnectDialog"));
    setWindowTitle(QStringLiteral("网络对战"));
    setModal(true);
    setUpFields();
    layOut(makeButtons());
    followSession();
    updateMode();
}

ConnectDialog::~ConnectDialog() = default;

// Object names are what tests and the documentation know the widgets by.
void ConnectDialog::setUpFields() {
    hostRadio_->setObjectName(QStringLiteral("hostRadio"));
    joinRadio_->setObjectName(QStringLiteral("joinRadio"));
    nameEdit_->setObjectName(QStringLiteral("nameEdit"));
    addressEdit_->setObjectName(QStringLiteral("addressEdit"));
    portSpin_->setObjectName(QStringLiteral("portSpin"));
    statusLabel_->setObjectName(QStringLiteral("statusLabel"));
    statusLabel_->setWordWrap(true);
    // Notices may quote what a peer sent: never read as markup.
    statusLabel_->setTextFormat(Qt::PlainText);
    portLabel_->setObjectName(QStringLiteral("portLabel"));
    portLabel_->setTextFormat(Qt::PlainText);
    portLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    addressLabel_->setObjectName(QStringLiteral("addressLabel"));
    addressLabel_->setTextFormat(Qt::PlainText);
    addressLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    waitingBox_->setObjectName(QStringLiteral("waitingBox"));

    hostRadio_->setChecked(true);
    addressEdit_->setText(QStringLiteral("127.0.0.1"));
    portSpin_->setRange(0, 65535);
    portSpin_->setSpecialValueText(QStringLiteral("自动")); // port 0: any free port
    portSpin_->setValue(kDefaultPort);
    nameEdit_->setText(defaultPlayerName());
}

QDialogButtonBox* ConnectDialog::makeButtons() {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    okButton_ = buttons->button(QDialogButtonBox::Ok);
    okButton_->setText(QStringLiteral("确定"));
    okButton_->setObjectName(QStringLiteral("okButton"));
    cancelButton_ = buttons->button(QDialogButtonBox::Cancel);
    cancelButton_->setText(QStringLiteral("取消"));
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &ConnectDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ConnectDialog::reject);
    return buttons;
}

void ConnectDialog::layOut(QDialogButtonBox* buttons) {
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("您的名字："), nameEdit_);
    form->addRow(hostRadio_);
    form->addRow(joinRadio_);
    form->addRow(QStringLiteral("对方地址："), addressEdit_);
    form->addRow(QStringLiteral("端口："), portSpin_);
    auto* waitingForm = new QFormLayout(waitingBox_);
    waitingForm->setContentsMargins(0, 0, 0, 0);
    waitingForm->addRow(QStringLiteral("本机端口："), portLabel_);
    waitingForm->addRow(QStringLiteral("本机地址："), addressLabel_);
    waitingBox_->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(waitingBox_);
    layout->addWidget(statusLabel_);
    layout->addWidget(buttons);
}

void ConnectDialog::followSession() {
    connect(hostRadio_, &QRadioButton::toggled, this, &ConnectDialog::updateMode);
    connect(&session_, &Session::joinFinished, this, &ConnectDialog::onJoinFinished);
    connect(&session_, &Session::peerJoined, this, &ConnectDialog::onPeerJoined);
    // While it waits the dialog is what the player looks at: why a join failed shows here, and
    // strangers turned away show here only.
    connect(&session_, &Session::notice, this, [this](const QString& text) {
        if (hosting_ || joining_) {
            statusLabel_->setText(text);
        }
    });
    connect(&session_, &Session::strangerTurnedAway, this, [this](const QString& text) {
        if (hosting_) {
            statusLabel_->setText(kWaitingText + QLatin1Char('\n') + text);
        }
    });
}

void ConnectDialog::setPlayerName(const QString& name) { nameEdit_->setText(name); }

void ConnectDialog::updateMode() { addressEdit_->setEnabled(joinRadio_->isChecked() && !joining_ && !hosting_); }

void ConnectDialog::setWorking(bool working) {
    nameEdit_->setEnabled(!working);
    hostRadio_->setEnabled(!working);
    joinRadio_->setEnabled(!working);
    portSpin_->setEnabled(!working);
    okButton_->setEnabled(!working);
    updateMode();
}

void ConnectDialog::accept() {
    if (joining_ || hosting_) {
        return;
    }
    const QString name = nameEdit_->text().trimmed();
    const std::optional<std::string> gbk = utf8ToGbk(name.toStdString());
    if (name.isEmpty()) {
        statusLabel_->setText(QStringLiteral("请输入您的名字"));
        return;
    }
    if (!gbk) {
        statusLabel_->setText(QStringLiteral("名字中有无法显示的字符"));
        return;
    }
    if (gbk->size() > wire::kMaxName || !session_.setPlayerNameGbk(QByteArray::fromStdString(*gbk))) {
        statusLabel_->setText(QStringLiteral("名字太长或含有控制字符（最多 %1 个字节）").arg(wire::kMaxName));
        return;
    }
    if (name.normalized(QString::NormalizationForm_KC).contains(QLatin1Char(':'))) {
        // The chat record puts it after every name; inside one it could fake the other's lines.
        statusLabel_->setText(QStringLiteral("名字中不能有冒号（“：”或“:”）"));
        return;
    }
    const auto port = static_cast<quint16>(portSpin_->value());
    if (hostRadio_->isChecked()) {
        // A failure has already been told through the session's notice.
        if (session_.host(port)) {
            showWaiting();
        } else {
            QDialog::reject();
        }
        return;
    }
    const QString address = addressEdit_->text().trimmed();
    if (address.isEmpty()) {
        statusLabel_->setText(QStringLiteral("请输入对方的地址"));
        return;
    }
    if (port == 0) {
        statusLabel_->setText(QStringLiteral("请输入对方的端口"));
        return;
    }
    joining_ = true;
    setWorking(true);
    statusLabel_->setText(QStringLiteral("正在连接 %1:%2 …").arg(address).arg(port));
    session_.join(address, port);
}

void ConnectDialog::onJoinFinished(bool ok) {
    if (!joining_) {
        return;
    }
    joining_ = false;
    setWorking(false);
    if (ok) {
        QDialog::accept();
    } else {
        QDialog::reject();
    }
}

void ConnectDialog::showWaiting() {
    hosting_ = true;
    setWorking(true);
    portLabel_->setText(QString::number(session_.serverPort()));
    addressLabel_->setText(addressesForFriend(QNetworkInterface::allAddresses()).join(QLatin1Char('\n')));
    waitingBox_->show();
    statusLabel_->setText(kWaitingText);
}

void ConnectDialog::onPeerJoined() {
    if (!hosting_) {
        return;
    }
    hosting_ = false;
    QDialog::accept();
}

void ConnectDialog::reject() {
    if (joining_ || hosting_) {
        joining_ = false;
        hosting_ = false;
        session_.stop();
    }
    QDialog::reject();
}

} // namespace nw
