#include "help_browser.h"
#include "help_window.h"
#include "html_help.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <dlfcn.h>

#include <optional>
#include <stdexcept>
#include <string>

using kivola::HelpBrowser;
using kivola::HelpWindow;
using kivola::HtmlHelpControl;

namespace {

const QString kHelpFile = QStringLiteral(KIVOLA_TEST_HELP_FILE);
const QString kOverview = QStringLiteral("/html/ziridugaishu.htm");
constexpr const char* kChmLib = "libchm.so.1";

QString topicOf(const QString& chm, const QString& topic = kOverview)
{
    return chm + QStringLiteral("::") + topic;
}

// True while chmlib is mapped into the process; after a balanced release it is gone.
bool chmLibResident()
{
    void* handle = dlopen(kChmLib, RTLD_LAZY | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

int visibleTopLevels()
{
    int count = 0;
    for (const QWidget* w : QApplication::topLevelWidgets())
        count += w->isVisible() ? 1 : 0;
    return count;
}

std::string errorOf(HtmlHelpControl& control, const QString& file)
{
    try {
        control.CallHtmlHelp(nullptr, file, HtmlHelpControl::HH_DISPLAY_TOPIC, 0);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "(no error)";
}

HelpBrowser* browserOf(QWidget* window)
{
    auto* help = qobject_cast<HelpWindow*>(window);
    return help ? help->browser() : nullptr;
}

// Where the anchor with this href is drawn, in viewport coordinates.
std::optional<QPoint> anchorPoint(HelpBrowser* browser, const QString& href)
{
    const QTextDocument* doc = browser->document();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isAnchor() || fragment.charFormat().anchorHref() != href
                || fragment.length() < 3)
                continue;
            QTextCursor cursor(browser->document());
            cursor.setPosition(fragment.position() + 1);
            browser->setTextCursor(cursor);
            browser->ensureCursorVisible();
            const QRect caret = browser->cursorRect(cursor);
            return QPoint(caret.center().x() + 4, caret.center().y());
        }
    }
    return std::nullopt;
}

} // namespace

// Pressing F1 twice must neither load the library twice nor open a second window.
TEST(HtmlHelpControl, SecondRequestReusesLibraryAndWindowOnSameTopic)
{
    ASSERT_TRUE(QFile::exists(kHelpFile)) << kHelpFile.toStdString(); // the build made it
    ASSERT_FALSE(chmLibResident());
    {
        HtmlHelpControl control;
        EXPECT_EQ(control.helpLibrary(), nullptr);

        QWidget* first = control.CallHtmlHelp(nullptr, topicOf(kHelpFile),
                                              HtmlHelpControl::HH_DISPLAY_TOPIC, 0);
        void* library = control.helpLibrary();
        ASSERT_NE(library, nullptr);
        ASSERT_NE(first, nullptr);
        EXPECT_TRUE(first->isVisible());
        EXPECT_TRUE(first->isWindow());
        EXPECT_EQ(first->parentWidget(), nullptr);
        EXPECT_EQ(first->windowTitle(), QStringLiteral("Kivola 帮助"));
        HelpBrowser* browser = browserOf(first);
        ASSERT_NE(browser, nullptr);
        EXPECT_EQ(browser->source().path(), kOverview);
        EXPECT_EQ(browser->documentTitle(), QStringLiteral("Kivola 五子棋概述"));
        EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("15 × 15")));

        // The user wanders off to another topic and closes the window before pressing F1 again.
        browser->setSource(browser->source().resolved(QUrl(QStringLiteral("nandu.htm"))));
        EXPECT_EQ(browser->source().path(), QStringLiteral("/html/nandu.htm"));
        first->close();
        const int shown = visibleTopLevels();

        QWidget* second = control.CallHtmlHelp(nullptr, topicOf(kHelpFile),
                                               HtmlHelpControl::HH_DISPLAY_TOPIC, 0);
        EXPECT_EQ(second, first);
        EXPECT_EQ(control.helpLibrary(), library);
        EXPECT_TRUE(second->isVisible());
        EXPECT_EQ(visibleTopLevels(), shown + 1);
        EXPECT_EQ(browser->source().path(), kOverview);
        EXPECT_EQ(browser->documentTitle(), QStringLiteral("Kivola 五子棋概述"));

        control.ReleaseHtmlHelp();
    }
    // One dlopen balanced by one dlclose: the library is gone again.
    EXPECT_FALSE(chmLibResident());
}

TEST(HtmlHelpControl, MissingLibraryThrowsShowsNothingAndIsTriedAgain)
{
    HtmlHelpControl control("libkivola-no-such-help.so.9");
    const int shown = visibleTopLevels();
    const std::string expected = std::string("Help system not installed!") + char(13)
        + " HTMLHELP cannot displayed!";

    EXPECT_EQ(errorOf(control, topicOf(kHelpFile)), expected);
    EXPECT_EQ(control.helpLibrary(), nullptr);
    EXPECT_EQ(control.helpWindow(), nullptr);
    EXPECT_EQ(visibleTopLevels(), shown);

    EXPECT_EQ(errorOf(control, topicOf(kHelpFile)), expected);
    EXPECT_EQ(control.helpLibrary(), nullptr);

    // Once the library can be found, the next request loads it.
    control.setLibraryName(kChmLib);
    QWidget* window = control.CallHtmlHelp(nullptr, topicOf(kHelpFile),
                                           HtmlHelpControl::HH_DISPLAY_TOPIC, 0);
    EXPECT_NE(control.helpLibrary(), nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(browserOf(window)->source().path(), kOverview);
}

// A library that loads but lacks the entry points: refused, and nothing of it is ever called.
TEST(HtmlHelpControl, LibraryWithoutEntryPointsIsRefused)
{
    const char* const other = "libz.so.1";
    void* probe = dlopen(other, RTLD_NOW);
    ASSERT_NE(probe, nullptr) << "the test needs " << other;
    ASSERT_EQ(dlsym(probe, "chm_open"), nullptr);
    dlclose(probe);

    HtmlHelpControl control(other);
    const int shown = visibleTopLevels();
    EXPECT_EQ(errorOf(control, topicOf(kHelpFile)), "Function HTMLHELP cannot loaded!");
    EXPECT_EQ(control.helpLibrary(), nullptr);
    EXPECT_EQ(control.helpWindow(), nullptr);
    EXPECT_EQ(visibleTopLevels(), shown);

    control.ReleaseHtmlHelp();
    EXPECT_EQ(control.helpLibrary(), nullptr);
    EXPECT_EQ(errorOf(control, topicOf(kHelpFile)), "Function HTMLHELP cannot loaded!");

    control.setLibraryName(kChmLib);
    EXPECT_NE(control.CallHtmlHelp(nullptr, topicOf(kHelpFile),
                                   HtmlHelpControl::HH_DISPLAY_TOPIC, 0),
              nullptr);
}

TEST(HtmlHelpControl, ReleaseOnlyWhenLoadedAndOnlyOnce)
{
    ASSERT_FALSE(chmLibResident());
    HtmlHelpControl control;
    control.ReleaseHtmlHelp(); // never requested: nothing to do
    EXPECT_EQ(control.helpLibrary(), nullptr);
    EXPECT_FALSE(chmLibResident());

    control.CallHtmlHelp(nullptr, topicOf(kHelpFile), HtmlHelpControl::HH_DISPLAY_TOPIC, 0);
    ASSERT_TRUE(chmLibResident());
    QPointer<HelpWindow> window = control.helpWindow();
    ASSERT_FALSE(window.isNull());

    control.ReleaseHtmlHelp();
    EXPECT_EQ(control.helpLibrary(), nullptr);
    EXPECT_TRUE(window.isNull()) << "the help window must go before the library it reads with";
    EXPECT_FALSE(chmLibResident());

    control.ReleaseHtmlHelp();
    EXPECT_EQ(control.helpLibrary(), nullptr);

    // A request after the release loads everything afresh.
    QWidget* again = control.CallHtmlHelp(nullptr, topicOf(kHelpFile),
                                          HtmlHelpControl::HH_DISPLAY_TOPIC, 0);
    EXPECT_NE(control.helpLibrary(), nullptr);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(browserOf(again)->documentTitle(), QStringLiteral("Kivola 五子棋概述"));
}

TEST(HtmlHelpControl, DestructionReleasesTheLibrary)
{
    {
        HtmlHelpControl control;
        control.CallHtmlHelp(nullptr, topicOf(kHelpFile), HtmlHelpControl::HH_DISPLAY_TOPIC, 0);
        ASSERT_TRUE(chmLibResident());
    }
    EXPECT_FALSE(chmLibResident());
}

// The file is not checked before the display call; the window says what is missing, and a
// file put in place later is found at the next request.
TEST(HtmlHelpControl, MissingHelpFileShowsClearLineAndIsLookedForAgain)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString chm = dir.filePath(QStringLiteral("rur.chm"));

    HtmlHelpControl control;
    QWidget* window = nullptr;
    ASSERT_NO_THROW(window = control.CallHtmlHelp(nullptr, topicOf(chm),
                                                  HtmlHelpControl::HH_DISPLAY_TOPIC, 0));
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(browserOf(window)->toPlainText().contains(QStringLiteral("找不到帮助文件 rur.chm")));

    ASSERT_TRUE(QFile::copy(kHelpFile, chm));
    control.CallHtmlHelp(nullptr, topicOf(chm), HtmlHelpControl::HH_DISPLAY_TOPIC, 0);
    HelpBrowser* browser = browserOf(window);
    EXPECT_EQ(browser->documentTitle(), QStringLiteral("Kivola 五子棋概述"));
    EXPECT_FALSE(browser->toPlainText().contains(QStringLiteral("找不到")));
    EXPECT_FALSE(browser->isBackwardAvailable()) << "the error page must not stay in the history";
}

TEST(HtmlHelpControl, MissingTopicShowsClearLine)
{
    HtmlHelpControl control;
    QWidget* window = control.CallHtmlHelp(nullptr, topicOf(kHelpFile, "/html/nosuch.htm"),
                                           HtmlHelpControl::HH_DISPLAY_TOPIC, 0);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(browserOf(window)->toPlainText().contains(
        QStringLiteral("找不到帮助主题 /html/nosuch.htm")));
}

TEST(HtmlHelpControl, OtherCommandsShowNothing)
{
    HtmlHelpControl control;
    EXPECT_EQ(control.CallHtmlHelp(nullptr, topicOf(kHelpFile), 12345, 0), nullptr);
    EXPECT_NE(control.helpLibrary(), nullptr) << "any request loads the library";
    EXPECT_EQ(control.helpWindow(), nullptr);
}

TEST(HelpWindow, ClickedLinkOpensOtherTopicAndHistoryWorks)
{
    HtmlHelpControl control;
    QWidget* window = control.CallHtmlHelp(nullptr, topicOf(kHelpFile),
                                           HtmlHelpControl::HH_DISPLAY_TOPIC, 0);
    ASSERT_NE(window, nullptr);
    HelpBrowser* browser = browserOf(window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));

    const auto point = anchorPoint(browser, QStringLiteral("guize.htm"));
    ASSERT_TRUE(point.has_value());
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, *point);

    EXPECT_EQ(browser->source().path(), QStringLiteral("/html/guize.htm"));
    EXPECT_EQ(browser->documentTitle(), QStringLiteral("五子棋规则"));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("和棋")));

    auto* back = window->findChild<QAction*>(QStringLiteral("helpBack"));
    auto* forward = window->findChild<QAction*>(QStringLiteral("helpForward"));
    auto* home = window->findChild<QAction*>(QStringLiteral("helpHome"));
    ASSERT_TRUE(back && forward && home);
    EXPECT_TRUE(back->isEnabled());
    EXPECT_FALSE(forward->isEnabled());

    back->trigger();
    EXPECT_EQ(browser->source().path(), kOverview);
    EXPECT_TRUE(forward->isEnabled());
    forward->trigger();
    EXPECT_EQ(browser->source().path(), QStringLiteral("/html/guize.htm"));
    home->trigger();
    EXPECT_EQ(browser->source().path(), kOverview);
}

TEST(HelpWindow, PicturesResolveInsideTheHelpFile)
{
    HtmlHelpControl control;
    HelpBrowser* browser = browserOf(control.CallHtmlHelp(nullptr, topicOf(kHelpFile),
                                                          HtmlHelpControl::HH_DISPLAY_TOPIC, 0));
    ASSERT_NE(browser, nullptr);

    const QVariant picture =
        browser->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("../images/wulian.png")));
    ASSERT_EQ(picture.userType(), QMetaType::QImage);
    EXPECT_FALSE(picture.value<QImage>().isNull());
    EXPECT_EQ(picture.value<QImage>().size(), QSize(190, 190));

    // Every picture the page itself refers to was found by the document.
    const auto checkPagePictures = [&](int expectedAtLeast) {
        int pictures = 0;
        const QTextDocument* doc = browser->document();
        for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat format = it.fragment().charFormat();
                if (!format.isImageFormat())
                    continue;
                const QString name = format.toImageFormat().name();
                const QVariant image = doc->resource(QTextDocument::ImageResource, QUrl(name));
                EXPECT_TRUE(image.isValid()) << name.toStdString();
                ++pictures;
            }
        }
        EXPECT_GE(pictures, expectedAtLeast);
    };
    checkPagePictures(1);

    // The picture of another topic, reached through a link.
    browser->setSource(browser->source().resolved(QUrl(QStringLiteral("guize.htm"))));
    ASSERT_EQ(browser->source().path(), QStringLiteral("/html/guize.htm"));
    checkPagePictures(1);

    EXPECT_FALSE(browser->loadResource(QTextDocument::ImageResource,
                                       QUrl(QStringLiteral("../images/nosuch.png")))
                     .isValid());
}

// Topics may declare GB2312 instead of UTF-8; the declared charset decides the decoding.
TEST(HelpWindow, TopicDeclaringGb2312IsDecoded)
{
    HtmlHelpControl control;
    HelpBrowser* browser = browserOf(control.CallHtmlHelp(
        nullptr, topicOf(QStringLiteral(KIVOLA_TEST_GB2312_FILE), QStringLiteral("/gb2312.htm")),
        HtmlHelpControl::HH_DISPLAY_TOPIC, 0));
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->documentTitle(), QStringLiteral("国标编码"));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("五子棋：连成五子者胜。")));
}

TEST(HtmlHelpControl, FileWithoutTopicShowsItsFirstPage)
{
    HtmlHelpControl control;
    HelpBrowser* browser = browserOf(
        control.CallHtmlHelp(nullptr, kHelpFile, HtmlHelpControl::HH_DISPLAY_TOPIC, 0));
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->source().path(), kOverview);
}
