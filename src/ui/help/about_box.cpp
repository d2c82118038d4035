#include "about_box.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <qdrawutil.h>

namespace kivola {

namespace {

constexpr QSize kIconSize(32, 31);

// Stands in for 宋体 on Linux.
QFont songFont(int pixelSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("serif")});
    font.setPixelSize(pixelSize);
    return font;
}

QPixmap loadIcon(const QString& iconFile)
{
    const QString path = iconFile.isEmpty()
        ? QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("res/kivola-32.png"))
        : iconFile;
    QPixmap pixmap;
    if (QFileInfo::exists(path) && pixmap.load(path) && !pixmap.isNull())
        return pixmap.size() == kIconSize
            ? pixmap
            : pixmap.scaled(kIconSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return drawAboutIcon();
}

} // namespace

QPixmap drawAboutIcon()
{
    QPixmap pixmap(kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x5a, 0x3a, 0x14), 1));
    painter.setBrush(QColor(0xe6, 0xc2, 0x7c));
    painter.drawRoundedRect(QRectF(0.5, 0.5, 31, 30), 3, 3);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < 4; ++i) {
        const int p = 5 + i * 7;
        painter.drawLine(5, p, 26, p);
        painter.drawLine(p, 5, p, 26);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const auto stone = [&](int col, int row, const QColor& colour) {
        painter.setPen(QPen(QColor(0x22, 0x22, 0x22), 0.8));
        painter.setBrush(colour);
        painter.drawEllipse(QPointF(5 + col * 7, 5 + row * 7), 3.2, 3.2);
    };
    for (int i = 0; i < 4; ++i)
        stone(i, i, Qt::black);
    stone(1, 0, Qt::white);
    stone(2, 1, Qt::white);
    stone(0, 2, Qt::white);
    return pixmap;
}

BevelPanel::BevelPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("Panel1"));
}

void BevelPanel::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const QRect outer = rect();
    qDrawShadePanel(&painter, outer, palette(), true, 1);
    qDrawShadePanel(&painter, outer.adjusted(1, 1, -1, -1), palette(), false, 1);
}

TAboutBox::TAboutBox(QWidget* parent, const QString& iconFile)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(tr("关于"));
    setModal(true);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(kClientWidth, kClientHeight);

    Panel1 = new BevelPanel(this);
    Panel1->setGeometry(0, 0, kClientWidth, kClientHeight);

    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(QRect(QPoint(8, 8), kIconSize));
    Image1->setPixmap(loadIcon(iconFile));

    ProductName = new QLabel(QStringLiteral("Kivola"), Panel1);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    ProductName->setFont(songFont(19));
    ProductName->move(64, 16);
    ProductName->adjustSize();

    Version = new QLabel(tr("  版本 %1").arg(QStringLiteral(KIVOLA_VERSION)), Panel1);
    Version->setObjectName(QStringLiteral("Version"));
    Version->setFont(songFont(16));
    Version->move(176, 16);
    Version->adjustSize();

    OKButton = new QPushButton(tr("确定"), Panel1);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(215, 60, 75, 25);
    OKButton->setDefault(true);
    OKButton->setAutoDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
}

int TAboutBox::ShowModal()
{
    return exec();
}

void TAboutBox::CloseIfShown()
{
    if (isVisible())
        reject();
}

void TAboutBox::OKButtonClick()
{
    accept();
}

void TAboutBox::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        centreOnScreen();
    QDialog::showEvent(event);
}

void TAboutBox::centreOnScreen()
{
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

} // namespace kivola
