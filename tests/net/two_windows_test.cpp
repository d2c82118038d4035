// Two instances of the game on one machine meet over loopback and play to a result; each
// renders its window (docs/network-host.png and docs/network-join.png come from here when
// KIVOLA_SCREENSHOT_DIR is set).

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kivola::test {
namespace {

constexpr int kLineWaitMs = 30000;

// The next line the process prints, or an empty one when none comes in time.
QString nextLine(QProcess& process) {
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(kLineWaitMs)) {
            return {};
        }
    }
    return QString::fromUtf8(process.readLine()).trimmed();
}

TEST(TwoInstances, hostAndJoinerPlayToAResultThatEachSeesFromItsOwnSide) {
    QTemporaryDir scratch;
    const QString wanted = qEnvironmentVariable("KIVOLA_SCREENSHOT_DIR");
    const QString shots = wanted.isEmpty() ? scratch.path() : wanted;

    QProcess host;
    host.start(QStringLiteral(KIVOLA_TWO_WINDOWS_PLAYER), {QStringLiteral("--shots"), shots});
    ASSERT_TRUE(host.waitForStarted());
    const QString portLine = nextLine(host);
    ASSERT_TRUE(portLine.startsWith(QStringLiteral("PORT "))) << portLine.toStdString();
    const QString port = portLine.mid(5);

    QProcess joiner;
    joiner.start(QStringLiteral(KIVOLA_TWO_WINDOWS_PLAYER),
                 {QStringLiteral("--join"), port, QStringLiteral("--shots"), shots});
    ASSERT_TRUE(joiner.waitForStarted());

    EXPECT_EQ(nextLine(host), QStringLiteral("SHOT 您赢了！"));
    EXPECT_EQ(nextLine(joiner), QStringLiteral("SHOT 您输了！"));
    host.write("quit\n");
    joiner.write("quit\n");
    ASSERT_TRUE(host.waitForFinished(kLineWaitMs));
    ASSERT_TRUE(joiner.waitForFinished(kLineWaitMs));
    EXPECT_EQ(host.exitCode(), 0) << host.readAllStandardError().toStdString();
    EXPECT_EQ(joiner.exitCode(), 0) << joiner.readAllStandardError().toStdString();

    for (const char* role : {"host", "join"}) {
        const QImage shot(shots + QStringLiteral("/network-%1.png").arg(QLatin1String(role)));
        ASSERT_FALSE(shot.isNull()) << role;
        EXPECT_EQ(shot.width(), 603) << role;
        EXPECT_GT(shot.height(), 512) << "the tall window with the chat area";
    }
}

} // namespace
} // namespace kivola::test
