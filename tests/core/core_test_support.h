#pragma once
// Test-only helpers for the game core: a recording stone display, a caller-side stone placement
// and checks written independently of the core's own line walks.

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "kivola/core/match_state.h"
#include "kivola/core/placement.h"
#include "kivola/core/stone_display.h"

namespace kivola::test {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(Point, Point) = default;
};

// The display table as the core sees it. Misuse (creating a live entry, touching a missing one)
// fails the running test at once, so every test that places stones checks the contract too.
class RecordingDisplay final : public StoneDisplay {
public:
    struct Entry {
        Point at;
        int colour = 0;
        bool visible = true;
        long z = 0; // higher is drawn above
    };
    enum class Op { Create, Show, Front, Destroy, StopBlink, StartBlink };
    struct Call {
        Op op;
        int k;
        friend bool operator==(const Call&, const Call&) = default;
    };

    std::map<int, Entry> entries;
    std::vector<Call> calls;
    bool blinking = false;
    int misuses = 0;

    void createPiece(int k, int x, int y, StoneColour colour) override {
        calls.push_back({Op::Create, k});
        if (entries.contains(k)) {
            misuse("created entry that already exists", k);
        }
        entries[k] = Entry{{x, y}, static_cast<int>(colour), true, ++topZ_};
    }
    void showPiece(int k) override {
        calls.push_back({Op::Show, k});
        if (Entry* e = live(k, "showed")) {
            e->visible = true;
        }
    }
    void bringPieceToFront(int k) override {
        calls.push_back({Op::Front, k});
        if (Entry* e = live(k, "brought to front")) {
            e->z = ++topZ_;
        }
    }
    void destroyPiece(int k) override {
        calls.push_back({Op::Destroy, k});
        if (live(k, "destroyed")) {
            entries.erase(k);
        }
    }
    void stopBlink() override {
        calls.push_back({Op::StopBlink, 0});
        blinking = false;
    }
    void startBlink() override {
        calls.push_back({Op::StartBlink, 0});
        blinking = true;
    }

    // What the blink does to the newest entry between two stones.
    void blinkOff(int k) {
        if (Entry* e = live(k, "blinked")) {
            e->visible = false;
        }
    }

private:
    Entry* live(int k, const char* what) {
        auto it = entries.find(k);
        if (it == entries.end()) {
            misuse(std::string(what) + " a missing entry", k);
            return nullptr;
        }
        return &it->second;
    }
    void misuse(const std::string& what, int k) {
        ++misuses;
        ADD_FAILURE() << "display misuse: " << what << " (k = " << k << ")";
    }

    long topZ_ = 0;
};

// Board code of a stone: 1 for the local player (side 1), 2 for the other side (side 0).
inline BoardCode codeOf(int side) { return side != 0 ? kLocalStone : kOtherStone; }
inline Side sideOf(int side) { return side != 0 ? Side::Local : Side::Other; }

inline void place(MatchState& state, StoneDisplay& display, Point p, int side) {
    AddPiece(state, display, {p.x, p.y}, sideOf(side));
}

inline void placeAll(MatchState& state, StoneDisplay& display, const std::vector<Point>& points, int side) {
    for (Point p : points) {
        place(state, display, p, side);
    }
}

// Stone n (1-based) belongs to the first mover when n is odd.
inline bool isLocalStone(int n, int computerFirst) { return (n % 2 == 1) == (computerFirst == 0); }

// Brute force over every window of five cells, with its own bounds test rather than the ring.
inline bool hasFive(const Board& board, int code) {
    static constexpr int kDirs[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
    for (int x = 1; x <= kBoardSize; ++x) {
        for (int y = 1; y <= kBoardSize; ++y) {
            if (board[x][y] != code) {
                continue;
            }
            for (const auto& d : kDirs) {
                int run = 1;
                for (int i = 1; i < 5; ++i) {
                    const int cx = x + i * d[0];
                    const int cy = y + i * d[1];
                    if (cx < 1 || cx > kBoardSize || cy < 1 || cy > kBoardSize || board[cx][cy] != code) {
                        break;
                    }
                    ++run;
                }
                if (run == 5) {
                    return true;
                }
            }
        }
    }
    return false;
}

// Would a stone of `code` at p complete five or more along some line through p?
inline bool completesFive(const Board& board, Point p, int code) {
    static constexpr int kDirs[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
    for (const auto& d : kDirs) {
        int run = 1;
        for (int sign : {1, -1}) {
            for (int i = 1; i < 5; ++i) {
                const int x = p.x + sign * i * d[0];
                const int y = p.y + sign * i * d[1];
                if (x < 1 || x > kBoardSize || y < 1 || y > kBoardSize || board[x][y] != code) {
                    break;
                }
                ++run;
            }
        }
        if (run >= 5) {
            return true;
        }
    }
    return false;
}

inline bool ringIntact(const Board& board) {
    for (int i = 0; i < kBoardSpan; ++i) {
        if (board[i][0] != -1 || board[i][kBoardSpan - 1] != -1 || board[0][i] != -1 ||
            board[kBoardSpan - 1][i] != -1) {
            return false;
        }
    }
    return true;
}

// The board, the history and the display table tell the same story.
inline testing::AssertionResult consistent(const MatchState& s, const RecordingDisplay& d) {
    if (!ringIntact(s.board)) {
        return testing::AssertionFailure() << "a ring cell was written";
    }
    if (d.entries.size() != s.stepCount ||
        (s.stepCount > 0 && (d.entries.begin()->first != 1 || d.entries.rbegin()->first != s.stepCount))) {
        return testing::AssertionFailure() << d.entries.size() << " display entries for stepCount "
                                           << int(s.stepCount);
    }
    int stones = 0;
    for (int x = 1; x <= kBoardSize; ++x) {
        for (int y = 1; y <= kBoardSize; ++y) {
            stones += s.board[x][y] != 0;
        }
    }
    if (stones != s.stepCount) {
        return testing::AssertionFailure() << stones << " stones on the board for stepCount " << int(s.stepCount);
    }
    long lastZ = 0;
    std::array<std::array<bool, kBoardSpan>, kBoardSpan> named{};
    auto entry = d.entries.begin();
    for (int k = 1; k <= s.stepCount; ++k, ++entry) {
        if (!isPlayingPoint(s.stepX[k], s.stepY[k]) || named[s.stepX[k]][s.stepY[k]]) {
            return testing::AssertionFailure() << "history entry " << k << " names an off-board or used point";
        }
        named[s.stepX[k]][s.stepY[k]] = true;
        const RecordingDisplay::Entry& e = entry->second;
        const int side = isLocal(s.stepSide[k]) ? 1 : 0;
        const int colour = s.computerFirst == 0 ? side : 1 - side;
        if (e.at != Point{s.stepX[k], s.stepY[k]} || e.colour != colour) {
            return testing::AssertionFailure() << "entry " << k << " does not show history entry " << k;
        }
        if (s.board[e.at.x][e.at.y] != codeOf(side)) {
            return testing::AssertionFailure() << "cell of stone " << k << " holds " << s.board[e.at.x][e.at.y];
        }
        if (!e.visible && k != s.stepCount) {
            return testing::AssertionFailure() << "older entry " << k << " is hidden";
        }
        if (e.z <= lastZ) {
            return testing::AssertionFailure() << "entry " << k << " is below an earlier one";
        }
        lastZ = e.z;
    }
    return testing::AssertionSuccess();
}

// A full board without five of either code: first mover on (x + 2y) mod 4 < 2, which gives
// runs of at most two along every line. 113 points for the first mover, 112 for the second.
inline bool drawPatternFirstMover(Point p) { return (p.x + 2 * p.y) % 4 < 2; }

// Every point of the draw pattern in playing order: first mover, second mover, alternately.
inline std::vector<Point> drawGameOrder() {
    std::vector<Point> first;
    std::vector<Point> second;
    for (int x = 1; x <= kBoardSize; ++x) {
        for (int y = 1; y <= kBoardSize; ++y) {
            (drawPatternFirstMover({x, y}) ? first : second).push_back({x, y});
        }
    }
    std::vector<Point> order;
    for (std::size_t i = 0; i < first.size(); ++i) {
        order.push_back(first[i]);
        if (i < second.size()) {
            order.push_back(second[i]);
        }
    }
    return order;
}

} // namespace kivola::test
