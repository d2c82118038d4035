// The real boxes and file dialogs behind the window's dialog seam.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <map>

#include "file_messages.h"
#include "form1.h"
#include "nw/nw_events.h"

namespace kivola::test {
namespace {

// Hands each modal dialog that opens to act, once, while the caller's exec waits.
class ModalScript {
public:
    explicit ModalScript(std::function<void(QWidget&)> act) {
        QObject::connect(&poll_, &QTimer::timeout, [this, act = std::move(act)] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != nullptr && modal->isVisible() && modal != last_) {
                last_ = modal;
                // A script that never ends its dialogs must not hang the run.
                ++seen_ > 20 ? void(modal->close()) : act(*modal);
            }
        });
        poll_.start(5);
    }

private:
    QTimer poll_;
    QPointer<QWidget> last_;
    int seen_ = 0;
};

TEST(RealDialogs, everyBoxIsWideEnoughForItsCaptionAndTheLibrarysCarryTheirIcons) {
    QtDialogService dialogs;
    ComputerPlayer computer;
    TForm1 window(dialogs, computer, systemNetLibrary());
    std::map<QString, std::pair<QMessageBox::Icon, int>> seen; // by caption: boxes may nest
    const ModalScript script([&](QWidget& modal) {
        auto& box = dynamic_cast<QMessageBox&>(modal);
        seen[box.windowTitle()] = {box.icon(), box.width()};
        box.button(box.button(QMessageBox::No) != nullptr ? QMessageBox::No : QMessageBox::Ok)->click();
    });
    for (const QEvent::Type type : {nw::kNetNoticeEvent, nw::kNetRestartAskEvent}) {
        QCoreApplication::postEvent(&window, new nw::NetTextEvent(type, QByteArray("ok")));
    }
    dialogs.showMessage(&window, QStringLiteral("您赢了！"), QStringLiteral("结果"));
    for (int i = 0; i < 500 && seen.size() < 3; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[QStringLiteral("Information")].first, QMessageBox::Information);
    EXPECT_EQ(seen[QStringLiteral("Confirm")].first, QMessageBox::Question);
    EXPECT_EQ(seen[QStringLiteral("结果")].first, QMessageBox::NoIcon);
    for (const auto& [caption, look] : seen) {
        EXPECT_GE(look.second, 280) << "a window manager shows the caption " << caption.toStdString();
    }
}

TEST(RealDialogs, theWindowClosesOnlyTheQuestionItTaggedNotAnotherWithTheSameCaption) {
    QtDialogService dialogs;
    QWidget owner;
    bool outerStillOpen = false;
    bool outer = true;
    bool inner = true;
    // The outer question is on screen when the inner one, with the same caption, opens over it.
    QTimer::singleShot(0, [&] {
        inner = dialogs.askYesNo(&owner, QStringLiteral("内"), QStringLiteral("提示"), 2);
        const auto* top = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        outerStillOpen = top != nullptr && top->isVisible() && top->text() == QStringLiteral("外");
        dialogs.closeQuestion(1);
    });
    const ModalScript script([&](QWidget& modal) {
        if (dynamic_cast<QMessageBox&>(modal).text() == QStringLiteral("内")) {
            dialogs.closeQuestion(3); // nobody's
            dialogs.closeQuestion(2);
        }
    });
    outer = dialogs.askYesNo(&owner, QStringLiteral("外"), QStringLiteral("提示"), 1);
    EXPECT_TRUE(outerStillOpen);
    EXPECT_FALSE(inner);
    EXPECT_FALSE(outer);
}

TEST(RealDialogs, theSaveAsksOnlyAboutAFileItMayReplaceAndNoGoesBackToTheDialog) {
    QTemporaryDir games;
    const QDir folder(games.path());
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), folder.filePath(QStringLiteral("device.rur"))));
    ASSERT_TRUE(QFile(folder.filePath(QStringLiteral("old.rur"))).open(QIODevice::WriteOnly));
    QtDialogService dialogs;
    QString typed = QStringLiteral("device"); // a bare name: a file in the folder the dialog opened in
    QStringList seen;
    const ModalScript script([&](QWidget& modal) {
        if (auto* box = qobject_cast<QMessageBox*>(&modal)) {
            seen << box->text();
            box->button(seen.size() == 3 ? QMessageBox::No : QMessageBox::Yes)->click();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(&modal)) {
            seen << QFileInfo(dialog->selectedFiles().value(0)).fileName();
            dialog->selectFile(typed);
            static_cast<QDialog*>(dialog)->accept(); // as its own button does
        }
    });
    const auto save = [&] { return dialogs.chooseSaveFile(nullptr, kGameFileFilter, kGameFileSuffix, games.path()); };
    EXPECT_EQ(save(), folder.filePath(QStringLiteral("device.rur"))) << "refused by the save, never replaced";
    typed = QStringLiteral("old");
    EXPECT_EQ(save(), folder.filePath(QStringLiteral("old.rur")));
    const QString replace = QStringLiteral("“old.rur”已经存在。\n要替换它吗？");
    EXPECT_EQ(seen, QStringList({folder.dirName(), folder.dirName(), replace, QStringLiteral("old.rur"), replace}));
}

} // namespace
} // namespace kivola::test
