// Saving and loading games through the window's commands and dialogs.

#include <sys/resource.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <csignal>
#include <cstring>

#include "kivola/core/saved_game.h"
#include "window_fixture.h"

namespace kivola::test {
namespace {

class SavedGames : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(scratch.isValid());
        openWindow();
    }

    QString path(const char* name) const { return scratch.filePath(QString::fromLatin1(name)); }

    static void write(const QString& file, const QByteArray& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    static QByteArray read(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    void save(const QString& file) {
        dialogs.files.push_back(file);
        runFileCommand(ui().N3);
    }
    void load(const QString& file) {
        dialogs.files.push_back(file);
        runFileCommand(ui().N4);
    }
    // The dialog opens from a one-shot timer; its handler finishes within the same tick.
    void runFileCommand(QAction* item) {
        const int before = dialogs.fileDialogsShown;
        item->trigger();
        ASSERT_TRUE(waitUntil([&] { return dialogs.fileDialogsShown > before; }));
        QCoreApplication::processEvents();
    }

    QTemporaryDir scratch;
};

QByteArray bytesOf(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values) {
        out.append(static_cast<char>(v));
    }
    return out;
}

TEST_F(SavedGames, anEmptyGameSavesAsTwoBytesAndLoadsBack) {
    ui().actSinglePlay->trigger();
    save(path("empty.rur"));
    EXPECT_EQ(dialogs.lastFilter, QStringLiteral("五子棋数据文件(*.rur)"));
    EXPECT_EQ(dialogs.lastSuffix, QStringLiteral("rur"));
    EXPECT_EQ(read(path("empty.rur")), bytesOf({0, 0}));

    write(path("computer-first.rur"), bytesOf({0, 1}));
    load(path("computer-first.rur"));
    EXPECT_EQ(form1->match().computerFirst, 1);
    ASSERT_EQ(stones(), 1) << "the computer, to move on the empty board, opens at once";
    EXPECT_EQ(cell(8, 8), kOtherStone);
    EXPECT_EQ(form1->match().playerCanMove, 1);
    EXPECT_EQ(form1->match().gameStarted, 1);
}

TEST_F(SavedGames, savingRightAfterLoadingWritesTheSameBytes) {
    // A side byte other than 0 and 1 survives the round trip.
    const QByteArray original = bytesOf({4, 0, 8, 8, 1, 9, 9, 0, 7, 7, 5, 6, 6, 0});
    write(path("in.rur"), original);
    load(path("in.rur"));
    ASSERT_EQ(stones(), 4);
    EXPECT_EQ(cell(7, 7), kLocalStone);
    EXPECT_EQ(cell(6, 6), kOtherStone);
    EXPECT_TRUE(ui().N10->isEnabled());
    EXPECT_FALSE(ui().N14->isEnabled());
    EXPECT_FALSE(ui().check1->isEnabled());
    EXPECT_TRUE(ui().sbtnSaveGame->isEnabled());
    save(path("out.rur"));
    EXPECT_EQ(read(path("out.rur")), original);
}

TEST_F(SavedGames, aFileWithFiveLoadsFinishedWithoutANotice) {
    write(path("five.rur"),
          bytesOf({9, 0, 1, 1, 1, 1, 9, 0, 2, 1, 1, 2, 9, 0, 3, 1, 1, 3, 9, 0, 4, 1, 1, 4, 9, 0, 5, 1, 1}));
    load(path("five.rur"));
    EXPECT_EQ(stones(), 9);
    EXPECT_EQ(form1->match().gameResult, kLocalStone);
    clickPoint(10, 10);
    ASSERT_TRUE(waitForQuiet());
    EXPECT_EQ(stones(), 9);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SavedGames, aFullBoardWithoutFiveLoadsAsADraw) {
    QByteArray full = bytesOf({225, 0});
    for (int x = 1; x <= 15; ++x) {
        for (int y = 1; y <= 15; ++y) {
            // Runs of at most two along every line, so no five anywhere.
            const bool local = (x + 2 * y) % 4 < 2;
            full.append(static_cast<char>(x)).append(static_cast<char>(y)).append(static_cast<char>(local ? 1 : 0));
        }
    }
    write(path("full.rur"), full);
    load(path("full.rur"));
    EXPECT_EQ(stones(), 225);
    EXPECT_EQ(form1->match().gameResult, kDraw);
    ASSERT_TRUE(waitForQuiet());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SavedGames, theCurrentDirectoryComesBackAfterEveryDialog) {
    const QString before = QDir::currentPath();
    dialogs.wanderTo = scratch.path();
    runFileCommand(ui().N4); // cancelled
    EXPECT_EQ(dialogs.directoryDuringDialog, QDir(scratch.path()).absolutePath());
    EXPECT_EQ(QDir::currentPath(), before);

    write(path("one.rur"), bytesOf({1, 0, 8, 8, 1}));
    load(path("one.rur"));
    EXPECT_EQ(QDir::currentPath(), before);
    save(path("two.rur"));
    EXPECT_EQ(QDir::currentPath(), before);
    EXPECT_TRUE(QFile::exists(path("two.rur")));
}

TEST_F(SavedGames, theDialogsStartWhereTheLastGameWasElseInTheUsersDocuments) {
    // The program's own folder is not writable once installed.
    runFileCommand(ui().N4); // cancelled
    const QString fresh = dialogs.lastStartFolder;
    EXPECT_TRUE(fresh == QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) || fresh == QDir::homePath());
    ui().actSinglePlay->trigger();
    QDir(scratch.path()).mkdir(QStringLiteral("games"));
    save(path("games/one.rur"));
    runFileCommand(ui().N4);
    EXPECT_EQ(QDir(dialogs.lastStartFolder), QDir(path("games")));
    QDir(path("games")).removeRecursively();
    runFileCommand(ui().N3);
    EXPECT_EQ(dialogs.lastStartFolder, fresh) << "a folder that went away is not offered";
}

struct Snapshot {
    MatchState state;
    bool restartEnabled;
    bool optionsEnabled;
    int sprites;
};

Snapshot snapshot(const TForm1& form) {
    int sprites = 0;
    for (int k = 1; k <= 225; ++k) {
        sprites += form.piece(k) != nullptr;
    }
    return {form.match(), WindowControls(form).sbtnRestart->isEnabled(), WindowControls(form).check1->isEnabled(), sprites};
}

void expectSame(const Snapshot& a, const Snapshot& b, const char* file) {
    EXPECT_EQ(std::memcmp(&a.state.board, &b.state.board, sizeof a.state.board), 0) << file;
    EXPECT_EQ(a.state.stepCount, b.state.stepCount) << file;
    EXPECT_EQ(a.state.stepX, b.state.stepX) << file;
    EXPECT_EQ(a.state.stepY, b.state.stepY) << file;
    EXPECT_EQ(a.state.stepSide, b.state.stepSide) << file;
    EXPECT_EQ(a.state.gameResult, b.state.gameResult) << file;
    EXPECT_EQ(a.state.playerCanMove, b.state.playerCanMove) << file;
    EXPECT_EQ(a.state.computerFirst, b.state.computerFirst) << file;
    EXPECT_EQ(a.state.gameStarted, b.state.gameStarted) << file;
    EXPECT_EQ(a.restartEnabled, b.restartEnabled) << file;
    EXPECT_EQ(a.optionsEnabled, b.optionsEnabled) << file;
    EXPECT_EQ(a.sprites, b.sprites) << file;
}

TEST_F(SavedGames, aRefusedFileLeavesTheGameExactlyAsItWas) {
    ui().actSinglePlay->trigger();
    clickPoint(8, 8);
    clickPoint(4, 4);
    const Snapshot before = snapshot(*form1);
    struct Bad {
        const char* name;
        QByteArray bytes;
        const char* says;
    };
    const Bad bad[] = {
        {"empty.rur", QByteArray(), "0 个字节"},
        {"one-byte.rur", bytesOf({1}), "不是五子棋数据文件"},
        {"too-many.rur", bytesOf({226, 0}), "226"},
        {"first-mover.rur", bytesOf({0, 2}), "先行方"},
        {"truncated.rur", bytesOf({2, 0, 8, 8, 1, 9, 9}), "应有 8 个字节"},
        {"column-zero.rur", bytesOf({1, 0, 0, 8, 1}), "不在棋盘上"},
        {"row-sixteen.rur", bytesOf({2, 0, 8, 8, 1, 8, 16, 0}), "第 2 步"},
        {"twice.rur", bytesOf({3, 0, 8, 8, 1, 9, 9, 0, 8, 8, 1}), "已经有棋子"},
    };
    for (const Bad& b : bad) {
        write(path(b.name), b.bytes);
        dialogs.shown.clear();
        load(path(b.name));
        expectSame(before, snapshot(*form1), b.name);
        ASSERT_EQ(dialogs.shown.size(), 1u) << b.name;
        EXPECT_TRUE(dialogs.shown[0].text.contains(QString::fromLatin1(b.name))) << b.name;
        EXPECT_TRUE(dialogs.shown[0].text.contains(QString::fromUtf8(b.says)))
            << b.name << ": " << dialogs.shown[0].text.toStdString();
    }
    // A file that cannot be opened at all is told too.
    dialogs.shown.clear();
    load(path("missing.rur"));
    expectSame(before, snapshot(*form1), "missing.rur");
    EXPECT_EQ(dialogs.shown.size(), 1u);
}

TEST_F(SavedGames, aFailedSaveKeepsTheOldFileAndSaysSo) {
    ui().actSinglePlay->trigger();
    clickPoint(8, 8);
    const QByteArray old = bytesOf({0, 0});
    write(path("keep.rur"), old);

    // Root ignores permissions, so the failure comes from a file-size limit instead.
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = saved;
    tiny.rlim_cur = 3;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    save(path("keep.rur"));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(read(path("keep.rur")), old);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown[0].text.contains(QStringLiteral("无法保存游戏")));
    EXPECT_TRUE(dialogs.shown[0].text.contains(QStringLiteral("keep.rur")));
    EXPECT_TRUE(dialogs.shown[0].text.contains(QStringLiteral("原有的文件没有被改动。")));
    EXPECT_EQ(QDir(scratch.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.rur")})
        << "no half-written file is left behind";

    save(path("no-such-folder/game.rur"));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_FALSE(dialogs.shown[1].text.contains(QStringLiteral("原有的文件"))) << "there was no file to keep";

    // And a save that works replaces the old file whole.
    save(path("keep.rur"));
    EXPECT_EQ(read(path("keep.rur")).size(), 2 + 3 * 2);
}

TEST_F(SavedGames, aLoadedGameWithTheComputerToMoveGetsItsAnswer) {
    write(path("waiting.rur"), bytesOf({1, 0, 8, 8, 1}));
    load(path("waiting.rur"));
    ASSERT_EQ(stones(), 2);
    EXPECT_EQ(form1->match().stepSide[2], kSideOther);
    EXPECT_EQ(form1->match().playerCanMove, 1);
}

TEST_F(SavedGames, thePanelNamesTheLoadedGamesFirstMoverAsBlack) {
    // The option says the player moves first; the file says the computer did, and the reverse.
    write(path("computer-first.rur"), bytesOf({0, 1}));
    load(path("computer-first.rur"));
    EXPECT_EQ(ui().Label1->text() + ui().Label2->text(), QStringLiteral("电脑玩家"));
    ui().N10->trigger();
    ui().N16->trigger();
    write(path("player-first.rur"), bytesOf({1, 0, 8, 8, 1}));
    load(path("player-first.rur"));
    EXPECT_EQ(ui().Label1->text() + ui().Label2->text(), QStringLiteral("玩家电脑"));
    EXPECT_TRUE(ui().N16->isChecked()) << "the option stays the player's";
}

} // namespace
} // namespace kivola::test
