#include "help_window.h"

#include "help_browser.h"

#include <QAction>
#include <QKeySequence>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace kivola {

HelpWindow::HelpWindow() : QWidget(nullptr, Qt::Window)
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(tr("Kivola 帮助"));
    // The game ends when its main window closes, even with the help still open.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(kWidth, kHeight);

    browser_ = new HelpBrowser(this);

    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("helpToolBar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->setIconSize(QSize(16, 16));
    back_ = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), tr("后退"));
    forward_ = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), tr("前进"));
    home_ = bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), tr("主页"));
    back_->setObjectName(QStringLiteral("helpBack"));
    forward_->setObjectName(QStringLiteral("helpForward"));
    home_->setObjectName(QStringLiteral("helpHome"));
    back_->setShortcut(QKeySequence::Back);
    forward_->setShortcut(QKeySequence::Forward);
    back_->setEnabled(false);
    forward_->setEnabled(false);

    connect(back_, &QAction::triggered, browser_, &HelpBrowser::backward);
    connect(forward_, &QAction::triggered, browser_, &HelpBrowser::forward);
    connect(home_, &QAction::triggered, browser_, &HelpBrowser::home);
    connect(browser_, &HelpBrowser::backwardAvailable, back_, &QAction::setEnabled);
    connect(browser_, &HelpBrowser::forwardAvailable, forward_, &QAction::setEnabled);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(browser_);
}

void HelpWindow::showTopic(const ChmArchive* archive, const QString& topic)
{
    const QUrl url = HelpBrowser::topicUrl(topic);
    const bool newArchive = archive != browser_->archive();
    browser_->setArchive(archive);
    if (browser_->source() == url) {
        if (newArchive)
            browser_->reload();
    } else {
        browser_->setSource(url, QTextDocument::HtmlResource);
    }
    if (newArchive) {
        // Pages of another file (or of none) must not come back through the history, and
        // home() returns to the first page of this one.
        browser_->clearHistory();
    }
}

} // namespace kivola
