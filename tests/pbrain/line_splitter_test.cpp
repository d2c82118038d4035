// Line ends from managers on any platform: CR LF, LF and CR, also when a read splits them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kivola/pbrain/line_splitter.h"

namespace kivola {
namespace {

std::vector<std::string> texts(const std::vector<InputLine>& lines) {
    std::vector<std::string> result;
    for (const InputLine& line : lines) {
        result.push_back(line.text);
    }
    return result;
}

std::vector<std::string> splitAll(std::initializer_list<std::string_view> chunks) {
    LineSplitter splitter;
    std::vector<InputLine> lines;
    for (std::string_view chunk : chunks) {
        splitter.feed(chunk, lines);
    }
    InputLine last;
    if (splitter.finish(last)) {
        lines.push_back(last);
    }
    return texts(lines);
}

TEST(LineSplitter, everyLineEndCountsOnce) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(splitAll({"START 15\r\nBEGIN\r\n"}), (Lines{"START 15", "BEGIN"}));
    EXPECT_EQ(splitAll({"START 15\nBEGIN\n"}), (Lines{"START 15", "BEGIN"}));
    EXPECT_EQ(splitAll({"START 15\rBEGIN\r"}), (Lines{"START 15", "BEGIN"}));
    EXPECT_EQ(splitAll({"A\r\nB\nC\rD\n"}), (Lines{"A", "B", "C", "D"}));
}

TEST(LineSplitter, crLfSplitAcrossReadsIsOneEnd) {
    // A pipe may deliver the CR and the LF of one end in different reads.
    using Lines = std::vector<std::string>;
    EXPECT_EQ(splitAll({"TURN 1,2\r", "\nTURN 3,4\r", "\n"}), (Lines{"TURN 1,2", "TURN 3,4"}));
    EXPECT_EQ(splitAll({"T", "URN 1", ",2", "\r", "\n", "END"}), (Lines{"TURN 1,2", "END"}));
}

TEST(LineSplitter, blankLinesAreKeptForTheReaderToSkip) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(splitAll({"A\r\rB\n\n"}), (Lines{"A", "", "B", ""}));
    EXPECT_EQ(splitAll({"A\n\r\nB"}), (Lines{"A", "", "B"}));
}

TEST(LineSplitter, lastLineWithoutEndComesFromFinish) {
    LineSplitter splitter;
    std::vector<InputLine> lines;
    splitter.feed("END", lines);
    EXPECT_TRUE(lines.empty());
    InputLine last;
    ASSERT_TRUE(splitter.finish(last));
    EXPECT_EQ(last.text, "END");
    EXPECT_FALSE(splitter.finish(last)) << "nothing is left after the last line";
}

TEST(LineSplitter, overlongLineIsCutAndMarkedAndTheNextOneIsWhole) {
    LineSplitter splitter;
    std::vector<InputLine> lines;
    const std::string huge(3 * LineSplitter::kMaxLineLength, 'x');
    splitter.feed(huge, lines);
    splitter.feed("\r\nBEGIN\r\n", lines);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].tooLong);
    EXPECT_EQ(lines[0].text.size(), LineSplitter::kMaxLineLength);
    EXPECT_FALSE(lines[1].tooLong);
    EXPECT_EQ(lines[1].text, "BEGIN");
}

TEST(LineSplitter, lineOfExactlyTheLimitIsNotMarked) {
    LineSplitter splitter;
    std::vector<InputLine> lines;
    splitter.feed(std::string(LineSplitter::kMaxLineLength, 'y') + "\n", lines);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_FALSE(lines[0].tooLong);
}

} // namespace
} // namespace kivola
