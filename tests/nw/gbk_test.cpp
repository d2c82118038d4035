// GBK conversion through iconv: the texts that cross the library are GBK bytes.

#include <gtest/gtest.h>

#include "nw/gbk.h"

namespace nw {
namespace {

TEST(Gbk, chineseTextTravelsBothWays) {
    const auto gbk = utf8ToGbk("你好，世界");
    ASSERT_TRUE(gbk.has_value());
    EXPECT_EQ(*gbk, "\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7");
    EXPECT_EQ(gbkToUtf8(*gbk), std::optional<std::string>("你好，世界"));
    EXPECT_EQ(utf8ToGbk("plain ascii"), std::optional<std::string>("plain ascii"));
    EXPECT_EQ(utf8ToGbk(""), std::optional<std::string>(""));
}

TEST(Gbk, longTextCrossesTheConversionChunks) {
    std::string utf8;
    for (int i = 0; i < 500; ++i)
        utf8 += "棋";
    const auto gbk = utf8ToGbk(utf8);
    ASSERT_TRUE(gbk.has_value());
    EXPECT_EQ(gbk->size(), 1000u);
    EXPECT_EQ(gbkToUtf8(*gbk), std::optional<std::string>(utf8));
}

TEST(Gbk, invalidSequencesAreRefusedNotGuessed) {
    EXPECT_FALSE(gbkToUtf8("\xFF").has_value());
    EXPECT_FALSE(gbkToUtf8("ab\xC4").has_value()); // lead byte without its trail
    EXPECT_FALSE(gbkToUtf8("\x81\x20").has_value()); // trail byte out of range
    EXPECT_FALSE(utf8ToGbk("\xE4\xBD").has_value()); // broken UTF-8
    EXPECT_FALSE(utf8ToGbk("🙂").has_value());       // no GBK form
}

TEST(Gbk, plainTextHasNoControlCharacters) {
    EXPECT_TRUE(isPlainGbkText("\xC4\xE3\xBA\xC3 ok"));
    EXPECT_FALSE(isPlainGbkText(std::string("a\0b", 3)));
    EXPECT_FALSE(isPlainGbkText("tab\t"));
    EXPECT_FALSE(isPlainGbkText("\x7F"));
    EXPECT_FALSE(isPlainGbkText("\xC4"));
    EXPECT_TRUE(isPlainGbkText(""));
}

} // namespace
} // namespace nw
