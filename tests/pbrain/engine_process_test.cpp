// The real pbrain-kivola over pipes, driven as a manager drives it: whole games, refusals that
// leave it usable, line ends, repeatable seeds and exiting on END.

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "brain_process.h"

namespace kivola {
namespace {

using testing::BrainProcess;
using namespace std::chrono_literals;

constexpr int kSize = 15;
constexpr auto kExitLimit = 5000ms; // a bounded wait for the exit, not a speed requirement

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

std::string text(Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

std::optional<Point> parseMove(const std::optional<std::string>& answer) {
    Point p;
    char end = 0;
    if (!answer || std::sscanf(answer->c_str(), "%d,%d%c", &p.x, &p.y, &end) != 2) {
        return std::nullopt;
    }
    return p;
}

bool isError(const std::optional<std::string>& line) { return line && line->rfind("ERROR ", 0) == 0; }

enum class Outcome { EngineWon, ManagerWon, Draw, Broken };

// The manager plays the first empty point row by row; it judges every answer and the result.
Outcome playScriptedGame(BrainProcess& engine, bool engineBegins, std::vector<Point>* engineMoves = nullptr) {
    std::array<std::array<int, kSize>, kSize> cells{};
    auto fiveThrough = [&](Point p) {
        for (const auto& [dx, dy] : {std::pair{1, 0}, {0, 1}, {1, 1}, {1, -1}}) {
            int run = 1;
            for (int sign : {1, -1}) {
                for (Point q{p.x + sign * dx, p.y + sign * dy};
                     q.x >= 0 && q.x < kSize && q.y >= 0 && q.y < kSize && cells[q.x][q.y] == cells[p.x][p.y];
                     q = Point{q.x + sign * dx, q.y + sign * dy}) {
                    ++run;
                }
            }
            if (run >= 5) {
                return true;
            }
        }
        return false;
    };
    std::optional<std::string> answer = engineBegins ? engine.ask("BEGIN") : std::nullopt;
    for (int stones = 0; stones < kSize * kSize;) {
        if (!engineBegins || stones > 0) {
            Point mine{0, 0};
            while (cells[mine.x][mine.y] != 0) {
                mine = mine.x + 1 < kSize ? Point{mine.x + 1, mine.y} : Point{0, mine.y + 1};
            }
            cells[mine.x][mine.y] = 1;
            if (fiveThrough(mine)) {
                return Outcome::ManagerWon;
            }
            if (++stones == kSize * kSize) {
                return Outcome::Draw;
            }
            answer = engine.ask("TURN " + text(mine));
        }
        const auto move = parseMove(answer);
        const bool legal = move && move->x >= 0 && move->x < kSize && move->y >= 0 && move->y < kSize &&
                           cells[move->x][move->y] == 0;
        EXPECT_TRUE(legal) << "answer '" << answer.value_or("<none within the time-out>") << "'";
        if (!legal) {
            return Outcome::Broken;
        }
        if (engineMoves != nullptr) {
            engineMoves->push_back(*move);
        }
        cells[move->x][move->y] = 2;
        if (fiveThrough(*move)) {
            return Outcome::EngineWon;
        }
        ++stones;
    }
    return Outcome::Draw;
}

void sendAll(BrainProcess& engine, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        engine.send(line);
    }
}

// The master answers within a few tens of milliseconds, as a manager may ask.
constexpr const char* kFastMaster = "INFO timeout_turn 80";

TEST(PbrainProcess, winsWholeGamesAgainstAScriptedManagerAtEveryLevel) {
    // Codes or coordinates mixed up would still give legal answers, but not won games.
    for (const char* level : {"INFO MAX_DEPTH 1", "INFO MAX_DEPTH 5", "INFO MAX_DEPTH 9", "INFO level master"}) {
        for (bool engineBegins : {true, false}) {
            BrainProcess engine({"--seed", "11"});
            ASSERT_EQ(engine.ask("START 15"), "OK");
            engine.send(level);
            engine.send(kFastMaster);
            EXPECT_EQ(playScriptedGame(engine, engineBegins), Outcome::EngineWon)
                << level << (engineBegins ? ", engine first" : ", manager first");
        }
    }
}

TEST(PbrainProcess, yxstopAnswersAThinkingEngineAtOnceAndEndStopsIt) {
    BrainProcess engine;
    ASSERT_EQ(engine.ask("START 15"), "OK");
    engine.send("INFO timeout_turn 3600000"); // an hour a move
    EXPECT_EQ(engine.ask("BEGIN"), "7,7");
    engine.send("TURN 8,8");
    engine.send("YXSTOP");
    const auto stopped = parseMove(engine.readLine()); // within the reading bound, not the hour
    ASSERT_TRUE(stopped);
    EXPECT_NE(*stopped, (Point{7, 7}));
    EXPECT_NE(*stopped, (Point{8, 8}));
    engine.send("YXSTOP");
    EXPECT_TRUE(engine.silentFor(200ms)) << "nothing to stop: no answer";
    engine.send(kFastMaster);
    EXPECT_TRUE(parseMove(engine.ask("TURN 1,1"))) << "the next move is searched as usual";
    engine.send("INFO timeout_turn 3600000");
    engine.send("TURN 12,12");
    engine.send("END");
    const auto status = engine.waitExit(kExitLimit);
    ASSERT_TRUE(status) << "END must stop the search";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
}

TEST(PbrainProcess, beginTakesTheCentreAndRestartEmptiesTheBoard) {
    BrainProcess engine;
    ASSERT_EQ(engine.ask("START 15"), "OK");
    engine.send(kFastMaster);
    EXPECT_EQ(engine.ask("BEGIN"), "7,7");
    ASSERT_TRUE(parseMove(engine.ask("TURN 1,1")));
    EXPECT_EQ(engine.ask("RESTART"), "OK");
    EXPECT_EQ(engine.ask("BEGIN"), "7,7") << "an empty board again";
    EXPECT_TRUE(parseMove(engine.ask("TURN 1,1"))) << "1,1 is free after the restart";
}

TEST(PbrainProcess, boardThenAMoveBlocksAFourOrCompletesItsOwn) {
    BrainProcess engine({"--seed", "3"});
    ASSERT_EQ(engine.ask("START 15"), "OK");
    engine.send("INFO MAX_DEPTH 9");
    // The opponent's four on row 7, closed at 2,7 by the engine: only 7,7 stops it.
    const std::vector<std::string> threatened{"3,7,2", "4,7,2", "5,7,2", "10,2,1", "6,7,2", "2,7,1", "11,12,1",
                                              "12,3,1"};
    engine.send("BOARD");
    sendAll(engine, threatened);
    EXPECT_EQ(engine.ask("DONE"), "7,7");
    // With its own four on column 3 as well, winning comes before blocking.
    engine.send("BOARD");
    sendAll(engine, threatened);
    sendAll(engine, {"3,2,1", "3,3,1", "3,4,1", "3,5,1", "3,1,2", "9,9,2", "13,13,2"});
    EXPECT_EQ(engine.ask("DONE"), "3,6");
}

TEST(PbrainProcess, takeBackThenTurnPlaysFromTheEarlierPosition) {
    BrainProcess engine({"--seed", "5"});
    ASSERT_EQ(engine.ask("START 15"), "OK");
    engine.send(kFastMaster);
    ASSERT_EQ(engine.ask("BEGIN"), "7,7");
    const auto answer = parseMove(engine.ask("TURN 6,6"));
    ASSERT_TRUE(answer);
    EXPECT_EQ(engine.ask("TAKEBACK " + text(*answer)), "OK");
    EXPECT_EQ(engine.ask("TAKEBACK 6,6"), "OK");
    // The engine's former point is free again, for the opponent this time.
    const auto next = parseMove(engine.ask("TURN " + text(*answer)));
    ASSERT_TRUE(next);
    EXPECT_NE(*next, *answer);
    EXPECT_NE(*next, (Point{7, 7}));
    EXPECT_TRUE(isError(engine.ask("TURN " + text(*next)))) << "its new stone stands";
}

TEST(PbrainProcess, everyRefusalIsAnsweredAndTheEngineStaysUsable) {
    BrainProcess engine({"--seed", "8"});
    for (const char* line : {"TURN 7,7", "START 21", "START twenty"}) {
        EXPECT_TRUE(isError(engine.ask(line))) << line;
    }
    ASSERT_EQ(engine.ask("START 15"), "OK");
    engine.send(kFastMaster);
    ASSERT_EQ(engine.ask("BEGIN"), "7,7");
    for (const char* line : {"TURN 7", "TURN 7,x", "TURN 15,3", "TURN 3,-1", "TURN 7,7", "TAKEBACK 0,0", "DONE"}) {
        EXPECT_TRUE(isError(engine.ask(line))) << line;
    }
    EXPECT_EQ(engine.ask("HELLO there").value_or("").rfind("UNKNOWN ", 0), 0u);
    EXPECT_TRUE(isError(engine.ask(std::string(100000, 'T')))) << "an over-long line";
    EXPECT_EQ(engine.ask(std::string("\x00\xff\xfe TURN \x00 1,1", 14)).value_or("").rfind("UNKNOWN ", 0), 0u);

    engine.send("BOARD");
    engine.send("1,1,1");
    EXPECT_TRUE(isError(engine.ask("ABOUT"))) << "a BOARD cut short by another command";
    EXPECT_EQ(engine.readLine().value_or("").rfind("name=\"pbrain-kivola\"", 0), 0u) << "which is then obeyed";
    sendAll(engine, {"BOARD", "1,1,1", "1,1,2"});
    EXPECT_TRUE(isError(engine.ask("DONE"))) << "a point listed twice";
    sendAll(engine, {"BOARD", "1,15,1"});
    EXPECT_TRUE(isError(engine.ask("DONE"))) << "a point off the board";
    engine.send("BOARD");
    for (int k = 0; k < kSize * kSize; ++k) {
        engine.send(text({k / kSize, k % kSize}) + "," + std::to_string(k % 3 == 0 ? 1 : 2));
    }
    EXPECT_TRUE(isError(engine.ask("DONE"))) << "a full board leaves no move";

    // A manager reads the next line as the answer to its next command: INFO must leave none.
    engine.send("INFO MAX_DEPTH 3");
    EXPECT_EQ(engine.ask("ABOUT").value_or("").rfind("name=\"pbrain-kivola\"", 0), 0u) << "a bad INFO has no answer";
    EXPECT_TRUE(isError(engine.ask("TURN 8,8"))) << "it is told at the next move request";

    engine.send("INFO rule 4");
    EXPECT_TRUE(engine.silentFor(200ms)) << "INFO has no answer";
    EXPECT_TRUE(isError(engine.ask("TURN 8,8"))) << "renju is refused, not played as freestyle";
    engine.send("INFO rule 1");
    engine.send("INFO level 高级");
    EXPECT_TRUE(isError(engine.ask("TURN 8,8"))) << "exactly five likewise, but for the master";
    engine.send("INFO level master");
    engine.send("INFO rule 0");

    // The game goes on from the position before the refusals: only 7,7 stands.
    const auto move = parseMove(engine.ask("TURN 8,8"));
    ASSERT_TRUE(move);
    EXPECT_NE(*move, (Point{7, 7}));
    EXPECT_NE(*move, (Point{8, 8}));
    EXPECT_TRUE(isError(engine.ask("TAKEBACK 1,1"))) << "the refused boards left no stone";
}

TEST(PbrainProcess, everyLineEndIsUnderstood) {
    BrainProcess engine;
    ASSERT_TRUE(engine.sendRaw("START 15\r"));
    EXPECT_EQ(engine.readLine(), "OK");
    ASSERT_TRUE(engine.sendRaw(std::string(kFastMaster) + "\r"));
    ASSERT_TRUE(engine.sendRaw("RESTART\n"));
    EXPECT_EQ(engine.readLine(), "OK");
    ASSERT_TRUE(engine.sendRaw("BEGIN\r"));
    EXPECT_EQ(engine.readLine(), "7,7");
    // The LF of a CR LF split across two writes is not an extra line.
    std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(engine.sendRaw("\nTURN 1,1\r\n\r\nABOUT\n"));
    EXPECT_TRUE(parseMove(engine.readLine()));
    EXPECT_EQ(engine.readLine().value_or("").rfind("name=", 0), 0u);
    EXPECT_TRUE(engine.silentFor(200ms)) << "empty lines are not answered";
}

TEST(PbrainProcess, endOrEndOfInputExitsWithoutAnAnswer) {
    for (bool byEnd : {true, false}) {
        BrainProcess engine;
        ASSERT_EQ(engine.ask("START 15"), "OK");
        if (byEnd) {
            engine.send("END");
        } else {
            engine.send("BOARD"); // even in the middle of a command
            engine.closeInput();
        }
        const auto status = engine.waitExit(kExitLimit);
        ASSERT_TRUE(status) << "still running " << kExitLimit.count() << " ms later";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
        EXPECT_FALSE(engine.readLine(1000ms)) << "nothing is answered";
    }
}

TEST(PbrainProcess, seedMakesPlayRepeatableAndBadArgumentsAreRefused) {
    auto gameWithSeed = [](const char* seed) {
        BrainProcess engine({"--seed", seed});
        EXPECT_EQ(engine.ask("START 15"), "OK");
        engine.send("INFO MAX_DEPTH 5");
        std::vector<Point> moves;
        playScriptedGame(engine, false, &moves);
        return moves;
    };
    const auto first = gameWithSeed("424242");
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(gameWithSeed("424242"), first);
    bool anyDiffers = false;
    for (const char* seed : {"1", "2", "3", "4", "5", "6"}) {
        anyDiffers = anyDiffers || gameWithSeed(seed) != first;
    }
    EXPECT_TRUE(anyDiffers) << "seven seeds, one game: the seed does not reach the tie rule";

    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"--seed"}, {"--seed", "x"}, {"--seed", "-1"}, {"--depth", "9"}, {"--level"}, {"--level", "grandmaster"}}) {
        BrainProcess engine(arguments);
        const auto status = engine.waitExit(kExitLimit);
        ASSERT_TRUE(status);
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 2) << arguments[0];
    }
}

TEST(PbrainProcess, theCommandLineLevelHoldsUntilTheManagerNamesOne) {
    // Past the opening, where each level answers this board differently.
    auto answer = [](std::vector<std::string> arguments, const char* info) {
        arguments.insert(arguments.end(), {"--seed", "21"});
        BrainProcess engine(arguments);
        sendAll(engine, {"START 15", info, "BOARD", "5,9,2", "9,8,1", "8,8,2", "6,6,1", "9,7,2", "8,9,1", "6,8,2",
                         "8,5,1"});
        EXPECT_EQ(engine.readLine(), "OK");
        return engine.ask("DONE");
    };
    EXPECT_EQ(answer({"--level", "高级"}, ""), "7,10");
    EXPECT_EQ(answer({"--level", "初级"}, ""), "10,7");
    EXPECT_EQ(answer({"--level", "Intermediate"}, ""), "11,6");
    EXPECT_EQ(answer({"--level", "beginner"}, "INFO MAX_DEPTH 9"), "7,10") << "INFO still decides";

    // A chain of fours only the master plays from its first four (高级 answers 5,2).
    BrainProcess master;
    sendAll(master, {"START 15", kFastMaster, "BOARD", "2,2,1", "3,2,1", "2,3,1", "2,4,1", "5,3,1", "5,4,1",
                     "2,5,2", "6,5,2", "9,9,2", "10,10,2", "11,9,2", "3,12,2"});
    EXPECT_EQ(master.readLine(), "OK");
    EXPECT_EQ(master.ask("DONE"), "2,1") << "no level named: 大师";

    BrainProcess help({"--help"});
    EXPECT_NE(help.readLine().value_or("").find("--level"), std::string::npos) << "on standard output";
}

} // namespace
} // namespace kivola
