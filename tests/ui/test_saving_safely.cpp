// Saving never replaces what is not a plain file, failures are told in Chinese, and Qt's own
// dialogs speak Chinese once the start-up code has loaded the translations.

#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTranslator>
#include <cerrno>

#include "file_messages.h"
#include "window_fixture.h"

namespace kivola::test {
namespace {

class SavingSafely : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(scratch.isValid());
        openWindow();
        ui().actSinglePlay->trigger();
        clickPoint(8, 8);
    }

    QString path(const char* name) const { return scratch.filePath(QString::fromLatin1(name)); }

    // Runs the command, answers its dialog with the file, and returns what the player was told.
    QString runFileCommand(QAction* item, const QString& file) {
        dialogs.shown.clear();
        dialogs.files.push_back(file);
        const int before = dialogs.fileDialogsShown;
        item->trigger();
        EXPECT_TRUE(waitUntil([&] { return dialogs.fileDialogsShown > before; }));
        QCoreApplication::processEvents();
        return dialogs.shown.size() == 1 ? dialogs.shown[0].text : QString();
    }

    static mode_t kindOf(const QString& file) {
        struct stat status {};
        return ::lstat(QFile::encodeName(file).constData(), &status) == 0 ? (status.st_mode & S_IFMT) : 0;
    }

    QStringList everythingInScratch() const {
        return QDir(scratch.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir scratch;
};

TEST_F(SavingSafely, aPipeADeviceOrAFolderIsNeverReplaced) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.rur")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(path("pipe.rur"), path("to-pipe.rur")));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), path("to-null.rur")));
    ASSERT_TRUE(QDir(scratch.path()).mkdir(QStringLiteral("folder.rur")));
    const QStringList before = everythingInScratch();

    for (const char* name : {"pipe.rur", "to-pipe.rur", "to-null.rur"}) {
        const QString told = runFileCommand(ui().N3, path(name));
        EXPECT_TRUE(told.contains(QStringLiteral("无法保存游戏"))) << name << ": " << told.toStdString();
        EXPECT_TRUE(told.contains(QStringLiteral("不是普通文件"))) << name << ": " << told.toStdString();
    }
    EXPECT_TRUE(runFileCommand(ui().N3, path("folder.rur")).contains(QStringLiteral("这是一个文件夹")));

    EXPECT_EQ(kindOf(path("pipe.rur")), S_IFIFO);
    EXPECT_EQ(kindOf(path("to-pipe.rur")), S_IFLNK);
    EXPECT_EQ(QFile::symLinkTarget(path("to-pipe.rur")), path("pipe.rur"));
    EXPECT_EQ(kindOf(path("to-null.rur")), S_IFLNK);
    EXPECT_EQ(QFile::symLinkTarget(path("to-null.rur")), QStringLiteral("/dev/null"));
    EXPECT_EQ(kindOf(QStringLiteral("/dev/null")), S_IFCHR);
    EXPECT_EQ(kindOf(path("folder.rur")), S_IFDIR);
    EXPECT_EQ(everythingInScratch(), before) << "no file was created or left behind";
}

TEST_F(SavingSafely, aLinkToAGameFileIsWrittenThroughAndStaysALink) {
    ASSERT_TRUE(QDir(scratch.path()).mkdir(QStringLiteral("games")));
    QFile old(path("games/real.rur"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("\0\0", 2);
    old.close();
    ASSERT_TRUE(QFile::link(path("games/real.rur"), path("link.rur")));

    EXPECT_EQ(runFileCommand(ui().N3, path("link.rur")), QString());
    EXPECT_EQ(kindOf(path("link.rur")), S_IFLNK);
    EXPECT_EQ(kindOf(path("games/real.rur")), S_IFREG);
    QFile written(path("games/real.rur"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll().size(), 2 + 3 * 2) << "the game went to the file the link names";
}

TEST_F(SavingSafely, failuresAreToldInChinese) {
    QString told = runFileCommand(ui().N3, path("no-such-folder/game.rur"));
    EXPECT_TRUE(told.contains(QStringLiteral("不存在"))) << told.toStdString();

    // Loading a pipe must neither block the window nor be read.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.rur")).constData(), 0600), 0);
    told = runFileCommand(ui().N4, path("pipe.rur"));
    EXPECT_TRUE(told.contains(QStringLiteral("无法打开游戏文件"))) << told.toStdString();
    EXPECT_TRUE(told.contains(QStringLiteral("不是普通文件"))) << told.toStdString();
    EXPECT_TRUE(runFileCommand(ui().N4, path("missing.rur")).contains(QStringLiteral("文件或文件夹不存在")));
    EXPECT_TRUE(runFileCommand(ui().N4, scratch.path()).contains(QStringLiteral("文件夹")));
    EXPECT_EQ(stones(), 2) << "the game on the board is untouched";

    // Failures a test running as root cannot provoke, worded as Qt words them.
    EXPECT_EQ(failureReason(qt_error_string(EACCES)), QStringLiteral("没有访问权限。"));
    EXPECT_EQ(failureReason(qt_error_string(ENOSPC)), QStringLiteral("磁盘已满，没有剩余空间。"));
    EXPECT_EQ(failureReason(qt_error_string(EROFS)), QStringLiteral("文件系统是只读的。"));
    EXPECT_EQ(failureReason(QStringLiteral("Error writing: ") + qt_error_string(EISDIR)),
              QStringLiteral("这是一个文件夹，不是文件。"));
    EXPECT_EQ(failureReason(QStringLiteral("奇怪的错误")), QStringLiteral("奇怪的错误")) << "unknown texts pass through";
}

TEST(QtTranslations, standardButtonsAndFileDialogsSpeakChinese) {
    QMessageBox english(QMessageBox::NoIcon, QString(), QString(), QMessageBox::Ok);
    ASSERT_EQ(english.button(QMessageBox::Ok)->text(), QStringLiteral("OK")) << "nothing loaded yet";

    QTranslator* translator = installQtTranslations(*QCoreApplication::instance());
    ASSERT_NE(translator, nullptr) << "qtbase_zh_CN is installed by the set-up script";
    QMessageBox box(QMessageBox::NoIcon, QString(), QString(), QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));

    QFileDialog dialog(nullptr, QString(), QString(), kGameFileFilter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QLabel* lookIn = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
    ASSERT_NE(lookIn, nullptr);
    EXPECT_TRUE(lookIn->text().startsWith(QStringLiteral("查找范围"))) << lookIn->text().toStdString();

    // Later tests see the untranslated toolkit again.
    delete translator;
    QMessageBox after(QMessageBox::NoIcon, QString(), QString(), QMessageBox::Ok);
    EXPECT_EQ(after.button(QMessageBox::Ok)->text(), QStringLiteral("OK"));
}

} // namespace
} // namespace kivola::test
