// The real pbrain-kivola over pipes, as a manager drives it: whole games, every kind of answer,
// refusals that leave it usable, line ends, repeatable seeds and a prompt exit.

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
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
constexpr int kEmptyCell = 0;
constexpr int kManagerCell = 1;
constexpr int kEngineCell = 2;
// A bounded wait for the exit, not a speed requirement.
constexpr auto kExitLimit = 5000ms;

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

std::string text(Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

std::optional<Point> parseMove(const std::optional<std::string>& answer) {
    if (!answer) {
        return std::nullopt;
    }
    Point point;
    char comma = 0;
    char rest = 0;
    if (std::sscanf(answer->c_str(), "%d%c%d%c", &point.x, &comma, &point.y, &rest) != 3 || comma != ',') {
        return std::nullopt;
    }
    return point;
}

bool startsWith(const std::optional<std::string>& line, std::string_view prefix) {
    return line && line->rfind(prefix, 0) == 0;
}

// The manager's own record of the game, so it can judge the engine's answers.
class GameRecord {
public:
    bool empty(Point p) const { return onBoard(p) && cells_[p.x][p.y] == kEmptyCell; }
    static bool onBoard(Point p) { return p.x >= 0 && p.x < kSize && p.y >= 0 && p.y < kSize; }
    void put(Point p, int who) {
        cells_[p.x][p.y] = who;
        ++stones_;
    }
    bool full() const { return stones_ == kSize * kSize; }
    // Five or more in a line through p for whoever stands there.
    bool fiveThrough(Point p) const {
        const int who = cells_[p.x][p.y];
        constexpr std::array<std::array<int, 2>, 4> directions{{{1, 0}, {0, 1}, {1, 1}, {1, -1}}};
        for (const auto& [dx, dy] : directions) {
            int run = 1;
            for (int sign : {1, -1}) {
                Point q{p.x + sign * dx, p.y + sign * dy};
                while (onBoard(q) && cells_[q.x][q.y] == who) {
                    ++run;
                    q = Point{q.x + sign * dx, q.y + sign * dy};
                }
            }
            if (run >= 5) {
                return true;
            }
        }
        return false;
    }
    // The manager's scripted play: the first empty point, row by row from the top left.
    Point firstEmpty() const {
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                if (cells_[x][y] == kEmptyCell) {
                    return Point{x, y};
                }
            }
        }
        return Point{-1, -1};
    }

private:
    std::array<std::array<int, kSize>, kSize> cells_{};
    int stones_ = 0;
};

enum class Outcome { EngineWon, ManagerWon, Draw, Broken };

// Plays one game: the manager scripted, the engine answering. Every answer must be an empty point.
Outcome playScriptedGame(BrainProcess& engine, bool engineBegins, std::vector<Point>* engineMoves = nullptr) {
    GameRecord game;
    std::optional<std::string> answer = engineBegins ? engine.ask("BEGIN") : std::nullopt;
    for (int turn = 0; turn < kSize * kSize; ++turn) {
        if (!engineBegins || turn > 0) {
            const Point mine = game.firstEmpty();
            game.put(mine, kManagerCell);
            if (game.fiveThrough(mine)) {
                return Outcome::ManagerWon;
            }
            if (game.full()) {
                return Outcome::Draw;
            }
            answer = engine.ask("TURN " + text(mine));
        }
        const auto move = parseMove(answer);
        EXPECT_TRUE(move) << "answer '" << answer.value_or("<none within the time-out>") << "'";
        if (!move) {
            return Outcome::Broken;
        }
        EXPECT_TRUE(game.empty(*move)) << "the engine answered " << text(*move) << ", not an empty point";
        if (!game.empty(*move)) {
            return Outcome::Broken;
        }
        if (engineMoves != nullptr) {
            engineMoves->push_back(*move);
        }
        game.put(*move, kEngineCell);
        if (game.fiveThrough(*move)) {
            return Outcome::EngineWon;
        }
        if (game.full()) {
            return Outcome::Draw;
        }
    }
    return Outcome::Broken;
}

std::string boardLine(Point p, int field) { return text(p) + "," + std::to_string(field); }

TEST(PbrainProcess, wholeGamesAgainstAScriptedManagerAtEveryLevel) {
    // Codes or coordinates mixed up would still give legal answers, but not a won game.
    for (const char* level : {"1", "5", "9"}) {
        for (bool engineBegins : {true, false}) {
            BrainProcess engine({"--seed", "11"});
            ASSERT_EQ(engine.ask("START 15"), "OK");
            ASSERT_TRUE(engine.send(std::string("INFO MAX_DEPTH ") + level));
            EXPECT_EQ(playScriptedGame(engine, engineBegins), Outcome::EngineWon)
                << "depth " << level << (engineBegins ? ", engine first" : ", manager first");
            engine.send("END");
            EXPECT_TRUE(engine.waitExit(kExitLimit));
        }
    }
}

TEST(PbrainProcess, beginOnAnEmptyBoardIsTheCentre) {
    BrainProcess engine;
    ASSERT_EQ(engine.ask("START 15"), "OK");
    EXPECT_EQ(engine.ask("BEGIN"), "7,7");
}

TEST(PbrainProcess, boardThenAMoveBlocksAFourOrCompletesItsOwn) {
    BrainProcess engine({"--seed", "3"});
    ASSERT_EQ(engine.ask("START 15"), "OK");
    engine.send("INFO MAX_DEPTH 9");
    // The opponent's four on row 7, closed at 2,7 by the engine: only 7,7 stops it.
    const std::vector<std::string> threatened{boardLine({3, 7}, 2), boardLine({4, 7}, 2), boardLine({5, 7}, 2),
                                              boardLine({10, 2}, 1), boardLine({6, 7}, 2), boardLine({2, 7}, 1),
                                              boardLine({11, 12}, 1), boardLine({12, 3}, 1)};
    engine.send("BOARD");
    for (const std::string& line : threatened) {
        engine.send(line);
    }
    EXPECT_EQ(engine.ask("DONE"), "7,7");

    // With its own four on column 3 as well, winning comes before blocking.
    EXPECT_EQ(engine.ask("RESTART"), "OK");
    engine.send("BOARD");
    for (const std::string& line : threatened) {
        engine.send(line);
    }
    for (int y = 2; y <= 5; ++y) {
        engine.send(boardLine({3, y}, 1));
    }
    engine.send(boardLine({3, 1}, 2));
    engine.send(boardLine({9, 9}, 2));
    engine.send(boardLine({13, 13}, 2));
    EXPECT_EQ(engine.ask("DONE"), "3,6");
}

TEST(PbrainProcess, takeBackThenTurnPlaysFromTheEarlierPosition) {
    BrainProcess engine({"--seed", "5"});
    ASSERT_EQ(engine.ask("START 15"), "OK");
    ASSERT_EQ(engine.ask("BEGIN"), "7,7");
    const auto answer = parseMove(engine.ask("TURN 6,6"));
    ASSERT_TRUE(answer);
    EXPECT_EQ(engine.ask("TAKEBACK " + text(*answer)), "OK");
    EXPECT_EQ(engine.ask("TAKEBACK 6,6"), "OK");
    // Its former point is free again: the opponent may take it.
    const auto next = parseMove(engine.ask("TURN " + text(*answer)));
    ASSERT_TRUE(next);
    EXPECT_NE(*next, *answer);
    EXPECT_NE(*next, (Point{7, 7}));
    EXPECT_TRUE(GameRecord::onBoard(*next));
    if (*next != Point{6, 6}) {
        EXPECT_TRUE(parseMove(engine.ask("TURN 6,6"))) << "6,6 was taken back, so the opponent may play it";
    }
}

TEST(PbrainProcess, restartStartsAFreshGame) {
    BrainProcess engine;
    ASSERT_EQ(engine.ask("START 15"), "OK");
    ASSERT_EQ(engine.ask("BEGIN"), "7,7");
    ASSERT_TRUE(parseMove(engine.ask("TURN 1,1")));
    EXPECT_EQ(engine.ask("RESTART"), "OK");
    EXPECT_EQ(engine.ask("BEGIN"), "7,7") << "an empty board again";
    EXPECT_TRUE(parseMove(engine.ask("TURN 1,1"))) << "1,1 is free after the restart";
}

TEST(PbrainProcess, everyRefusalIsAnsweredAndTheEngineStaysUsable) {
    BrainProcess engine({"--seed", "8"});
    EXPECT_TRUE(startsWith(engine.ask("TURN 7,7"), "ERROR")) << "a move before START";
    EXPECT_TRUE(startsWith(engine.ask("START 20"), "ERROR"));
    EXPECT_TRUE(startsWith(engine.ask("START twenty"), "ERROR"));
    ASSERT_EQ(engine.ask("START 15"), "OK");
    ASSERT_EQ(engine.ask("BEGIN"), "7,7");

    const std::vector<std::string> refused{
        "TURN 7",          // malformed
        "TURN 7,x",        // malformed
        "TURN 15,3",       // outside the board
        "TURN 3,-1",       // outside the board
        "TURN 7,7",        // taken
        "TAKEBACK 0,0",    // nothing to take back
        "DONE",            // no BOARD
        "INFO MAX_DEPTH 3" // no such level
    };
    for (const std::string& line : refused) {
        EXPECT_TRUE(startsWith(engine.ask(line), "ERROR ")) << line;
    }
    EXPECT_TRUE(startsWith(engine.ask("HELLO there"), "UNKNOWN "));
    EXPECT_TRUE(startsWith(engine.ask(std::string(100000, 'T')), "ERROR ")) << "an over-long line";
    const std::string garbage("\x00\xff\xfe TURN \x00 1,1", 14);
    EXPECT_TRUE(startsWith(engine.ask(garbage), "UNKNOWN ")) << "binary garbage";

    // A BOARD cut short by another command: refused, then the command is obeyed.
    engine.send("BOARD");
    engine.send("1,1,1");
    EXPECT_TRUE(startsWith(engine.ask("ABOUT"), "ERROR "));
    EXPECT_TRUE(startsWith(engine.readLine(), "name=\"pbrain-kivola\""));

    // A BOARD with a point twice, or off the board: refused at DONE.
    engine.send("BOARD");
    engine.send("1,1,1");
    engine.send("1,1,2");
    EXPECT_TRUE(startsWith(engine.ask("DONE"), "ERROR "));
    engine.send("BOARD");
    engine.send("1,15,1");
    EXPECT_TRUE(startsWith(engine.ask("DONE"), "ERROR "));

    // A full board leaves no move.
    engine.send("BOARD");
    for (int x = 0; x < kSize; ++x) {
        for (int y = 0; y < kSize; ++y) {
            engine.send(boardLine({x, y}, (x + y / 2) % 2 + 1));
        }
    }
    EXPECT_TRUE(startsWith(engine.ask("DONE"), "ERROR "));

    // Another rule than freestyle: refused when a move is asked, not played wrongly.
    EXPECT_TRUE(engine.send("INFO rule 4"));
    EXPECT_TRUE(engine.silentFor(200ms)) << "INFO has no answer";
    EXPECT_TRUE(startsWith(engine.ask("TURN 8,8"), "ERROR "));
    engine.send("INFO rule 1");
    EXPECT_TRUE(startsWith(engine.ask("TURN 8,8"), "ERROR "));
    engine.send("INFO rule 0");

    // After all that, the game goes on from the position before the refusals: only 7,7 stands.
    const auto move = parseMove(engine.ask("TURN 8,8"));
    ASSERT_TRUE(move);
    EXPECT_NE(*move, (Point{7, 7}));
    EXPECT_NE(*move, (Point{8, 8}));
    EXPECT_EQ(engine.ask("TAKEBACK 1,1").value_or("").rfind("ERROR ", 0), 0u) << "the refused boards left no stone";
    EXPECT_TRUE(engine.running());
}

TEST(PbrainProcess, fullBoardRefusesEveryMoveRequest) {
    BrainProcess engine;
    ASSERT_EQ(engine.ask("START 15"), "OK");
    engine.send("BOARD");
    for (int x = 0; x < kSize; ++x) {
        for (int y = 0; y < kSize; ++y) {
            if (x != 14 || y != 14) {
                engine.send(boardLine({x, y}, (x + y / 2) % 2 + 1));
            }
        }
    }
    EXPECT_EQ(engine.ask("DONE"), "14,14") << "the last empty point";
    EXPECT_TRUE(startsWith(engine.ask("BEGIN"), "ERROR ")) << "the board is full";
    EXPECT_EQ(engine.ask("ABOUT").value_or("").rfind("name=", 0), 0u);
}

TEST(PbrainProcess, everyLineEndIsUnderstood) {
    BrainProcess engine;
    ASSERT_TRUE(engine.sendRaw("START 15\r"));
    EXPECT_EQ(engine.readLine(), "OK");
    ASSERT_TRUE(engine.sendRaw("RESTART\n"));
    EXPECT_EQ(engine.readLine(), "OK");
    // A CR LF split across two writes is still one line end, not an extra empty line.
    ASSERT_TRUE(engine.sendRaw("BEGIN\r"));
    EXPECT_EQ(engine.readLine(), "7,7");
    std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(engine.sendRaw("\nTURN 1,1\r\n\r\nABOUT\n"));
    EXPECT_TRUE(parseMove(engine.readLine()));
    EXPECT_TRUE(startsWith(engine.readLine(), "name="));
    EXPECT_TRUE(engine.silentFor(200ms)) << "empty lines are not answered";
}

TEST(PbrainProcess, aboutDescribesTheEngine) {
    BrainProcess engine;
    const auto about = engine.ask("ABOUT");
    ASSERT_TRUE(about);
    for (const char* field : {"name=\"pbrain-kivola\"", "version=\"", "author=\"", "country=\""}) {
        EXPECT_NE(about->find(field), std::string::npos) << field << " in " << *about;
    }
}

TEST(PbrainProcess, endExitsPromptlyWithoutAnAnswer) {
    BrainProcess engine;
    ASSERT_EQ(engine.ask("START 15"), "OK");
    ASSERT_TRUE(engine.send("END"));
    const auto status = engine.waitExit(kExitLimit);
    ASSERT_TRUE(status) << "still running " << kExitLimit.count() << " ms after END";
    EXPECT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0);
    EXPECT_FALSE(engine.readLine(1000ms)) << "END has no answer";
}

TEST(PbrainProcess, endOfInputEndsTheEngine) {
    BrainProcess engine;
    ASSERT_EQ(engine.ask("START 15"), "OK");
    engine.send("BOARD");
    engine.send("1,1,1");
    engine.closeInput();
    const auto status = engine.waitExit(kExitLimit);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0);
}

// Games played move by move with the same seed must be the same game; the seed must matter.
TEST(PbrainProcess, seedMakesPlayRepeatable) {
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
    std::vector<std::vector<Point>> others;
    for (const char* seed : {"1", "2", "3", "4", "5", "6"}) {
        others.push_back(gameWithSeed(seed));
    }
    bool anyDiffers = false;
    for (const auto& other : others) {
        anyDiffers = anyDiffers || other != first;
    }
    EXPECT_TRUE(anyDiffers) << "seven seeds, one game: the seed is not reaching the tie rule";
}

TEST(PbrainProcess, badCommandLineIsRefused) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--seed"}, {"--seed", "abc"}, {"--seed", "-1"}, {"--depth", "9"}}) {
        BrainProcess engine(arguments);
        const auto status = engine.waitExit(kExitLimit);
        ASSERT_TRUE(status);
        EXPECT_TRUE(WIFEXITED(*status));
        EXPECT_EQ(WEXITSTATUS(*status), 2);
    }
}

} // namespace
} // namespace kivola
