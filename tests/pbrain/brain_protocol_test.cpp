// The protocol class fed line by line: answers, the position it keeps, and that every refusal
// leaves the engine as it was and usable.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "kivola/opponent/search_progress.h"
#include "kivola/pbrain/brain_protocol.h"

namespace kivola {
namespace {

using Answers = std::vector<std::string>;

struct ProtocolPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ProtocolPoint&) const = default;
};

std::optional<ProtocolPoint> parseMove(const std::string& answer) {
    ProtocolPoint point;
    char comma = 0;
    char rest = 0;
    if (std::sscanf(answer.c_str(), "%d%c%d%c", &point.x, &comma, &point.y, &rest) != 3 || comma != ',') {
        return std::nullopt;
    }
    return point;
}

bool isError(const Answers& answers) { return answers.size() == 1 && answers[0].rfind("ERROR ", 0) == 0; }

// A stone as the manager names it: 0-based, field 1 the engine's, 2 the manager's opponent's.
struct ListedStone {
    int x;
    int y;
    int field;
};

class BrainProtocolTest : public ::testing::Test {
protected:
    Answers ask(std::string_view line) { return brain.handleLine(line); }

    std::string one(std::string_view line) {
        const Answers answers = ask(line);
        EXPECT_EQ(answers.size(), 1u) << "to " << line;
        return answers.empty() ? std::string{} : answers.front();
    }

    ProtocolPoint move(std::string_view line) {
        const std::string answer = one(line);
        const auto point = parseMove(answer);
        EXPECT_TRUE(point) << line << " was answered '" << answer << "'";
        return point.value_or(ProtocolPoint{-1, -1});
    }

    void expectError(std::string_view line) {
        const Answers answers = ask(line);
        EXPECT_TRUE(isError(answers)) << line << " was answered '" << (answers.empty() ? "" : answers[0]) << "'";
    }

    // Every line of the BOARD command but DONE, which the caller sends.
    void sendBoard(const std::vector<ListedStone>& stones) {
        EXPECT_TRUE(ask("BOARD").empty());
        for (const ListedStone& stone : stones) {
            const std::string line =
                std::to_string(stone.x) + "," + std::to_string(stone.y) + "," + std::to_string(stone.field);
            EXPECT_TRUE(ask(line).empty()) << "BOARD lines are not answered: " << line;
        }
    }

    std::int32_t cell(int protocolX, int protocolY) const { return brain.position().board[protocolX + 1][protocolY + 1]; }

    SeededRandom random{20240611};
    BrainProtocol brain{random};
};

// A position of the given stones in the given order; codes as on the game's board.
BrainPosition positionOf(const std::vector<ListedStone>& stones) {
    BrainPosition position;
    for (const ListedStone& stone : stones) {
        if (stone.field == 3) {
            continue;
        }
        position.board[stone.x + 1][stone.y + 1] = stone.field == 1 ? kOtherStone : kLocalStone;
        position.stones.push_back(BoardPoint{stone.x + 1, stone.y + 1});
    }
    return position;
}

void expectSamePosition(const BrainPosition& actual, const BrainPosition& expected) {
    EXPECT_EQ(actual.board, expected.board);
    ASSERT_EQ(actual.stones.size(), expected.stones.size());
    for (std::size_t k = 0; k < actual.stones.size(); ++k) {
        EXPECT_EQ(actual.stones[k].x, expected.stones[k].x) << "stone " << k;
        EXPECT_EQ(actual.stones[k].y, expected.stones[k].y) << "stone " << k;
    }
}

// Every point of the board listed once, the engine's and the opponent's stones mixed.
std::vector<ListedStone> wholeBoardBut(int skipX, int skipY) {
    std::vector<ListedStone> stones;
    for (int x = 0; x < kBoardSize; ++x) {
        for (int y = 0; y < kBoardSize; ++y) {
            if (x != skipX || y != skipY) {
                stones.push_back(ListedStone{x, y, (x / 2 + y) % 2 == 0 ? 1 : 2});
            }
        }
    }
    return stones;
}

TEST_F(BrainProtocolTest, startAcceptsOnlyTheGamesBoardSize) {
    EXPECT_EQ(one("START 15"), "OK");
    expectError("START 20");
    expectError("START 0");
    expectError("START");
    expectError("START 15x");
    expectError("START 99999999999999999999999");
    EXPECT_EQ(one("RECTSTART 15,15"), "OK");
    expectError("RECTSTART 15,20");
    expectError("RECTSTART 15");
    // A refused size keeps the board the engine had.
    EXPECT_EQ(move("BEGIN"), (ProtocolPoint{7, 7}));
}

TEST_F(BrainProtocolTest, movesNeedABoardFirst) {
    for (const char* line : {"BEGIN", "TURN 7,7", "RESTART", "TAKEBACK 7,7", "PLAY 7,7"}) {
        expectError(line);
    }
    sendBoard({{7, 7, 2}});
    expectError("DONE");
    EXPECT_EQ(one("START 15"), "OK");
    EXPECT_TRUE(brain.position().stones.empty());
}

TEST_F(BrainProtocolTest, beginOnAnEmptyBoardTakesTheCentreAsItsOwnStone) {
    one("START 15");
    EXPECT_EQ(move("BEGIN"), (ProtocolPoint{7, 7}));
    EXPECT_EQ(cell(7, 7), kOtherStone) << "the engine is the computer, code 2";
    EXPECT_EQ(brain.position().board[kCentre][kCentre], kOtherStone);
}

TEST_F(BrainProtocolTest, turnRecordsTheOpponentAtTheOneBasedPointAndAnswersAnEmptyOne) {
    one("START 15");
    const ProtocolPoint answer = move("TURN 0,14");
    EXPECT_EQ(brain.position().board[1][15], kLocalStone) << "0-based x,y is point (x + 1, y + 1)";
    ASSERT_NE(answer, (ProtocolPoint{0, 14}));
    EXPECT_EQ(cell(answer.x, answer.y), kOtherStone);
    ASSERT_EQ(brain.position().stones.size(), 2u);
    EXPECT_EQ(brain.position().stones[0].x, 1);
    EXPECT_EQ(brain.position().stones[0].y, 15);
    EXPECT_EQ(brain.position().stones[1].x, answer.x + 1);
    EXPECT_EQ(brain.position().stones[1].y, answer.y + 1);
}

TEST_F(BrainProtocolTest, commandsAreReadWithoutRegardToCaseOrSpacing) {
    EXPECT_EQ(one("start 15"), "OK");
    const ProtocolPoint first = move("  TuRn   3 , 4  ");
    EXPECT_EQ(cell(3, 4), kLocalStone);
    EXPECT_EQ(cell(first.x, first.y), kOtherStone);
    EXPECT_TRUE(ask("").empty());
    EXPECT_TRUE(ask(" \t ").empty());
}

TEST_F(BrainProtocolTest, badTurnsAreRefusedAndChangeNothing) {
    one("START 15");
    move("TURN 7,7");
    const BrainPosition before = brain.position();
    for (const char* line : {"TURN 15,0", "TURN 0,15", "TURN -1,3", "TURN 7", "TURN 7,7,7", "TURN a,b", "TURN 7;7",
                             "TURN ,", "TURN 99999999999999999999,1", "TURN 7,7", "TURN"}) {
        expectError(line);
        expectSamePosition(brain.position(), before);
    }
    // Still usable: a proper move is answered.
    move("TURN 0,0");
    EXPECT_EQ(brain.position().stones.size(), before.stones.size() + 2);
}

TEST_F(BrainProtocolTest, unknownCommandsAreAnsweredUnknownWithATameEcho) {
    one("START 15");
    const std::string answer = one("FROBNICATE\x01\x7f" + std::string(500, 'z'));
    EXPECT_EQ(answer.rfind("UNKNOWN ", 0), 0u) << answer;
    EXPECT_LT(answer.size(), 100u) << "a long command is not echoed in full";
    for (char c : answer) {
        EXPECT_GE(static_cast<unsigned char>(c), 0x20) << "no control character goes back to the manager";
        EXPECT_NE(c, '\x7f');
    }
    EXPECT_EQ(one("SWAP2BOARD").rfind("UNKNOWN ", 0), 0u);
    expectError("DONE");
    EXPECT_TRUE(isError(brain.handleLine("TURN 7,7", true))) << "a cut line is not trusted";
    EXPECT_TRUE(brain.position().stones.empty());
}

TEST_F(BrainProtocolTest, boardMapsFieldsKeepsTheOrderAndIgnoresMarks) {
    one("START 15");
    const std::vector<ListedStone> listed{{5, 5, 2}, {6, 6, 1}, {9, 9, 3}, {5, 6, 2}, {6, 5, 1}};
    sendBoard(listed);
    const ProtocolPoint answer = move("DONE");
    BrainPosition expected = positionOf(listed);
    EXPECT_EQ(cell(6, 6), kOtherStone) << "field 1 is the engine's own stone";
    EXPECT_EQ(cell(5, 5), kLocalStone) << "field 2 is the opponent's";
    EXPECT_EQ(cell(9, 9), kEmpty) << "field 3 carries no stone";
    expected.board[answer.x + 1][answer.y + 1] = kOtherStone;
    expected.stones.push_back(BoardPoint{answer.x + 1, answer.y + 1});
    expectSamePosition(brain.position(), expected);
}

TEST_F(BrainProtocolTest, boardReplacesThePreviousPosition) {
    one("START 15");
    move("TURN 1,1");
    sendBoard({{10, 10, 2}});
    const ProtocolPoint answer = move("DONE");
    EXPECT_EQ(cell(1, 1), kEmpty);
    EXPECT_EQ(brain.position().stones.size(), 2u);
    EXPECT_EQ(cell(answer.x, answer.y), kOtherStone);
}

TEST_F(BrainProtocolTest, faultyBoardsAreRefusedAtDoneAndKeepThePosition) {
    one("START 15");
    move("TURN 7,7");
    const BrainPosition before = brain.position();
    const std::vector<std::vector<std::string>> faulty{
        {"3,3,2", "15,3,1"},          // off the board
        {"3,3,2", "3,-1,1"},          // off the board
        {"3,3,2", "3,3,1"},           // one point twice
        {"3,3,4"},                    // no such field
        {"3,3,0"},                    // no such field
        {"3,3"},                      // field missing
        {"3,3,1,1"},                  // one number too many
        {"3,3,x"},                    // not a number
        {"3 3 1"},                    // not comma-separated
    };
    for (const auto& lines : faulty) {
        ask("BOARD");
        for (const std::string& line : lines) {
            EXPECT_TRUE(ask(line).empty()) << "the fault waits for DONE: " << line;
        }
        const Answers answers = ask("DONE");
        EXPECT_TRUE(isError(answers)) << lines.back();
        expectSamePosition(brain.position(), before);
    }
    ask("BOARD");
    EXPECT_TRUE(brain.handleLine("1,1,1", true).empty());
    EXPECT_TRUE(isError(ask("DONE"))) << "a cut BOARD line spoils the board";
    EXPECT_TRUE(ask("BOARD now").empty());
    EXPECT_TRUE(isError(ask("DONE"))) << "BOARD takes no arguments";
    expectSamePosition(brain.position(), before);
    move("TURN 1,13");
}

TEST_F(BrainProtocolTest, boardWithoutDoneIsRefusedAndTheNextCommandStillRuns) {
    one("START 15");
    move("TURN 7,7");
    const BrainPosition before = brain.position();
    ask("BOARD");
    ask("1,1,1");
    const Answers answers = ask("ABOUT");
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].rfind("ERROR ", 0), 0u);
    EXPECT_EQ(answers[1], BrainProtocol::aboutText());
    expectSamePosition(brain.position(), before);

    ask("BOARD");
    ask("2,2,2");
    const Answers moved = ask("TURN 3,3");
    ASSERT_EQ(moved.size(), 2u);
    EXPECT_EQ(moved[0].rfind("ERROR ", 0), 0u);
    EXPECT_TRUE(parseMove(moved[1]));
    EXPECT_EQ(cell(3, 3), kLocalStone);
    EXPECT_EQ(cell(2, 2), kEmpty) << "the abandoned board left nothing behind";
    EXPECT_EQ(cell(1, 1), kEmpty);
}

TEST_F(BrainProtocolTest, lastEmptyPointIsPlayedAndAFullBoardIsRefused) {
    one("START 15");
    sendBoard(wholeBoardBut(4, 11));
    EXPECT_EQ(move("DONE"), (ProtocolPoint{4, 11})) << "one empty point left: it must be the answer";
    EXPECT_EQ(brain.position().stones.size(), static_cast<std::size_t>(kMaxStones));
    const BrainPosition full = brain.position();
    expectError("BEGIN");
    expectError("TURN 4,11");
    expectSamePosition(brain.position(), full);
    EXPECT_EQ(one("TAKEBACK 4,11"), "OK");
    EXPECT_EQ(move("BEGIN"), (ProtocolPoint{4, 11}));
}

TEST_F(BrainProtocolTest, fullBoardFromBoardIsRefusedAndTheOldPositionStays) {
    one("START 15");
    move("TURN 7,7");
    const BrainPosition before = brain.position();
    sendBoard(wholeBoardBut(-1, -1));
    expectError("DONE");
    expectSamePosition(brain.position(), before);
}

TEST_F(BrainProtocolTest, onlyFreestyleIsPlayed) {
    one("START 15");
    for (const char* rule : {"1", "4", "8", "5", "3", "16"}) {
        EXPECT_TRUE(ask(std::string("INFO rule ") + rule).empty()) << "INFO is not answered";
        EXPECT_FALSE(brain.ruleSupported()) << rule;
        expectError("BEGIN");
        expectError("TURN 7,7");
        sendBoard({{1, 1, 2}});
        expectError("DONE");
        EXPECT_TRUE(brain.position().stones.empty()) << "a refused move request changes nothing: rule " << rule;
    }
    ask("INFO rule 2");
    EXPECT_TRUE(brain.ruleSupported()) << "a continuous game still wins by five or more";
    move("TURN 7,7");
    ask("INFO rule 0");
    move("TURN 1,13");
    expectError("INFO rule");
    expectError("INFO rule -1");
    expectError("INFO rule renju");
    EXPECT_EQ(brain.rule(), 0);
}

TEST_F(BrainProtocolTest, informationThatDoesNotApplyIsAcceptedSilently) {
    one("START 15");
    for (const char* line : {"INFO timeout_turn 5000", "INFO timeout_match 180000", "INFO time_left 17000",
                             "INFO max_memory 83886080", "INFO game_type 1", "INFO folder /some/where",
                             "INFO evaluate 3,4", "INFO thread_num 4", "info TIMEOUT_TURN 0"}) {
        EXPECT_TRUE(ask(line).empty()) << line;
    }
    EXPECT_EQ(brain.level(), kBeginnerDepth);
    EXPECT_EQ(brain.rule(), 0);
    expectError("INFO");
    EXPECT_EQ(move("BEGIN"), (ProtocolPoint{7, 7}));
}

TEST_F(BrainProtocolTest, levelIsChosenByDepthOrByName) {
    EXPECT_EQ(brain.level(), kBeginnerDepth) << "the game starts at its beginner level too";
    EXPECT_FALSE(brain.bonuses());
    const std::vector<std::pair<std::string, std::int32_t>> choices{
        {"INFO MAX_DEPTH 5", 5}, {"INFO MAX_DEPTH 9", 9}, {"INFO max_depth 1", 1},
        {"INFO level 高级", 9},  {"INFO level 中级", 5},  {"INFO level 初级", 1},
        {"INFO level Advanced", 9}, {"INFO LEVEL intermediate", 5}, {"INFO level BEGINNER", 1}};
    for (const auto& [line, depth] : choices) {
        EXPECT_TRUE(ask(line).empty()) << line;
        EXPECT_EQ(brain.level(), depth) << line;
        EXPECT_EQ(brain.bonuses(), depth != kBeginnerDepth) << "bonuses follow the level as in the game";
    }
    ask("INFO MAX_DEPTH 9");
    for (const char* line : {"INFO MAX_DEPTH 3", "INFO MAX_DEPTH 0", "INFO MAX_DEPTH -9", "INFO MAX_DEPTH nine",
                             "INFO MAX_DEPTH", "INFO level 特级", "INFO level", "INFO level expert"}) {
        expectError(line);
        EXPECT_EQ(brain.level(), kAdvancedDepth) << "a refused level keeps the old one: " << line;
    }
}

// The engine must hand the library the same search the game does: same board codes, stones in
// order, the level's depth and the level's bonus rule. Checked against a direct search with the
// same seed on positions reached by random play.
TEST(BrainProtocolSearch, answersWhatTheOpponentAnswersForEveryLevel) {
    SeededRandom shuffle(99);
    for (int game = 0; game < 12; ++game) {
        std::vector<ListedStone> listed;
        Board board = emptyBoard();
        const int count = 7 + static_cast<int>(shuffle.next64() % 20);
        while (static_cast<int>(listed.size()) < count) {
            // Clustered round the centre, as games are.
            const int x = 3 + static_cast<int>(shuffle.next64() % 9);
            const int y = 3 + static_cast<int>(shuffle.next64() % 9);
            if (board[x + 1][y + 1] == kEmpty) {
                board[x + 1][y + 1] = 1;
                listed.push_back(ListedStone{x, y, listed.size() % 2 == 0 ? 2 : 1});
            }
        }
        for (std::int32_t depth : {kBeginnerDepth, kIntermediateDepth, kAdvancedDepth}) {
            const std::uint64_t seed = 1000 + game;
            SeededRandom brainRandom(seed);
            BrainProtocol brain(brainRandom);
            brain.handleLine("START 15");
            brain.handleLine("INFO MAX_DEPTH " + std::to_string(depth));
            brain.handleLine("BOARD");
            for (const ListedStone& stone : listed) {
                brain.handleLine(std::to_string(stone.x) + "," + std::to_string(stone.y) + "," +
                                 std::to_string(stone.field));
            }
            const Answers answers = brain.handleLine("DONE");
            ASSERT_EQ(answers.size(), 1u);

            const BrainPosition position = positionOf(listed);
            Opponent opponent;
            opponent.workBoard = position.board;
            opponent.searchDepth = depth;
            SeededRandom directRandom(seed);
            QuietProgress progress;
            int x = 0;
            int y = 0;
            ASSERT_TRUE(opponent.FindComputerMove(position.stones, depth != kBeginnerDepth, progress, directRandom, x, y));
            EXPECT_EQ(answers[0], std::to_string(x - 1) + "," + std::to_string(y - 1))
                << "game " << game << ", depth " << depth;
        }
    }
}

TEST_F(BrainProtocolTest, takeBackRemovesTheNamedStoneAndFreesItsPoint) {
    one("START 15");
    const ProtocolPoint first = move("BEGIN");
    const ProtocolPoint second = move("TURN 6,6");
    EXPECT_EQ(one("TAKEBACK " + std::to_string(second.x) + "," + std::to_string(second.y)), "OK");
    EXPECT_EQ(one("TAKEBACK 6,6"), "OK");
    EXPECT_EQ(cell(second.x, second.y), kEmpty);
    EXPECT_EQ(cell(6, 6), kEmpty);
    ASSERT_EQ(brain.position().stones.size(), 1u);
    EXPECT_EQ(brain.position().stones[0].x, first.x + 1);
    const BrainPosition before = brain.position();
    for (const char* line : {"TAKEBACK 6,6", "TAKEBACK 15,15", "TAKEBACK x", "TAKEBACK"}) {
        expectError(line);
        expectSamePosition(brain.position(), before);
    }
    // The freed point takes a stone again.
    move("TURN " + std::to_string(second.x) + "," + std::to_string(second.y));
    EXPECT_EQ(cell(second.x, second.y), kLocalStone);
}

TEST_F(BrainProtocolTest, restartClearsTheBoardAndKeepsTheSettings) {
    one("START 15");
    ask("INFO MAX_DEPTH 5");
    ask("INFO rule 2");
    move("TURN 3,3");
    EXPECT_EQ(one("RESTART"), "OK");
    EXPECT_TRUE(brain.position().stones.empty());
    EXPECT_EQ(brain.position().board, emptyBoard());
    EXPECT_EQ(brain.level(), kIntermediateDepth);
    EXPECT_EQ(brain.rule(), kRuleContinuous);
    EXPECT_EQ(move("BEGIN"), (ProtocolPoint{7, 7}));
    expectError("RESTART now");
}

TEST_F(BrainProtocolTest, playPutsTheEnginesStoneWhereTheManagerSays) {
    one("START 15");
    EXPECT_EQ(one("PLAY 2,3"), "2,3");
    EXPECT_EQ(cell(2, 3), kOtherStone);
    expectError("PLAY 2,3");
    expectError("PLAY 2,15");
    EXPECT_EQ(brain.position().stones.size(), 1u);
}

TEST_F(BrainProtocolTest, aboutNamesTheEngine) {
    const std::string about = one("ABOUT");
    EXPECT_EQ(about, BrainProtocol::aboutText());
    for (const char* field : {"name=\"pbrain-kivola\"", "version=\"", "author=\"", "country=\""}) {
        EXPECT_NE(about.find(field), std::string::npos) << field;
    }
}

TEST_F(BrainProtocolTest, endStopsTheEngineAndNothingIsAnsweredAfter) {
    one("START 15");
    EXPECT_TRUE(ask("END").empty());
    EXPECT_TRUE(brain.ended());
    EXPECT_TRUE(ask("ABOUT").empty());
    EXPECT_TRUE(ask("BEGIN").empty());
}

} // namespace
} // namespace kivola
