#pragma once
// The real main window in a network match against the recording library, as a player sees it.

#include <QLineEdit>
#include <QProgressBar>
#include <QTest>

#include "fake_net_library.h"
#include "nw/gbk.h"
#include "nw/nw_events.h"
#include "typing.h"
#include "window_fixture.h"

namespace kivola::test {

inline QByteArray gbk(const QString& text) {
    return QByteArray::fromStdString(nw::utf8ToGbk(text.toStdString()).value_or(std::string()));
}
inline QByteArray gbk(const char* utf8) { return gbk(QString::fromUtf8(utf8)); }
inline QString fromGbk(const QByteArray& gbk) {
    return QString::fromStdString(nw::gbkToUtf8(gbk.toStdString()).value_or(std::string()));
}
inline QString u(const char* utf8) { return QString::fromUtf8(utf8); }

class NetWindow : public WindowTest {
protected:
    NetWindow() { netLibrary = &library; }
    // Network play opened, the local player in localSeat of a game between 甲方 and 乙方.
    void openMatch(int localSeat = 1) {
        openNetworkPlay();
        library.gameBegin(localSeat, gbk("甲方"), gbk("乙方"));
    }
    void openNetworkPlay() {
        openWindow();
        ui().actNetWork->trigger();
        ASSERT_EQ(form1->match().netMode, 1);
    }
    int clientHeight() const { return form1->height() - form1->chromeHeight(); }
    // What a player can reach, as the enabling rules leave it after every handler.
    void expectMatchCommands() const {
        EXPECT_FALSE(ui().N3->isEnabled()) << "save";
        EXPECT_FALSE(ui().sbtnSaveGame->isEnabled());
        EXPECT_FALSE(ui().N4->isEnabled()) << "open";
        EXPECT_FALSE(ui().sbtnOpenGame->isEnabled());
        EXPECT_FALSE(ui().sbtnRegret->isEnabled()) << "take back";
        EXPECT_TRUE(ui().sbtnRestart->isEnabled());
        for (QAction* option : {ui().N15, ui().N16, ui().check1, ui().check2, ui().check3, ui().check4}) {
            EXPECT_FALSE(option->isEnabled()) << option->objectName().toStdString();
        }
        EXPECT_FALSE(ui().N13->isEnabled());
        EXPECT_TRUE(ui().N10->isEnabled());
    }
    void expectSingleMode() const {
        EXPECT_EQ(form1->match().netMode, 0);
        EXPECT_EQ(clientHeight(), 424);
        EXPECT_FALSE(ui().Edit1->isEnabled());
        EXPECT_TRUE(ui().guge1->isVisibleTo(form1.get()));
        EXPECT_FALSE(ui().N10->isEnabled());
        EXPECT_TRUE(ui().N13->isEnabled());
        EXPECT_TRUE(ui().N14->isEnabled());
        EXPECT_TRUE(ui().N4->isEnabled());
        for (QAction* option : {ui().N15, ui().N16, ui().check1, ui().check2, ui().check3, ui().check4}) {
            EXPECT_TRUE(option->isEnabled()) << option->objectName().toStdString();
        }
    }
    // Types into the chat box as a player would and presses Enter.
    void typeLine(const QString& text) {
        typeText(ui().Edit1, text);
        QTest::keyClick(ui().Edit1, Qt::Key_Return);
    }

    FakeNetLibrary library;
};

} // namespace kivola::test
