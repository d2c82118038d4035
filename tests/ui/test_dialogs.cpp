// The real boxes and file dialogs behind the window's dialog seam.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <map>

#include "dialogs.h"
#include "file_messages.h"
#include "form1.h"
#include "nw/gbk.h"
#include "nw/nw_events.h"

namespace kivola::test {
namespace {

// Hands each modal dialog that opens to the script, once, while the caller's exec waits.
class ModalScript {
public:
    explicit ModalScript(std::function<void(QWidget&)> act) : act_(std::move(act)) {
        poll_.setInterval(5);
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || !modal->isVisible() || modal == last_) {
                return;
            }
            last_ = modal;
            if (++seen_ > 20) {
                modal->close(); // a script that never ends its dialogs must not hang the run
                return;
            }
            act_(*modal);
        });
        poll_.start();
    }

private:
    std::function<void(QWidget&)> act_;
    QTimer poll_;
    QPointer<QWidget> last_;
    int seen_ = 0;
};

// Types a name into the save dialog and presses its button, as the player does.
void typeAndSave(QWidget& modal, const QString& name) {
    auto* dialog = qobject_cast<QFileDialog*>(&modal);
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(name);
    static_cast<QDialog*>(dialog)->accept();
}

class RealDialogs : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(games.isValid()); }
    QString path(const char* name) const { return QDir(games.path()).absoluteFilePath(QString::fromLatin1(name)); }
    QString save(std::function<void(QWidget&)> act) {
        const ModalScript script(std::move(act));
        return dialogs.chooseSaveFile(nullptr, kGameFileFilter, kGameFileSuffix, games.path());
    }

    QtDialogService dialogs;
    QTemporaryDir games;
};

TEST_F(RealDialogs, aBareNameTypedIntoTheSaveDialogMeansAGameFileInItsStartFolder) {
    const QString before = QDir::currentPath();
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    QString startedIn;
    const QString chosen = save([&](QWidget& modal) {
        startedIn = qobject_cast<QFileDialog*>(&modal)->directory().absolutePath();
        typeAndSave(modal, QStringLiteral("mygame"));
    });
    QDir::setCurrent(before);
    EXPECT_EQ(startedIn, QDir(games.path()).absolutePath());
    EXPECT_EQ(chosen, path("mygame.rur"));
}

TEST_F(RealDialogs, onlyAFileTheSaveMayReplaceIsAskedAbout) {
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), path("to-null.rur")));
    QStringList boxes;
    EXPECT_EQ(save([&](QWidget& modal) {
                  if (auto* box = qobject_cast<QMessageBox*>(&modal)) {
                      boxes << box->text();
                      box->button(QMessageBox::Yes)->click();
                  } else {
                      typeAndSave(modal, QStringLiteral("to-null"));
                  }
              }),
              path("to-null.rur"));
    EXPECT_TRUE(boxes.isEmpty()) << "the save refuses a device; it has nothing to replace";

    QFile old(path("old.rur"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.close();
    // No goes back to the dialog with the name still typed; Yes takes the file.
    QStringList namesOffered;
    int answers = 0;
    EXPECT_EQ(save([&](QWidget& modal) {
                  if (auto* box = qobject_cast<QMessageBox*>(&modal)) {
                      boxes << box->text();
                      box->button(answers++ == 0 ? QMessageBox::No : QMessageBox::Yes)->click();
                  } else {
                      namesOffered << qobject_cast<QFileDialog*>(&modal)->selectedFiles().value(0);
                      typeAndSave(modal, QStringLiteral("old"));
                  }
              }),
              path("old.rur"));
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_EQ(boxes[0], QStringLiteral("“old.rur”已经存在。\n要替换它吗？"));
    ASSERT_EQ(namesOffered.size(), 2);
    EXPECT_EQ(namesOffered[1], path("old.rur"));
}

TEST_F(RealDialogs, everyBoxIsWideEnoughForAWindowManagerToShowItsCaption) {
    // The result box was sized to "您赢了！" alone, too narrow for its caption "结果".
    std::vector<int> widths;
    const ModalScript script([&](QWidget& modal) {
        widths.push_back(modal.width());
        auto* box = qobject_cast<QMessageBox*>(&modal);
        box->button(box->button(QMessageBox::No) != nullptr ? QMessageBox::No : QMessageBox::Ok)->click();
    });
    const QString caption = QStringLiteral("结果");
    dialogs.showMessage(nullptr, QStringLiteral("您赢了！"), caption);
    dialogs.askYesNo(nullptr, QStringLiteral("是"), caption);
    dialogs.showInformation(nullptr, QStringLiteral("好"), caption);
    dialogs.askConfirmation(nullptr, QStringLiteral("是"), caption);
    ASSERT_EQ(widths.size(), 4u);
    for (const int width : widths) {
        EXPECT_GE(width, 280);
    }
}

TEST_F(RealDialogs, theLibrarysNoticeAndQuestionAreTheStandardInformationAndConfirmation) {
    TForm1 window(dialogs);
    window.show();
    std::map<QString, QMessageBox::Icon> seen; // by caption: the question may open over the notice
    const ModalScript script([&](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        ASSERT_NE(box, nullptr);
        seen[box->windowTitle()] = box->icon();
        box->button(box->button(QMessageBox::No) != nullptr ? QMessageBox::No : QMessageBox::Ok)->click();
    });
    const auto post = [&](QEvent::Type type, const char* text) {
        QCoreApplication::postEvent(&window, new nw::NetTextEvent(type, QByteArray::fromStdString(*nw::utf8ToGbk(text))));
    };
    post(nw::kNetNoticeEvent, "对方已连接");
    post(nw::kNetRestartAskEvent, "对方想重新开始，同意吗？");
    for (int i = 0; i < 500 && seen.size() < 2; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_EQ(seen, (std::map<QString, QMessageBox::Icon>{{QStringLiteral("Information"), QMessageBox::Information},
                                                           {QStringLiteral("Confirm"), QMessageBox::Question}}));
}

} // namespace
} // namespace kivola::test
