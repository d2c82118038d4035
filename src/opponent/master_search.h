#pragma once
// The master's main search: iterative deepening principal-variation search with a transposition
// table, over the cells near the stones ordered by their threats, with the threat solver first at
// the root and at the leaves.

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "kivola/opponent/master.h"
#include "master_board.h"
#include "master_clock.h"
#include "master_threats.h"

namespace kivola::master {

inline constexpr int kWin = 30000; // a five now; a win n plies away is worth kWin - n
inline constexpr int kMaxPly = 128;
static_assert(kWin - kMaxPly - 64 > kMasterWinFloor, "every mate score must read as one");

constexpr bool isMate(int value) { return value > kMasterWinFloor || value < -kMasterWinFloor; }

enum class Bound : std::uint8_t { None, Upper, Lower, Exact };

struct TableEntry {
    std::uint64_t key = 0;
    std::int16_t value = 0;
    std::int16_t move = -1;
    std::int8_t depth = -1;
    Bound bound = Bound::None;
    std::uint8_t generation = 0;
};

// Positions by Zobrist key, one slot each: a slot keeps the deeper result unless it is left from
// an earlier search. Mate values are stored as distances from the position, not the root.
class TranspositionTable {
public:
    explicit TranspositionTable(std::size_t megabytes);

    bool probe(std::uint64_t key, int ply, TableEntry& entry) const;
    void store(std::uint64_t key, int ply, int value, int move, int depth, Bound bound);
    void newSearch() { ++generation_; }
    // Asks the memory for a slot a coming probe will read.
    void prefetch(std::uint64_t key) const { __builtin_prefetch(&slots_[key & (slots_.size() - 1)]); }
    void clear();
    std::size_t size() const { return slots_.size(); }

private:
    std::vector<TableEntry> slots_;
    std::uint8_t generation_ = 0;
};

struct SearchStats {
    int depth = 0;
    int value = 0;
    int move = -1;
};

// What the search trades off; the defaults are the game's, benchmarks may try others.
struct Settings {
    int rootFours = 30;       // a VCF at the root may be this long
    int leafFours = 10;       // and at a leaf of the main search
    int rootThreats = 6;      // a VCT at the root: fours and threes
    std::uint64_t rootVctNodes = 200000;
    int vctShare = 5;         // the VCT's share of the time left: one part in this many
    int width = 10;           // moves tried at a node that is not forced
    int defencePercent = 75;  // what the opponent's value of a cell adds to its order
    int tempo = 405;          // the side to move's advantage in the evaluation
    int reduceFrom = 3;       // late moves from this one on are searched shallower first
    int safetyShare = 4;      // the root's check of its moves against the opponent's VCT
    int safetyThreats = 6;
    std::uint64_t safetyNodes = 20000; // for one move
};

class Engine {
public:
    explicit Engine(std::size_t tableMegabytes);

    MasterAnswer think(const MasterPosition& position, const MasterLimits& limits);
    void newGame();

    // The search on a board already set up, side to move as on it; onIteration hears of each
    // finished iteration.
    SearchStats searchBoard(Board& board, Deadline& deadline, int maxDepth,
                            const std::function<void(const SearchStats&)>& onIteration = {});
    TranspositionTable& table() { return table_; }
    Settings& settings() { return settings_; }

private:
    struct Move {
        int cell;
        int score;
    };
    using MoveList = std::vector<Move>;

    int search(int depth, int alpha, int beta, int ply, bool pvNode);
    int evaluate() const;
    // The moves worth trying here, best first; forced: the only move is a block.
    // At most width of them unless the opponent's threat narrows the choice already.
    void generate(MoveList& moves, int ttMove, int ply, int width, bool& forced) const;
    int rootSearch(MoveList& moves, int depth, int alpha, int beta, int& bestMove);
    // The first move of an immediate or forced result at the root, or -1.
    int decidedMove(int& value);
    static Deadline share(const Deadline& deadline, int parts);
    void dropRefuted(MoveList& moves, Deadline& deadline);

    Settings settings_;
    TranspositionTable table_;
    ThreatSolver solver_;
    Board* board_ = nullptr;
    Deadline* deadline_ = nullptr;
    std::array<MoveList, kMaxPly + 1> moveLists_;
    std::array<std::array<int, 2>, kMaxPly + 1> killers_{};
};

} // namespace kivola::master
