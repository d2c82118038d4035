#pragma once
// The master's board: any size up to 20 x 20 in a padded grid, with every empty cell's line
// patterns, threat and scores for both sides kept up to date as stones come and go.

#include <array>
#include <bit>
#include <cstdint>

#include "kivola/opponent/master.h"
#include "master_lines.h"

namespace kivola::master {

// Grid cell (x, y), 0-based on the board, at (y + kPad) * kStride + x + kPad. The padding is
// wall, deep enough that a line read never leaves the grid.
inline constexpr int kPad = kLineReach;
inline constexpr int kStride = 32;
inline constexpr int kGridRows = kMasterMaxSize + 2 * kPad;
inline constexpr int kGridCells = kStride * kGridRows;
inline constexpr int kMaxMoves = kMasterMaxSize * kMasterMaxSize;
static_assert(kMasterMaxSize + 2 * kPad <= kStride, "a row and its padding must fit the stride");

inline constexpr int kDirections = 4;
// Row, column, down-right diagonal, down-left diagonal.
inline constexpr std::array<int, kDirections> kStep{1, kStride, kStride + 1, kStride - 1};

inline constexpr std::uint8_t kEmptyCell = 0;
inline constexpr std::uint8_t kWallCell = 3;

constexpr int opponentOf(int side) { return 3 - side; }

// What a stone in an empty cell makes, over its four lines, for one side; strongest last.
enum Threat : std::uint8_t {
    kQuiet,
    kThree,       // one flex three: the next stone can make a flex four
    kBlockFour,   // one four with a single five point
    kDoubleThree, // two flex threes
    kFourThree,   // a four and a flex three
    kFlexFour,    // two five points (a flex four, or two fours): wins unless the opponent has a five
    kFiveMove,    // a five
    kThreats
};

Threat threatOf(const std::array<LinePattern, kDirections>& patterns);

// A set of grid cells as bits.
class CellSet {
public:
    void insert(int cell) { words_[cell >> 6] |= std::uint64_t{1} << (cell & 63); }
    void erase(int cell) { words_[cell >> 6] &= ~(std::uint64_t{1} << (cell & 63)); }
    bool contains(int cell) const { return ((words_[cell >> 6] >> (cell & 63)) & 1) != 0; }
    bool empty() const {
        for (std::uint64_t word : words_) {
            if (word != 0) {
                return false;
            }
        }
        return true;
    }
    // More than one cell.
    bool several() const {
        bool seen = false;
        for (std::uint64_t word : words_) {
            if (word != 0) {
                if (seen || (word & (word - 1)) != 0) {
                    return true;
                }
                seen = true;
            }
        }
        return false;
    }
    int first() const { // -1 when empty
        for (int w = 0; w < kWords; ++w) {
            if (words_[w] != 0) {
                return w * 64 + std::countr_zero(words_[w]);
            }
        }
        return -1;
    }
    template <class F>
    void forEach(F&& visit) const {
        for (int w = 0; w < kWords; ++w) {
            for (std::uint64_t bits = words_[w]; bits != 0; bits &= bits - 1) {
                visit(w * 64 + std::countr_zero(bits));
            }
        }
    }

private:
    static constexpr int kWords = (kGridCells + 63) / 64;
    std::array<std::uint64_t, kWords> words_{};
};

class Board {
public:
    Board(int width, int height, FiveRule rule);

    int width() const { return width_; }
    int height() const { return height_; }
    FiveRule rule() const { return rule_; }
    static constexpr int cellAt(int x, int y) { return (y + kPad) * kStride + x + kPad; }
    static constexpr int xOf(int cell) { return cell % kStride - kPad; }
    static constexpr int yOf(int cell) { return cell / kStride - kPad; }
    bool onBoard(int x, int y) const { return x >= 0 && x < width_ && y >= 0 && y < height_; }

    std::uint8_t content(int cell) const { return content_[cell]; }
    bool isEmpty(int cell) const { return content_[cell] == kEmptyCell; }
    int sideToMove() const { return toMove_; }
    void setSideToMove(int side);
    int stones() const { return moveCount_; }
    int emptyCells() const { return emptyCount_; }
    std::uint64_t hash() const { return hash_; }

    // A stone of side on an empty cell; the other side is to move next. Undone last in, first out.
    void place(int cell, int side);
    void undo();
    int lastMove() const { return moveCount_ > 0 ? moves_[moveCount_ - 1] : -1; }
    // A cell that neither side may use and that blocks lines like the edge; only before any stone.
    void wall(int cell);

    LinePattern pattern(int cell, int side, int direction) const { return patternFor(patterns_[cell][direction], side); }
    Threat threat(int cell, int side) const { return static_cast<Threat>(sums_[cell][side - 1].threat); }
    // How much the cell is worth to side's own attack: the base of move ordering.
    int attack(int cell, int side) const;
    // Empty cells where side makes a five, and where it makes a four (any four short of five).
    const CellSet& fives(int side) const { return fives_[side - 1]; }
    const CellSet& fours(int side) const { return fours_[side - 1]; }
    const CellSet& threes(int side) const { return threes_[side - 1]; }
    int count(int side, Threat threat) const { return counts_[side - 1][threat]; }
    // The sum over empty cells of what they are worth to side (see the evaluation weights).
    int potential(int side) const { return potential_[side - 1]; }

    // Empty cells within two of a stone, in either direction on both axes: the candidates.
    bool nearStones(int cell) const { return near_[cell] != 0; }
    // The stones' bounding box grown by two, clipped to the board (empty when no stone stands).
    struct Box {
        int x0, y0, x1, y1;
    };
    Box candidateBox() const;

private:
    // What a side keeps for an empty cell: sums over the cell's four lines.
    struct SideSums {
        std::int16_t attack = 0;
        std::int16_t worth = 0;
        std::uint16_t shape = 0; // fives, fours and flex threes counted, which decide the threat
        std::uint8_t threat = kQuiet;
    };

    void setLineBits(int cell, std::uint32_t bits);
    // An empty cell's line along direction d now reads packed.
    void changeLine(int cell, int direction, std::uint8_t packed);
    void leaveCell(int cell); // an empty cell is taken: its share of the sums goes
    void enterCell(int cell); // a cell is empty again: its sums are read afresh
    void moveThreat(int cell, int s, Threat from, Threat to);

    int width_;
    int height_;
    FiveRule rule_;
    const std::uint8_t* table_;
    int reach_; // how far along a line a stone changes what its neighbours read
    int toMove_ = kOtherStone;
    int moveCount_ = 0;
    int emptyCount_ = 0;
    std::uint64_t hash_ = 0;

    std::array<std::uint8_t, kGridCells> content_{};
    std::array<std::uint8_t, kGridCells> near_{};
    std::array<std::array<std::uint32_t, kDirections>, kGridCells> keys_{};
    // Read for empty cells only; a taken cell's are read again when it empties.
    std::array<std::array<std::uint8_t, kDirections>, kGridCells> patterns_{};
    std::array<std::array<SideSums, 2>, kGridCells> sums_{};
    std::array<CellSet, 2> fives_{};
    std::array<CellSet, 2> fours_{};
    std::array<CellSet, 2> threes_{};
    std::array<std::array<int, kThreats>, 2> counts_{};
    std::array<int, 2> potential_{};

    std::array<std::int16_t, kMaxMoves> moves_{};
    std::array<Box, kMaxMoves + 1> boxes_{}; // boxes_[n]: the stones' box with n stones placed
};

// Zobrist keys: one per grid cell and side, and one for side 2 to move.
std::uint64_t stoneKey(int cell, int side);
std::uint64_t sideKey();

} // namespace kivola::master
