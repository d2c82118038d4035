#include "chm_archive.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTemporaryFile>
#include <QUrl>

#include <dlfcn.h>

#include <deque>

using kivola::ChmArchive;
using kivola::ChmEntryPoints;

namespace {

const QString kHelpFile = QStringLiteral(KIVOLA_TEST_HELP_FILE);

// Reads the compiled help file directly, as the help window does.
class HelpFileContent : public ::testing::Test {
protected:
    void SetUp() override
    {
        library_ = dlopen("libchm.so.1", RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr);
        api_.open = reinterpret_cast<decltype(api_.open)>(dlsym(library_, "chm_open"));
        api_.close = reinterpret_cast<decltype(api_.close)>(dlsym(library_, "chm_close"));
        api_.resolve =
            reinterpret_cast<decltype(api_.resolve)>(dlsym(library_, "chm_resolve_object"));
        api_.retrieve =
            reinterpret_cast<decltype(api_.retrieve)>(dlsym(library_, "chm_retrieve_object"));
        ASSERT_TRUE(api_.complete());
    }
    void TearDown() override
    {
        if (library_)
            dlclose(library_);
    }

    void* library_ = nullptr;
    ChmEntryPoints api_;
};

QString decodeStrictly(const QByteArray& bytes, bool* ok)
{
    QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
    const QString text = decoder.isValid() ? decoder.decode(bytes) : QString();
    *ok = decoder.isValid() && !decoder.hasError();
    return text;
}

QStringList attributes(const QString& html, const QString& attribute)
{
    QStringList values;
    const QRegularExpression pattern(attribute + QStringLiteral("\\s*=\\s*\"([^\"]*)\""),
                                     QRegularExpression::CaseInsensitiveOption);
    for (auto it = pattern.globalMatch(html); it.hasNext();)
        values << it.next().captured(1);
    return values;
}

} // namespace

// Every topic hangs together: reachable from the first one, each link and picture present,
// each page decoded without loss and titled.
TEST_F(HelpFileContent, EveryLinkAndPictureResolvesFromTheFirstTopic)
{
    const ChmArchive archive(api_, kHelpFile);
    ASSERT_TRUE(archive.isOpen());

    QSet<QString> seen{QStringLiteral("/html/ziridugaishu.htm")};
    std::deque<QString> pending{QStringLiteral("/html/ziridugaishu.htm")};
    QSet<QString> pictures;
    while (!pending.empty()) {
        const QString path = pending.front();
        pending.pop_front();
        const auto bytes = archive.read(path);
        ASSERT_TRUE(bytes.has_value()) << path.toStdString();
        bool ok = false;
        const QString html = decodeStrictly(*bytes, &ok);
        EXPECT_TRUE(ok) << path.toStdString() << " declares no charset or does not decode";
        EXPECT_TRUE(QRegularExpression(QStringLiteral("<title>[^<]+</title>")).match(html).hasMatch())
            << path.toStdString();

        const QUrl base(QStringLiteral("chm:") + path);
        for (const QString& href : attributes(html, QStringLiteral("href"))) {
            const QString target = base.resolved(QUrl(href)).path();
            EXPECT_TRUE(archive.read(target).has_value()) << path.toStdString() << " -> " << href.toStdString();
            if (!seen.contains(target) && target.endsWith(QLatin1String(".htm"))) {
                seen.insert(target);
                pending.push_back(target);
            }
        }
        for (const QString& src : attributes(html, QStringLiteral("src"))) {
            const QString target = base.resolved(QUrl(src)).path();
            const auto image = archive.read(target);
            EXPECT_TRUE(image.has_value()) << path.toStdString() << " -> " << src.toStdString();
            pictures.insert(target);
        }
    }
    EXPECT_GE(seen.size(), 8);
    EXPECT_GE(pictures.size(), 2);

    // The contents file lists only topics that exist and are reachable.
    const auto contents = archive.read(QStringLiteral("/rur.hhc"));
    ASSERT_TRUE(contents.has_value());
    const QRegularExpression local(QStringLiteral("name=\"Local\" value=\"([^\"]+)\""));
    int listed = 0;
    for (auto it = local.globalMatch(QString::fromUtf8(*contents)); it.hasNext(); ++listed) {
        const QString topic = QLatin1Char('/') + it.next().captured(1);
        EXPECT_TRUE(seen.contains(topic)) << topic.toStdString();
    }
    EXPECT_EQ(listed, seen.size());
}

// The help speaks of the program's own captions and keys.
TEST_F(HelpFileContent, TopicsNameTheCommandsAndKeys)
{
    const ChmArchive archive(api_, kHelpFile);
    ASSERT_TRUE(archive.isOpen());
    QString all;
    for (const char* topic : {"ziridugaishu", "guize", "renji", "wangluo", "nandu", "cundang",
                              "qipan", "anjian"}) {
        const auto bytes = archive.read(QStringLiteral("/html/%1.htm").arg(QLatin1String(topic)));
        ASSERT_TRUE(bytes.has_value()) << topic;
        all += QString::fromUtf8(*bytes);
    }
    for (const char* text :
         {"玩家先行(<u>P</u>)", "电脑先行(<u>C</u>)", "初级(<u>E</u>)", "中级(<u>N</u>)",
          "高级(<u>H</u>)", "保存游戏(<u>S</u>)", "打开游戏(<u>O</u>)", "木制棋盘", "水晶棋盘",
          "大理石棋盘", "单机游戏", "网络对战", "结束游戏", "悔棋", "重来", "输入框：", ".rur",
          "15 × 15", "五个或更多", "和棋", "帮助主题", "关于(<u>A</u>)", "大师(<u>M</u>)",
          "显示手数(<u>S</u>)", "第 k / n 手", "第 8 行 第 8 列，黑子"}) {
        EXPECT_TRUE(all.contains(QString::fromUtf8(text))) << text;
    }
    for (const char* key : {"<td>F1</td>", "<td>F2</td>", "<td>F3</td>", "<td>F5</td>",
                            "<td>Alt+F4</td>"})
        EXPECT_TRUE(all.contains(QLatin1String(key))) << key;
    // The side buttons are named as their glyphs read, not as the menu items.
    for (const char* button : {"“打开”", "“保存”", "“悔棋”", "“重来”"})
        EXPECT_TRUE(all.contains(QString::fromUtf8(button))) << button;
    for (const char* menuName : {"“打开游戏”按钮", "“保存游戏”按钮", "“打开游戏”、"})
        EXPECT_FALSE(all.contains(QString::fromUtf8(menuName))) << menuName;
}

TEST_F(HelpFileContent, ArchiveRefusesBadFilesAndPaths)
{
    QTemporaryFile notChm;
    ASSERT_TRUE(notChm.open());
    notChm.write(QByteArray(4096, 'x'));
    notChm.flush();
    const ChmArchive garbage(api_, notChm.fileName());
    EXPECT_FALSE(garbage.isOpen());
    EXPECT_FALSE(garbage.read(QStringLiteral("/html/ziridugaishu.htm")).has_value());

    const ChmArchive missing(api_, QStringLiteral("/nonexistent/kivola/rur.chm"));
    EXPECT_FALSE(missing.isOpen());

    const ChmArchive archive(api_, kHelpFile);
    ASSERT_TRUE(archive.isOpen());
    EXPECT_FALSE(archive.read(QStringLiteral("html/ziridugaishu.htm")).has_value());
    EXPECT_FALSE(archive.read(QStringLiteral("/html/") + QString(600, QLatin1Char('a'))).has_value());
    EXPECT_FALSE(archive.read(QStringLiteral("/html/nosuch.htm")).has_value());
    const auto picture = archive.read(QStringLiteral("/images/wulian.png"));
    ASSERT_TRUE(picture.has_value());
    EXPECT_TRUE(picture->startsWith("\x89PNG"));

    // Entry points missing: the archive never opens and never calls them.
    const ChmArchive unusable(ChmEntryPoints{}, kHelpFile);
    EXPECT_FALSE(unusable.isOpen());
    EXPECT_FALSE(unusable.read(QStringLiteral("/html/ziridugaishu.htm")).has_value());
}

TEST_F(HelpFileContent, DefaultTopicIsTheOverview)
{
    const ChmArchive archive(api_, kHelpFile);
    ASSERT_TRUE(archive.isOpen());
    EXPECT_EQ(archive.defaultTopic(), QStringLiteral("/html/ziridugaishu.htm"));
}

namespace {

QByteArray record(quint16 code, const QByteArray& data, int declaredLength = -1)
{
    const quint16 length = declaredLength < 0 ? quint16(data.size()) : quint16(declaredLength);
    QByteArray bytes;
    bytes.append(char(code & 0xff)).append(char(code >> 8));
    bytes.append(char(length & 0xff)).append(char(length >> 8));
    return bytes + data;
}

const QByteArray kVersion("\x03\x00\x00\x00", 4);

} // namespace

// The record list comes from the file; lengths that overrun it must not be followed.
TEST(DefaultTopicFromSystem, ReadsOnlyWithinTheRecords)
{
    using kivola::defaultTopicFromSystem;
    EXPECT_EQ(defaultTopicFromSystem(kVersion + record(9, "tool") + record(2, QByteArray("a/b.htm\0", 8))),
              QStringLiteral("/a/b.htm"));
    EXPECT_EQ(defaultTopicFromSystem(kVersion + record(2, "/x.htm")), QStringLiteral("/x.htm"));
    EXPECT_EQ(defaultTopicFromSystem(kVersion + record(3, "title")), QString());
    EXPECT_EQ(defaultTopicFromSystem({}), QString());
    EXPECT_EQ(defaultTopicFromSystem(kVersion + record(2, QByteArray("\0", 1))), QString());
    // A record that claims more bytes than there are ends the search.
    EXPECT_EQ(defaultTopicFromSystem(kVersion + record(2, "short", 200)), QString());
    EXPECT_EQ(defaultTopicFromSystem(kVersion + record(9, "ab", 0xffff) + record(2, "c.htm")),
              QString());
    // A header cut off mid-way.
    EXPECT_EQ(defaultTopicFromSystem(kVersion + QByteArray("\x02\x00\x05", 3)), QString());
}
