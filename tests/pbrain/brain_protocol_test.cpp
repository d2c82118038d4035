// The protocol class fed line by line: the position it keeps, the search it asks for, and that
// every refusal leaves the engine as it was.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kivola/opponent/search_progress.h"
#include "kivola/pbrain/brain_protocol.h"

namespace kivola {
namespace {

using Answers = std::vector<std::string>;

// A stone as the manager lists it: 0-based, field 1 the engine's, 2 the opponent's, 3 a stone of
// a finished line in a continuous game.
struct Listed {
    int x;
    int y;
    int field;
};

std::string listedLine(const Listed& s) {
    return std::to_string(s.x) + "," + std::to_string(s.y) + "," + std::to_string(s.field);
}

bool isMove(const std::string& answer) {
    int x = -1;
    int y = -1;
    char end = 0;
    return std::sscanf(answer.c_str(), "%d,%d%c", &x, &y, &end) == 2 && x >= 0 && x < kBoardSize && y >= 0 &&
           y < kBoardSize;
}

BrainPosition positionOf(const std::vector<Listed>& stones) {
    BrainPosition position;
    for (const Listed& s : stones) {
        if (s.field == 3) {
            position.board[s.x + 1][s.y + 1] = kBlockerCode;
        } else {
            position.board[s.x + 1][s.y + 1] = s.field == 1 ? kOtherStone : kLocalStone;
            position.stones.push_back(BoardPoint{s.x + 1, s.y + 1});
        }
    }
    return position;
}

bool samePosition(const BrainPosition& a, const BrainPosition& b) {
    if (a.board != b.board || a.stones.size() != b.stones.size()) {
        return false;
    }
    for (std::size_t k = 0; k < a.stones.size(); ++k) {
        if (a.stones[k].x != b.stones[k].x || a.stones[k].y != b.stones[k].y) {
            return false;
        }
    }
    return true;
}

class BrainProtocolTest : public ::testing::Test {
protected:
    std::string one(std::string_view line) {
        const Answers answers = brain.handleLine(line);
        EXPECT_EQ(answers.size(), 1u) << line;
        return answers.empty() ? std::string{} : answers.front();
    }
    void expectError(std::string_view line) { EXPECT_EQ(one(line).rfind("ERROR ", 0), 0u) << line; }
    // Each refused line must leave the position untouched.
    void expectRefusedUnchanged(std::initializer_list<std::string_view> lines) {
        const BrainPosition before = brain.position();
        for (std::string_view line : lines) {
            expectError(line);
            EXPECT_TRUE(samePosition(brain.position(), before)) << line;
        }
    }
    void sendBoard(const std::vector<Listed>& stones) {
        EXPECT_TRUE(brain.handleLine("BOARD").empty());
        for (const Listed& s : stones) {
            EXPECT_TRUE(brain.handleLine(listedLine(s)).empty()) << "BOARD lines are not answered";
        }
    }
    std::int32_t cell(int x, int y) const { return brain.position().board[x + 1][y + 1]; }
    // A block that ABOUT interrupts before DONE: the block's answer first, then ABOUT's.
    void expectCutShort(std::string_view header, std::string_view blockAnswer) {
        brain.handleLine(header);
        brain.handleLine("2,2,2");
        const Answers answers = brain.handleLine("ABOUT");
        ASSERT_EQ(answers.size(), 2u) << header;
        EXPECT_EQ(answers[0].rfind(blockAnswer, 0), 0u) << header;
        EXPECT_EQ(answers[1], BrainProtocol::aboutText()) << header;
    }

    SeededRandom random{20240611};
    // The fixed-depth levels' answers are repeatable; the master's depend on the clock.
    BrainProtocol brain{random, kAdvancedDepth};
};

TEST_F(BrainProtocolTest, startAcceptsFiveToTwentyAndMovesWaitForIt) {
    for (const char* line : {"BEGIN", "TURN 7,7", "RESTART", "TAKEBACK 7,7", "PLAY 7,7"}) {
        expectError(line);
    }
    for (const char* line : {"START 21", "START 4", "START", "START 15x", "START 99999999999999999999",
                             "RECTSTART 15,21", "RECTSTART 0,15"}) {
        expectError(line);
    }
    EXPECT_EQ(one("RECTSTART 15,15"), "OK");
    EXPECT_EQ(one("start 15"), "OK");
    EXPECT_EQ(one("BEGIN"), "7,7");
    EXPECT_EQ(cell(7, 7), kOtherStone) << "the engine is the computer, code 2";
}

TEST_F(BrainProtocolTest, turnMapsZeroBasedPointsAndRecordsStonesInOrder) {
    one("START 15");
    const std::string answer = one("  turn  0 , 14 ");
    ASSERT_TRUE(isMove(answer)) << answer;
    EXPECT_EQ(brain.position().board[1][15], kLocalStone) << "0-based x,y is point (x + 1, y + 1)";
    const auto& stones = brain.position().stones;
    ASSERT_EQ(stones.size(), 2u);
    EXPECT_EQ(stones[0].x * 100 + stones[0].y, 115);
    EXPECT_EQ(std::to_string(stones[1].x - 1) + "," + std::to_string(stones[1].y - 1), answer);
    EXPECT_EQ(brain.position().board[stones[1].x][stones[1].y], kOtherStone);
}

TEST_F(BrainProtocolTest, badTurnsAndTakeBacksChangeNothing) {
    one("START 15");
    one("TURN 7,7");
    expectRefusedUnchanged({"TURN 15,0", "TURN 0,15", "TURN -1,3", "TURN 7", "TURN 7,7,7", "TURN a,b", "TURN 7;7",
                            "TURN", "TURN 99999999999999999999,1", "TURN 7,7", "TAKEBACK 1,13", "TAKEBACK 15,15",
                            "TAKEBACK x", "PLAY 7,7", "PLAY 2,15", "DONE", "RESTART now"});
    EXPECT_TRUE(brain.handleLine("TURN 1,13", true).size() == 1) << "a cut line is answered";
    EXPECT_EQ(cell(1, 13), kEmpty) << "and not obeyed";
    EXPECT_TRUE(isMove(one("TURN 1,13")));
}

TEST_F(BrainProtocolTest, unknownCommandsAreAnsweredWithATameEcho) {
    const std::string answer = one("FROBNICATE\x01\x7f" + std::string(500, 'z'));
    EXPECT_EQ(answer.rfind("UNKNOWN ", 0), 0u) << answer;
    EXPECT_LT(answer.size(), 100u) << "a long command is not echoed in full";
    for (char c : answer) {
        EXPECT_TRUE(c >= 0x20 && c != 0x7f) << "no control character goes back to the manager";
    }
    EXPECT_TRUE(brain.handleLine(" \t ").empty()) << "blank lines are ignored";
}

TEST_F(BrainProtocolTest, boardMapsFieldsKeepsTheOrderAndReplacesThePosition) {
    one("START 15");
    one("TURN 1,1");
    const std::vector<Listed> listed{{5, 5, 2}, {6, 6, 1}, {9, 9, 3}, {5, 6, 2}, {6, 5, 1}};
    sendBoard(listed);
    const std::string answer = one("DONE");
    ASSERT_TRUE(isMove(answer));
    BrainPosition expected = positionOf(listed);
    const BoardPoint played = brain.position().stones.back();
    expected.board[played.x][played.y] = kOtherStone;
    expected.stones.push_back(played);
    EXPECT_TRUE(samePosition(brain.position(), expected)) << "field 1 is code 2, field 2 code 1, 3 a blocker";
    EXPECT_EQ(cell(1, 1), kEmpty);
}

TEST_F(BrainProtocolTest, faultyOrUnfinishedBoardsKeepThePosition) {
    one("START 15");
    one("TURN 7,7");
    const BrainPosition before = brain.position();
    const std::vector<std::vector<std::string>> faulty{{"3,3,2", "15,3,1"}, {"3,-1,1"}, {"3,3,2", "3,3,1"},
                                                       {"3,3,4"},          {"3,3"},     {"3,3,1,1"},
                                                       {"3,3,x"},          {"3 3 1"}};
    for (const auto& lines : faulty) {
        brain.handleLine("BOARD");
        for (const std::string& line : lines) {
            EXPECT_TRUE(brain.handleLine(line).empty()) << "the fault waits for DONE: " << line;
        }
        expectError("DONE");
        EXPECT_TRUE(samePosition(brain.position(), before)) << lines.back();
    }
    brain.handleLine("BOARD");
    brain.handleLine("1,1,1", true);
    expectError("DONE");
    // Interrupted by another command: refused, and the command still runs.
    expectCutShort("BOARD", "ERROR ");
    EXPECT_TRUE(samePosition(brain.position(), before));
}

TEST_F(BrainProtocolTest, lastEmptyPointIsPlayedAndAFullBoardIsRefused) {
    one("START 15");
    std::vector<Listed> all;
    for (int x = 0; x < kBoardSize; ++x) {
        for (int y = 0; y < kBoardSize; ++y) {
            all.push_back(Listed{x, y, (x / 2 + y) % 2 + 1});
        }
    }
    sendBoard(all);
    expectError("DONE");
    EXPECT_TRUE(brain.position().stones.empty()) << "the refused full board was not kept";
    all.erase(all.begin() + 4 * kBoardSize + 11);
    sendBoard(all);
    EXPECT_EQ(one("DONE"), "4,11") << "one empty point left: it must be the answer";
    expectRefusedUnchanged({"BEGIN", "TURN 4,11"});
    EXPECT_EQ(one("TAKEBACK 4,11"), "OK");
    EXPECT_EQ(cell(4, 11), kEmpty);
    EXPECT_EQ(brain.position().stones.size(), all.size());
    EXPECT_EQ(one("BEGIN"), "4,11");
}

// Whatever the rule, a field-3 point is taken: never answered, and a stone of neither side.
TEST_F(BrainProtocolTest, finishedLinesOfContinuousGamesAreNeverPlayed) {
    one("START 15");
    brain.handleLine("INFO rule 2");
    std::vector<Listed> blocked;
    std::vector<Listed> mixed;
    for (int x = 0; x < kBoardSize; ++x) {
        for (int y = 0; y < kBoardSize; ++y) {
            if (x != 14 || y != 14) {
                blocked.push_back(Listed{x, y, 3});
                // 14,14 lies out of reach of every stone: only the finished line is near it.
                mixed.push_back(Listed{x, y, x >= 12 && y >= 12 ? 3 : (x / 2 + y) % 2 + 1});
            }
        }
    }
    for (const auto* board : {&blocked, &mixed}) {
        sendBoard(*board);
        EXPECT_EQ(one("DONE"), "14,14") << "the one free point, with " << board->size() << " taken";
    }
    EXPECT_EQ(one("TAKEBACK 14,14"), "OK");
    expectRefusedUnchanged({"TURN 13,13", "PLAY 12,14"});
}

TEST_F(BrainProtocolTest, onlyFreestyleIsPlayed) {
    one("START 15");
    for (const char* rule : {"1", "4", "8", "5", "3", "16"}) {
        EXPECT_TRUE(brain.handleLine(std::string("INFO rule ") + rule).empty()) << "INFO is not answered";
        sendBoard({{1, 1, 2}});
        expectRefusedUnchanged({"DONE", "BEGIN", "TURN 7,7"});
    }
    EXPECT_TRUE(brain.position().stones.empty());
    brain.handleLine("INFO rule 2");
    EXPECT_TRUE(isMove(one("TURN 7,7"))) << "a continuous game still wins by five or more";
    brain.handleLine("INFO rule 0");
    EXPECT_TRUE(isMove(one("TURN 1,13")));
    // A rule that cannot be read is not answered either, and refused like an unknown one.
    for (const char* line : {"INFO rule", "INFO rule -1", "INFO rule renju"}) {
        EXPECT_TRUE(brain.handleLine(line).empty()) << line;
        expectRefusedUnchanged({"BEGIN", "BEGIN"});
    }
    EXPECT_EQ(brain.rule(), 0);
    brain.handleLine("INFO rule 0");
    EXPECT_TRUE(isMove(one("TURN 3,3")));
}

TEST_F(BrainProtocolTest, levelByDepthOrNameAndOtherInformationIgnored) {
    EXPECT_EQ(BrainProtocol(random).level(), kMasterLevel) << "a manager that names no level gets the strongest";
    const std::vector<std::pair<std::string, std::int32_t>> choices{
        {"INFO MAX_DEPTH 5", 5}, {"INFO MAX_DEPTH 9", 9},       {"INFO max_depth 1", 1},
        {"INFO level 高级", 9},  {"INFO level 中级", 5},        {"INFO level 初级", 1},
        {"INFO level Advanced", 9}, {"INFO LEVEL intermediate", 5}, {"INFO level BEGINNER", 1},
        {"INFO level 大师", kMasterLevel}, {"INFO level Master", kMasterLevel}, {"INFO level 初级", 1}};
    for (const auto& [line, depth] : choices) {
        EXPECT_TRUE(brain.handleLine(line).empty()) << line;
        EXPECT_EQ(brain.level(), depth) << line;
        EXPECT_EQ(brain.bonuses(), depth != kBeginnerDepth) << "bonuses follow the level as in the game";
    }
    brain.handleLine("INFO MAX_DEPTH 9");
    // A bad value is not answered; the next move request is refused for it, once.
    one("START 15");
    const std::vector<std::string> bad{"INFO MAX_DEPTH 3", "INFO MAX_DEPTH nine", "INFO level 特级", "INFO",
                                       "INFO rule " + std::string(5000, '0')};
    for (const std::string& line : bad) {
        EXPECT_TRUE(brain.handleLine(line, line.size() > 4096).empty()) << line;
        expectRefusedUnchanged({"BEGIN"});
        EXPECT_EQ(one("BEGIN"), "7,7") << line;
        one("RESTART");
    }
    for (const char* line : {"INFO timeout_turn 5000", "INFO timeout_match 180000", "INFO time_left 17000",
                             "INFO max_memory 83886080", "INFO game_type 1", "INFO folder /x", "INFO evaluate 3,4",
                             "INFO thread_num 4"}) {
        EXPECT_TRUE(brain.handleLine(line).empty()) << line;
    }
    EXPECT_EQ(brain.level(), kAdvancedDepth);
    // Settings outlive a new game.
    one("START 15");
    one("TURN 3,3");
    EXPECT_EQ(one("RESTART"), "OK");
    EXPECT_TRUE(brain.position().stones.empty());
    EXPECT_EQ(brain.level(), kAdvancedDepth);
}

// The engine must hand the library the search the game does: board codes, stones in order, the
// level's depth and its bonus rule. Checked against a direct search with the same seed.
TEST(BrainProtocolSearch, answersWhatTheOpponentAnswersAtEveryLevel) {
    SeededRandom shuffle(99);
    for (int game = 0; game < 12; ++game) {
        std::vector<Listed> listed;
        WorkBoard taken = emptyWorkBoard();
        const std::size_t count = 7 + shuffle.next64() % 20;
        // Some games have points of finished lines among the stones.
        const std::size_t blockers = game % 3 == 0 ? 0 : 4;
        while (listed.size() < count + blockers) {
            const int x = 3 + static_cast<int>(shuffle.next64() % 9);
            const int y = 3 + static_cast<int>(shuffle.next64() % 9);
            if (taken[x + 1][y + 1] == kEmpty) {
                taken[x + 1][y + 1] = 1;
                listed.push_back(Listed{x, y, listed.size() >= count ? 3 : (listed.size() % 2 == 0 ? 2 : 1)});
            }
        }
        for (std::int32_t depth : {kBeginnerDepth, kIntermediateDepth, kAdvancedDepth}) {
            SeededRandom brainRandom(1000 + game);
            BrainProtocol brain(brainRandom);
            brain.handleLine("START 15");
            brain.handleLine("INFO MAX_DEPTH " + std::to_string(depth));
            brain.handleLine("BOARD");
            for (const Listed& s : listed) {
                brain.handleLine(listedLine(s));
            }
            const Answers answers = brain.handleLine("DONE");

            const BrainPosition position = positionOf(listed);
            Opponent opponent;
            opponent.setSearchDepth(depth);
            SeededRandom directRandom(1000 + game);
            QuietProgress progress;
            int x = 0;
            int y = 0;
            ASSERT_TRUE(opponent.FindComputerMove(position.workBoard(), position.stones, depth != kBeginnerDepth,
                                                  progress, directRandom, x, y));
            EXPECT_EQ(answers, Answers{std::to_string(x - 1) + "," + std::to_string(y - 1)})
                << "game " << game << ", depth " << depth;
        }
    }
}

TEST_F(BrainProtocolTest, blocksOfUnknownCommandsAreReadToDoneAndAnsweredOnce) {
    one("START 15");
    for (const char* header : {"SWAP2BOARD", "yxboard"}) {
        EXPECT_TRUE(brain.handleLine(header).empty()) << header;
        for (const char* line : {"7,7", "8,8", "7,8,1", "1 2 3"}) {
            EXPECT_TRUE(brain.handleLine(line).empty()) << header << ": " << line;
        }
        EXPECT_EQ(one("done").rfind("UNKNOWN ", 0), 0u) << header;
        EXPECT_TRUE(brain.position().stones.empty()) << header;
    }
    // Cut short by a command: the block's answer, then the command's.
    expectCutShort("SWAP2BOARD", "UNKNOWN ");
    expectError("DONE");
}

TEST(BrainProtocolLevels, everyLevelHasTwoNamesAndTheMasterIsTheDefault) {
    EXPECT_EQ(kDefaultLevel, kMasterLevel);
    for (std::int32_t level : {kBeginnerDepth, kIntermediateDepth, kAdvancedDepth, kMasterLevel}) {
        EXPECT_EQ(levelNamed(levelName(level)), level);
    }
    EXPECT_EQ(levelNamed("MASTER"), kMasterLevel);
    EXPECT_EQ(levelNamed("advanced"), kAdvancedDepth);
    EXPECT_FALSE(levelNamed("grandmaster"));
    EXPECT_FALSE(levelNamed(""));
}

TEST(BrainProtocolClock, theMasterKeepsInsideEveryLimitTheManagerSets) {
    using std::chrono::milliseconds;
    auto budget = [](std::optional<std::int64_t> turn, std::optional<std::int64_t> match,
                     std::optional<std::int64_t> left) { return masterBudget(TimeControl{turn, match, left}).count(); };
    EXPECT_EQ(masterBudget({}), milliseconds(920)) << "nothing told: about the game's second, less the margin";
    EXPECT_EQ(budget(5000, std::nullopt, std::nullopt), 4720);
    EXPECT_EQ(budget(5000, 0, 1000), 4720) << "a match without limit leaves the turn's";
    // Short of time in the match: a share of what is left, never the turn's whole limit.
    EXPECT_EQ(budget(5000, 180000, 50000), 1870);
    EXPECT_EQ(budget(5000, 180000, 2500), 65);
    EXPECT_EQ(budget(5000, 180000, 0), 5) << "the least that still gives an answer";
    EXPECT_EQ(budget(0, std::nullopt, std::nullopt), 5) << "0 asks for the fastest answer";
    EXPECT_LT(budget(std::int64_t{1} << 60, std::nullopt, std::nullopt), std::int64_t{1} << 40)
        << "a hostile limit is cut to a day";
}

// The master answers within a few tens of milliseconds here, whatever the machine does.
void fastMaster(BrainProtocol& brain) {
    brain.handleLine("INFO level master");
    brain.handleLine("INFO timeout_turn 80");
}

TEST_F(BrainProtocolTest, theMasterPlaysBoardsUpToTwentyAndTheFixedLevelsOnlyFifteen) {
    EXPECT_EQ(one("START 20"), "OK");
    fastMaster(brain);
    // The opponent's four at the far corner: only 19,15 stops it.
    sendBoard({{19, 19, 2}, {19, 18, 2}, {19, 17, 2}, {19, 16, 2}, {10, 10, 1}, {11, 12, 1}, {3, 3, 1}});
    EXPECT_EQ(one("DONE"), "19,15");
    int x = -1;
    int y = -1;
    EXPECT_EQ(std::sscanf(one("TURN 0,19").c_str(), "%d,%d", &x, &y), 2);
    EXPECT_TRUE(x >= 0 && x < 20 && y >= 0 && y < 20 && cell(x, y) == kOtherStone);
    brain.handleLine("INFO level 高级");
    expectRefusedUnchanged({"TURN 0,0", "BEGIN"});
    fastMaster(brain);
    EXPECT_EQ(one("RECTSTART 20,8"), "OK");
    expectRefusedUnchanged({"TURN 3,8", "TURN 20,0"}); // outside the 20x8 board
    // Its own four along the bottom row of a wide, low board, completed at the far end.
    sendBoard({{15, 7, 1}, {16, 7, 1}, {17, 7, 1}, {18, 7, 1}, {14, 7, 2}, {3, 3, 2}, {4, 4, 2}, {2, 2, 2}});
    EXPECT_EQ(one("DONE"), "19,7");
}

TEST_F(BrainProtocolTest, exactFiveIsPlayedByTheMasterAlone) {
    one("START 15");
    fastMaster(brain);
    // The engine's gap at 2,0 makes six: a win in freestyle, nothing under exact five, where
    // the opponent's four on row 2 must be stopped instead (it has two ends: the game is lost).
    const std::vector<Listed> overline{{0, 0, 1}, {1, 0, 1}, {3, 0, 1}, {4, 0, 1}, {5, 0, 1},
                                       {1, 2, 2}, {2, 2, 2}, {3, 2, 2}, {4, 2, 2}, {9, 9, 2}};
    sendBoard(overline);
    EXPECT_EQ(one("DONE"), "2,0");
    brain.handleLine("INFO rule 1");
    sendBoard(overline);
    const std::string block = one("DONE");
    EXPECT_TRUE(block == "0,2" || block == "5,2") << block;
    brain.handleLine("INFO rule 3");
    sendBoard(overline);
    EXPECT_NE(one("DONE"), "2,0") << "exact five in a continuous game likewise";
    brain.handleLine("INFO level 高级");
    sendBoard(overline);
    expectRefusedUnchanged({"DONE", "TURN 7,7"});
}

TEST_F(BrainProtocolTest, playAboutAndEnd) {
    one("START 15");
    EXPECT_EQ(one("PLAY 2,3"), "2,3");
    EXPECT_EQ(cell(2, 3), kOtherStone);
    const std::string about = one("ABOUT");
    for (const char* field : {"name=\"pbrain-kivola\"", "version=\"", "author=\"", "country=\""}) {
        EXPECT_NE(about.find(field), std::string::npos) << field;
    }
    EXPECT_TRUE(brain.handleLine("END").empty());
    EXPECT_TRUE(brain.ended());
    EXPECT_TRUE(brain.handleLine("ABOUT").empty()) << "nothing is answered after END";
}

} // namespace
} // namespace kivola
