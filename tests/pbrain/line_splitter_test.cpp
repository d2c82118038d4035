// Line ends from managers on any platform: CR LF, LF and CR, also when a read splits them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kivola/pbrain/line_splitter.h"

namespace kivola {
namespace {

using Lines = std::vector<std::string>;

Lines splitAll(std::initializer_list<std::string_view> chunks) {
    LineSplitter splitter;
    std::vector<InputLine> lines;
    for (std::string_view chunk : chunks) {
        splitter.feed(chunk, lines);
    }
    InputLine last;
    if (splitter.finish(last)) {
        lines.push_back(last);
    }
    Lines texts;
    for (const InputLine& line : lines) {
        texts.push_back(line.text);
    }
    return texts;
}

TEST(LineSplitter, everyLineEndCountsOnceEvenWhenSplitAcrossReads) {
    EXPECT_EQ(splitAll({"A\r\nB\nC\rD\n"}), (Lines{"A", "B", "C", "D"}));
    EXPECT_EQ(splitAll({"TURN 1,2\r", "\nTURN 3,4\r", "\n"}), (Lines{"TURN 1,2", "TURN 3,4"}));
    EXPECT_EQ(splitAll({"A\r\rB\n\n"}), (Lines{"A", "", "B", ""})) << "real empty lines stay, for the reader to skip";
    EXPECT_EQ(splitAll({"T", "URN 1,2", "\r\n", "END"}), (Lines{"TURN 1,2", "END"})) << "a last line without end";
}

TEST(LineSplitter, overlongLineIsCutAndMarkedAndTheNextOneIsWhole) {
    LineSplitter splitter;
    std::vector<InputLine> lines;
    splitter.feed(std::string(LineSplitter::kMaxLineLength, 'y') + "\n", lines);
    splitter.feed(std::string(3 * LineSplitter::kMaxLineLength, 'x'), lines);
    splitter.feed("\r\nBEGIN\r\n", lines);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_FALSE(lines[0].tooLong) << "exactly the limit is still whole";
    EXPECT_TRUE(lines[1].tooLong);
    EXPECT_EQ(lines[1].text.size(), LineSplitter::kMaxLineLength);
    EXPECT_FALSE(lines[2].tooLong);
    EXPECT_EQ(lines[2].text, "BEGIN");
}

} // namespace
} // namespace kivola
