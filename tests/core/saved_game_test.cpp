// The .rur codec and the replay of a loaded game. Files come from anywhere, so this executable
// also runs under the address and undefined-behaviour sanitizers.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core_test_support.h"
#include "kivola/core/saved_game.h"

namespace kivola::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Op = RecordingDisplay::Op;
using Call = RecordingDisplay::Call;

struct RawStone {
    int x, y, side;
};

Bytes file(int count, int computerFirst, const std::vector<RawStone>& stones) {
    Bytes b{std::uint8_t(count), std::uint8_t(computerFirst)};
    for (const RawStone& s : stones) {
        b.insert(b.end(), {std::uint8_t(s.x), std::uint8_t(s.y), std::uint8_t(s.side)});
    }
    return b;
}

Bytes file(int computerFirst, const std::vector<RawStone>& stones) {
    return file(int(stones.size()), computerFirst, stones);
}

// Stones alternate from the first mover; local stones carry side byte 1.
std::vector<RawStone> alternate(const std::vector<Point>& points, int computerFirst) {
    std::vector<RawStone> stones;
    for (std::size_t i = 0; i < points.size(); ++i) {
        stones.push_back({points[i].x, points[i].y, isLocalStone(int(i) + 1, computerFirst) ? 1 : 0});
    }
    return stones;
}

// Local stones along row 2, answers along row 9: the local player's fifth stone (stone 9) wins.
std::vector<RawStone> localFiveGame() {
    std::vector<Point> points;
    for (int i = 1; i <= 5; ++i) {
        points.push_back({i + 3, 2});
        if (i < 5) {
            points.push_back({i + 3, 9});
        }
    }
    return alternate(points, 0);
}

std::vector<RawStone> drawGame(int computerFirst) { return alternate(drawGameOrder(), computerFirst); }

struct Loaded {
    MatchState state;
    RecordingDisplay display;
};

void load(Loaded& into, const Bytes& bytes) {
    const SavedGameDecoding decoded = DecodeSavedGame(bytes);
    ASSERT_TRUE(decoded.ok()) << "fault " << int(decoded.fault) << " at stone " << decoded.stone;
    ReplaySavedGame(into.state, into.display, decoded.game);
}

TEST(CoreSavedGameDecode, RefusesEveryBreachOfTheLimits) {
    Bytes tooMany = file(226, 0, std::vector<RawStone>(226, {1, 1, 1}));
    Bytes mostBytes(2 + 3 * 255, 1);
    mostBytes[0] = 255;
    const std::vector<RawStone> two = {{8, 8, 1}, {9, 9, 0}};
    struct Case {
        const char* name;
        Bytes bytes;
        SavedGameFault fault;
        int stone;
    };
    const Case cases[] = {
        {"empty file", {}, SavedGameFault::MissingHeader, 0},
        {"count only", {0}, SavedGameFault::MissingHeader, 0},
        {"226 stones", tooMany, SavedGameFault::TooManyStones, 0},
        {"255 stones", mostBytes, SavedGameFault::TooManyStones, 0},
        {"first mover 2", file(0, 2, {}), SavedGameFault::BadFirstMover, 0},
        {"first mover 255", file(1, 255, {{8, 8, 1}}), SavedGameFault::BadFirstMover, 0},
        {"header of one stone", file(1, 0, {}), SavedGameFault::Truncated, 0},
        {"stone cut short", Bytes{2, 0, 8, 8, 1, 9, 9}, SavedGameFault::Truncated, 0},
        {"column 0", file(0, {two[0], {0, 5, 0}}), SavedGameFault::PointOffBoard, 2},
        {"column 16", file(0, {two[0], {16, 5, 0}}), SavedGameFault::PointOffBoard, 2},
        {"row 0", file(0, {two[0], {5, 0, 0}}), SavedGameFault::PointOffBoard, 2},
        {"row 16", file(0, {two[0], {5, 16, 0}}), SavedGameFault::PointOffBoard, 2},
        {"column 255 first", file(0, {{255, 1, 1}}), SavedGameFault::PointOffBoard, 1},
        {"cell named twice", file(0, {two[0], two[1], {8, 8, 1}}), SavedGameFault::PointTakenTwice, 3},
        {"cell named twice by either side", file(1, {two[0], {8, 8, 0}}), SavedGameFault::PointTakenTwice, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SavedGameDecoding d = DecodeSavedGame(c.bytes);
        EXPECT_FALSE(d.ok());
        EXPECT_EQ(d.fault, c.fault);
        EXPECT_EQ(d.stone, c.stone);
        EXPECT_TRUE(d.game.stones.empty());
        EXPECT_EQ(d.actual, c.bytes.size());
    }
    const SavedGameDecoding cut = DecodeSavedGame(Bytes{2, 0, 8, 8, 1, 9, 9});
    EXPECT_EQ(cut.needed, 8u);
}

TEST(CoreSavedGameDecode, ReadsStonesAsWrittenAndIgnoresTrailingBytes) {
    const Bytes bytes = file(1, {{8, 8, 0}, {1, 15, 1}, {15, 1, 7}});
    Bytes trailing = bytes;
    trailing.insert(trailing.end(), {0, 0, 99, 16, 8, 8});
    for (const Bytes& b : {bytes, trailing}) {
        const SavedGameDecoding d = DecodeSavedGame(b);
        ASSERT_TRUE(d.ok());
        EXPECT_EQ(d.game.computerFirst, 1);
        ASSERT_EQ(d.game.stones.size(), 3u);
        const SavedStone last = d.game.stones[2];
        EXPECT_EQ(last.x, 15);
        EXPECT_EQ(last.y, 1);
        EXPECT_EQ(last.side, 7) << "the side byte is kept as read";
    }
    EXPECT_TRUE(DecodeSavedGame(file(0, drawGame(0))).ok()) << "225 stones fill the board exactly";
}

TEST(CoreSavedGameReplay, WritesBackTheSameBytes) {
    // Side bytes other than 0 and 1 place stones by zero/nonzero but are saved again unchanged.
    std::vector<RawStone> oddSides = {{8, 8, 1}, {9, 8, 0}, {8, 9, 7}, {7, 7, 0}, {2, 2, 255}};
    std::vector<RawStone> pastFive = localFiveGame();
    pastFive.push_back({14, 14, 0});
    pastFive.push_back({13, 14, 1});
    const std::pair<const char*, Bytes> cases[] = {
        {"no stone, local first", file(0, {})},
        {"no stone, computer first", file(1, {})},
        {"odd side bytes", file(0, oddSides)},
        {"stones after a five", file(0, pastFive)},
        {"full board", file(1, drawGame(1))},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        Loaded game;
        load(game, bytes);
        EXPECT_EQ(EncodeSavedGame(game.state), bytes);
        EXPECT_TRUE(consistent(game.state, game.display));

        Bytes trailing = bytes;
        trailing.insert(trailing.end(), {3, 3, 3});
        Loaded again;
        load(again, trailing);
        EXPECT_EQ(EncodeSavedGame(again.state), bytes) << "trailing bytes are never read";
    }
}

TEST(CoreSavedGameReplay, TurnFollowsStoneCountAndFirstMover) {
    const std::vector<Point> points = {{8, 8}, {9, 9}, {10, 8}};
    struct Case {
        int stones;
        int computerFirst;
        int playerCanMove;
    };
    const Case cases[] = {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}, {1, 1, 1}, {2, 0, 1}, {2, 1, 0}, {3, 0, 0}, {3, 1, 1}};
    for (const Case c : cases) {
        Loaded game;
        game.state.playerCanMove = std::uint8_t(1 - c.playerCanMove);
        load(game, file(c.computerFirst, alternate({points.begin(), points.begin() + c.stones}, c.computerFirst)));
        EXPECT_EQ(game.state.playerCanMove, c.playerCanMove)
            << c.stones << " stones, computerFirst " << c.computerFirst;
        EXPECT_EQ(game.state.computerFirst, c.computerFirst);
    }
}

TEST(CoreSavedGameReplay, FinishedGamesLoadFinished) {
    std::vector<RawStone> computerFive = localFiveGame();
    for (RawStone& s : computerFive) {
        s.side = 1 - s.side; // the same stones with the computer moving first and winning
    }
    std::vector<RawStone> pastFive = localFiveGame();
    pastFive.push_back({8, 8, 0});
    for (int i = 10; i <= 14; ++i) {
        pastFive.push_back({i, 12, 0}); // a later five of the other side does not count
    }
    struct Case {
        const char* name;
        Bytes bytes;
        int result;
    };
    const Case cases[] = {
        {"local five", file(0, localFiveGame()), kLocalStone},
        {"computer five", file(1, computerFive), kOtherStone},
        {"later stones", file(0, pastFive), kLocalStone},
        {"full board, local first", file(0, drawGame(0)), kDraw},
        {"full board, computer first", file(1, drawGame(1)), kDraw},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Loaded game;
        load(game, c.bytes);
        EXPECT_EQ(game.state.gameResult, c.result);
        EXPECT_EQ(game.state.stepCount, c.bytes[0]);
        EXPECT_TRUE(consistent(game.state, game.display));
    }
}

TEST(CoreSavedGameReplay, ReplacesTheGameOnTheBoardStoneByStone) {
    Loaded game;
    for (int n = 1; n <= 4; ++n) {
        place(game.state, game.display, {n, n}, isLocalStone(n, 0) ? 1 : 0);
    }
    game.state.gameStarted = 1;
    game.state.computerFirstOption = 0;
    game.state.gameResult = kLocalStone;
    game.display.calls.clear();

    const SavedGameDecoding decoded = DecodeSavedGame(file(1, {{15, 15, 0}, {14, 14, 1}, {13, 13, 0}}));
    ASSERT_TRUE(decoded.ok());
    std::vector<int> countsSeen;
    ReplaySavedGame(game.state, game.display, decoded.game,
                    [&] { countsSeen.push_back(game.state.stepCount); });

    EXPECT_EQ(countsSeen, (std::vector<int>{1, 2, 3})) << "the callback runs once per stone, after it";
    const std::vector<Call> expected = {{Op::Destroy, 1}, {Op::Destroy, 2}, {Op::Destroy, 3}, {Op::Destroy, 4},
                                        {Op::Create, 1},  {Op::Show, 1},    {Op::Create, 2},  {Op::Show, 2},
                                        {Op::Create, 3}};
    EXPECT_EQ(game.display.calls, expected);
    EXPECT_EQ(game.state.board[1][1], kEmpty);
    EXPECT_EQ(game.state.board[14][14], kLocalStone);
    EXPECT_EQ(game.state.board[13][13], kOtherStone);
    EXPECT_EQ(game.state.gameResult, kInProgress);
    EXPECT_EQ(game.state.computerFirst, 1);
    EXPECT_EQ(game.display.entries.at(1).colour, 1) << "the computer moved first";
    EXPECT_EQ(game.state.gameStarted, 1);
    EXPECT_EQ(game.state.computerFirstOption, 0);
    EXPECT_TRUE(consistent(game.state, game.display));
}

// Which limits a file breaks, found without the decoder.
std::set<SavedGameFault> breaches(const Bytes& b) {
    if (b.size() < 2) {
        return {SavedGameFault::MissingHeader};
    }
    std::set<SavedGameFault> found;
    const std::size_t count = b[0];
    if (count > 225) {
        found.insert(SavedGameFault::TooManyStones);
    }
    if (b[1] > 1) {
        found.insert(SavedGameFault::BadFirstMover);
    }
    if (b.size() < 2 + 3 * count) {
        found.insert(SavedGameFault::Truncated);
    }
    std::set<std::pair<int, int>> cells;
    for (std::size_t i = 0; i < count && 4 + 3 * i < b.size(); ++i) {
        const int x = b[2 + 3 * i];
        const int y = b[3 + 3 * i];
        if (x < 1 || x > 15 || y < 1 || y > 15) {
            found.insert(SavedGameFault::PointOffBoard);
        } else if (!cells.insert({x, y}).second) {
            found.insert(SavedGameFault::PointTakenTwice);
        }
    }
    return found;
}

TEST(CoreSavedGameFuzz, RandomAndMutatedFilesAreRefusedOrReplayCleanly) {
    std::mt19937 rng(0x52555255u);
    auto pick = [&rng](int n) { return int(rng() % unsigned(n)); };
    static constexpr std::uint8_t kEdgeBytes[] = {0, 1, 2, 14, 15, 16, 224, 225, 226, 255};
    int accepted = 0;
    int refused = 0;
    for (int round = 0; round < 8000; ++round) {
        Bytes bytes;
        if (pick(4) == 0) {
            bytes.resize(std::size_t(pick(40)));
            for (std::uint8_t& b : bytes) {
                b = std::uint8_t(pick(4) == 0 ? kEdgeBytes[pick(10)] : pick(256));
            }
        } else {
            // A well-formed game, then a few mutations.
            std::vector<Point> points;
            for (int x = 1; x <= 15; ++x) {
                for (int y = 1; y <= 15; ++y) {
                    points.push_back({x, y});
                }
            }
            std::shuffle(points.begin(), points.end(), rng);
            const int computerFirst = pick(2);
            points.resize(std::size_t(pick(2) == 0 ? pick(20) : pick(226)));
            bytes = file(computerFirst, alternate(points, computerFirst));
            for (int m = pick(4); m > 0; --m) {
                switch (pick(4)) {
                case 0:
                    bytes[std::size_t(pick(int(bytes.size())))] = kEdgeBytes[pick(10)];
                    break;
                case 1:
                    bytes[std::size_t(pick(int(bytes.size())))] = std::uint8_t(pick(256));
                    break;
                case 2:
                    bytes.resize(std::size_t(pick(int(bytes.size()) + 1)));
                    break;
                default:
                    bytes.push_back(std::uint8_t(pick(256)));
                    break;
                }
                if (bytes.empty()) {
                    break;
                }
            }
        }

        SCOPED_TRACE("round " + std::to_string(round));
        const Bytes exact = bytes; // a copy of exactly this size, so any read beyond it is caught
        const SavedGameDecoding d = DecodeSavedGame(exact);
        const std::set<SavedGameFault> found = breaches(exact);
        if (!d.ok()) {
            ++refused;
            ASSERT_TRUE(found.contains(d.fault)) << "refused for fault " << int(d.fault) << " it does not have";
            continue;
        }
        ++accepted;
        ASSERT_TRUE(found.empty()) << "accepted a file that breaks a limit";
        const std::size_t count = exact[0];
        ASSERT_EQ(d.game.stones.size(), count);

        // Replay over a game in progress, checking the result stone by stone against a model.
        Loaded game;
        place(game.state, game.display, {8, 8}, 1);
        Board model = game.state.board;
        for (int x = 1; x <= 15; ++x) {
            for (int y = 1; y <= 15; ++y) {
                model[x][y] = kEmpty;
            }
        }
        int expectedResult = kInProgress;
        std::size_t n = 0;
        ReplaySavedGame(game.state, game.display, d.game, [&] {
            const SavedStone& s = d.game.stones[n++];
            const BoardCode code = codeOf(s.side);
            if (expectedResult == kInProgress && completesFive(model, {s.x, s.y}, code)) {
                expectedResult = code;
            }
            model[s.x][s.y] = code;
            if (expectedResult == kInProgress && n == 225) {
                expectedResult = kDraw;
            }
            EXPECT_EQ(game.state.gameResult, expectedResult) << "after stone " << n;
        });
        ASSERT_EQ(n, count);
        ASSERT_EQ(game.state.board, model);
        ASSERT_TRUE(consistent(game.state, game.display));
        ASSERT_EQ(game.state.playerCanMove, (count % 2 == 0) == (exact[1] == 0) ? 1 : 0);
        ASSERT_EQ(EncodeSavedGame(game.state), Bytes(exact.begin(), exact.begin() + std::ptrdiff_t(2 + 3 * count)));
    }
    EXPECT_GT(accepted, 1000);
    EXPECT_GT(refused, 1000);
}

} // namespace
} // namespace kivola::test
