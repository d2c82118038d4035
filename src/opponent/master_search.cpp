#include "master_search.h"

#include <algorithm>
#include <bit>
#include <memory>

namespace kivola::master {

namespace {

constexpr int kInfinity = kWin + 1;
constexpr int kKillerBonus = 300; // a move that refuted a sibling is tried before its equals
constexpr int kMostEvaluation = kMasterWinFloor / 2;

using Clock = Deadline::Clock;

// A mate value as seen one ply up or down, and the other way.
int toTable(int value, int ply) { return value > kMasterWinFloor ? value + ply : (value < -kMasterWinFloor ? value - ply : value); }
int fromTable(int value, int ply) { return value > kMasterWinFloor ? value - ply : (value < -kMasterWinFloor ? value + ply : value); }

} // namespace

// --- transposition table ----------------------------------------------------------------------

TranspositionTable::TranspositionTable(std::size_t megabytes)
    : slots_(std::bit_floor(std::max<std::size_t>(1024, megabytes * 1024 * 1024 / sizeof(TableEntry)))) {}

bool TranspositionTable::probe(std::uint64_t key, int ply, TableEntry& entry) const {
    const TableEntry& slot = slots_[key & (slots_.size() - 1)];
    if (slot.key != key || slot.bound == Bound::None) {
        return false;
    }
    entry = slot;
    entry.value = static_cast<std::int16_t>(fromTable(slot.value, ply));
    return true;
}

void TranspositionTable::store(std::uint64_t key, int ply, int value, int move, int depth, Bound bound) {
    TableEntry& slot = slots_[key & (slots_.size() - 1)];
    const bool same = slot.key == key;
    if (!same && slot.generation == generation_ && depth < slot.depth) {
        return; // a deeper result of this search stays
    }
    if (same && move < 0) {
        move = slot.move; // keep the best move known for the position
    }
    slot = TableEntry{key, static_cast<std::int16_t>(toTable(value, ply)), static_cast<std::int16_t>(move),
                      static_cast<std::int8_t>(std::clamp(depth, -1, 127)), bound, generation_};
}

void TranspositionTable::clear() {
    std::fill(slots_.begin(), slots_.end(), TableEntry{});
    generation_ = 0;
}

// --- search -----------------------------------------------------------------------------------

Engine::Engine(std::size_t tableMegabytes) : table_(tableMegabytes) {
    for (MoveList& list : moveLists_) {
        list.reserve(kMaxMoves);
    }
    // Built now, so that no move pays for them.
    linePatternTable(FiveRule::Freestyle);
    linePatternTable(FiveRule::ExactFive);
    stoneKey(0, 1);
}

void Engine::newGame() {
    table_.clear();
    solver_.clear();
}

int Engine::evaluate() const {
    const Board& board = *board_;
    const int me = board.sideToMove();
    const int value = board.potential(me) - board.potential(opponentOf(me)) + settings_.tempo;
    return std::clamp(value, -kMostEvaluation, kMostEvaluation);
}

void Engine::generate(MoveList& moves, int ttMove, int ply, int width, bool& forced) const {
    const Board& board = *board_;
    const int me = board.sideToMove();
    const int opp = opponentOf(me);
    moves.clear();
    forced = false;
    if (!board.fives(opp).empty()) {
        forced = true;
        moves.push_back(Move{board.fives(opp).first(), 0});
        return;
    }
    auto add = [&](int cell) {
        int score = board.attack(cell, me) + board.attack(cell, opp) * settings_.defencePercent / 100;
        if (cell == ttMove) {
            score = 1 << 24;
        } else if (cell == killers_[ply][0] || cell == killers_[ply][1]) {
            score += kKillerBonus;
        }
        moves.push_back(Move{cell, score});
    };
    if (board.count(opp, kFlexFour) > 0) {
        // The opponent makes a flex four next unless stopped: only a stone on one of its four
        // points, or a four of our own, can answer.
        CellSet answers = board.fours(opp);
        board.fours(me).forEach([&](int cell) { answers.insert(cell); });
        answers.forEach(add);
    } else {
        const Board::Box box = board.candidateBox();
        for (int y = box.y0; y <= box.y1; ++y) {
            for (int x = box.x0; x <= box.x1; ++x) {
                const int cell = Board::cellAt(x, y);
                if (board.isEmpty(cell) && board.nearStones(cell)) {
                    add(cell);
                }
            }
        }
    }
    const auto better = [](const Move& a, const Move& b) { return a.score > b.score; };
    if (width < static_cast<int>(moves.size()) && board.count(opp, kFlexFour) == 0) {
        std::partial_sort(moves.begin(), moves.begin() + width, moves.end(), better);
        moves.resize(static_cast<std::size_t>(width));
    } else {
        std::sort(moves.begin(), moves.end(), better);
    }
}

int Engine::search(int depth, int alpha, int beta, int ply, bool pvNode) {
    if (deadline_->tick()) {
        return 0;
    }
    Board& board = *board_;
    const int me = board.sideToMove();
    const int opp = opponentOf(me);
    if (!board.fives(me).empty()) {
        return kWin - (ply + 1);
    }
    if (board.emptyCells() == 0) {
        return 0;
    }
    const CellSet& oppFives = board.fives(opp);
    if (oppFives.several()) {
        return -(kWin - (ply + 2));
    }
    const bool blockNeeded = !oppFives.empty();
    if (!blockNeeded && board.count(me, kFlexFour) > 0) {
        return kWin - (ply + 3);
    }
    if (ply >= kMaxPly) {
        return evaluate();
    }

    TableEntry entry;
    int ttMove = -1;
    if (table_.probe(board.hash(), ply, entry)) {
        ttMove = entry.move;
        if (!pvNode && entry.depth >= depth) {
            if (entry.bound == Bound::Exact || (entry.bound == Bound::Lower && entry.value >= beta) ||
                (entry.bound == Bound::Upper && entry.value <= alpha)) {
                return entry.value;
            }
        }
    }

    if (depth <= 0 && !blockNeeded) {
        int move = -1;
        const int fours = solver_.vcf(board, *deadline_, settings_.leafFours, move);
        if (fours > 0) {
            return kWin - (ply + 2 * fours - 1);
        }
        return evaluate();
    }

    MoveList& moves = moveLists_[ply];
    bool forced = false;
    generate(moves, ttMove, ply, settings_.width, forced);
    if (moves.empty()) {
        return evaluate();
    }
    const int width = static_cast<int>(moves.size());
    const int originalAlpha = alpha;
    int best = -kInfinity;
    int bestMove = -1;
    for (int i = 0; i < width; ++i) {
        const int cell = moves[i].cell;
        const bool quiet = board.threat(cell, me) < kThree && board.threat(cell, opp) < kThree;
        const int newDepth = forced ? depth : depth - 1;
        int reduction = 0;
        if (!forced && i >= settings_.reduceFrom && depth >= 3 && quiet) {
            reduction = i >= 8 ? 2 : 1;
        }
        if (i + 1 < width) {
            table_.prefetch(board.hash() ^ stoneKey(moves[i + 1].cell, me) ^ sideKey());
        }
        board.place(cell, me);
        int value;
        if (i == 0) {
            value = -search(newDepth, -beta, -alpha, ply + 1, pvNode);
        } else {
            value = -search(newDepth - reduction, -alpha - 1, -alpha, ply + 1, false);
            if (value > alpha && reduction > 0 && !deadline_->stopped()) {
                value = -search(newDepth, -alpha - 1, -alpha, ply + 1, false);
            }
            if (value > alpha && value < beta && pvNode && !deadline_->stopped()) {
                value = -search(newDepth, -beta, -alpha, ply + 1, true);
            }
        }
        board.undo();
        if (deadline_->stopped()) {
            return 0;
        }
        if (value > best) {
            best = value;
            bestMove = cell;
            if (value > alpha) {
                alpha = value;
                if (alpha >= beta) {
                    if (killers_[ply][0] != cell) {
                        killers_[ply][1] = killers_[ply][0];
                        killers_[ply][0] = cell;
                    }
                    break;
                }
            }
        }
    }
    const Bound bound = best >= beta ? Bound::Lower : (best > originalAlpha ? Bound::Exact : Bound::Upper);
    table_.store(board.hash(), ply, best, bestMove, depth, bound);
    return best;
}

int Engine::rootSearch(MoveList& moves, int depth, int alpha, int beta, int& bestMove) {
    Board& board = *board_;
    const int me = board.sideToMove();
    int best = -kInfinity;
    bestMove = -1;
    for (std::size_t i = 0; i < moves.size(); ++i) {
        board.place(moves[i].cell, me);
        int value;
        if (i == 0) {
            value = -search(depth - 1, -beta, -alpha, 1, true);
        } else {
            value = -search(depth - 1, -alpha - 1, -alpha, 1, false);
            if (value > alpha && value < beta && !deadline_->stopped()) {
                value = -search(depth - 1, -beta, -alpha, 1, true);
            }
        }
        board.undo();
        if (deadline_->stopped()) {
            break; // the move was not searched to the end: its value means nothing
        }
        moves[i].score = value;
        if (value > best) {
            best = value;
            bestMove = moves[i].cell;
            alpha = std::max(alpha, value);
        }
    }
    return best;
}

int Engine::decidedMove(int& value) {
    const Board& board = *board_;
    const int me = board.sideToMove();
    const int opp = opponentOf(me);
    if (!board.fives(me).empty()) {
        value = kWin - 1;
        return board.fives(me).first();
    }
    if (!board.fives(opp).empty()) {
        // The only move: a second five point of the opponent's cannot be stopped anyway.
        value = board.fives(opp).several() ? -(kWin - 2) : 0;
        return board.fives(opp).first();
    }
    if (board.count(me, kFlexFour) > 0) {
        value = kWin - 3;
        int move = -1;
        board.fours(me).forEach([&](int cell) {
            if (move < 0 && board.threat(cell, me) == kFlexFour) {
                move = cell;
            }
        });
        return move;
    }
    return -1;
}

// A part of what is left of the budget: one part in parts of the time, and of the nodes.
Deadline Engine::share(const Deadline& deadline, int parts) {
    const Clock::time_point now = Clock::now();
    const Clock::time_point end =
        deadline.end() == Clock::time_point::max() ? deadline.end() : now + (deadline.end() - now) / parts;
    const std::uint64_t nodes =
        deadline.nodeLimit() == UINT64_MAX ? UINT64_MAX : (deadline.nodeLimit() - deadline.nodes()) / parts;
    return deadline.part(end, nodes);
}

// Root moves after which the opponent has a forced win by threats are dropped, best first as far
// as a share of the budget goes; unless every one of them loses.
void Engine::dropRefuted(MoveList& moves, Deadline& deadline) {
    Board& board = *board_;
    const int me = board.sideToMove();
    Deadline part = share(deadline, settings_.safetyShare);
    MoveList safe;
    std::size_t checked = 0;
    for (; checked < moves.size(); ++checked) {
        board.place(moves[checked].cell, me);
        int reply = -1;
        const bool lost = solver_.vct(board, part, settings_.safetyThreats, settings_.safetyNodes, reply) > 0;
        board.undo();
        if (part.stopped()) {
            break; // unfinished: this move and the rest stay, unproven
        }
        if (!lost) {
            safe.push_back(moves[checked]);
        }
    }
    deadline.countPart(part);
    if (safe.empty() && checked == moves.size()) {
        return; // every move loses: search them all for the longest defence
    }
    safe.insert(safe.end(), moves.begin() + static_cast<std::ptrdiff_t>(checked), moves.end());
    moves = std::move(safe);
}

SearchStats Engine::searchBoard(Board& board, Deadline& deadline, int maxDepth,
                                const std::function<void(const SearchStats&)>& onIteration) {
    board_ = &board;
    deadline_ = &deadline;
    table_.newSearch();
    for (auto& killers : killers_) {
        killers = {-1, -1};
    }
    SearchStats stats;
    int decided = decidedMove(stats.value);
    if (decided >= 0) {
        stats.move = decided;
        return stats;
    }
    MoveList moves;
    bool forced = false;
    generate(moves, -1, 0, kMaxMoves, forced);
    if (moves.empty()) {
        return stats;
    }
    // Stopped before anything is known, the best-ordered move is the answer.
    stats.move = moves.front().cell;
    int winning = -1;
    const int fours = solver_.vcf(board, deadline, settings_.rootFours, winning);
    if (fours > 0) {
        stats.move = winning;
        stats.value = kWin - (2 * fours - 1);
        return stats;
    }
    if (deadline.stopped()) {
        return stats;
    }
    // The VCT may take a share of the budget, never all of it.
    Deadline vctPart = share(deadline, settings_.vctShare);
    const int threats = solver_.vct(board, vctPart, settings_.rootThreats, settings_.rootVctNodes, winning);
    deadline.countPart(vctPart);
    if (threats > 0) {
        stats.move = winning;
        stats.value = kWin - (2 * threats - 1);
        return stats;
    }
    if (deadline.stopped()) {
        return stats;
    }
    dropRefuted(moves, deadline);
    stats.move = moves.front().cell;
    if (deadline.stopped() || moves.size() == 1) {
        return stats;
    }
    Clock::time_point iterationStart = Clock::now();
    std::uint64_t iterationNodes = deadline.nodes();
    double lastIteration = 0;
    for (int depth = 1; depth <= std::min(maxDepth, kMaxPly - 1); ++depth) {
        int bestMove = -1;
        const int value = rootSearch(moves, depth, -kInfinity, kInfinity, bestMove);
        if (bestMove >= 0) {
            // Complete, or cut short after a move searched to the end beat every other so far
            // (the previous best is searched first, so it is among those).
            stats.move = bestMove;
            stats.value = value;
        }
        if (deadline.stopped()) {
            break;
        }
        stats.depth = depth;
        if (onIteration) {
            onIteration(stats);
        }
        std::stable_sort(moves.begin(), moves.end(), [](const Move& a, const Move& b) { return a.score > b.score; });
        if (isMate(value)) {
            break;
        }
        // Stop deepening when the next iteration cannot finish: it costs a few times this one.
        const Clock::time_point now = Clock::now();
        const double thisIteration = std::chrono::duration<double>(now - iterationStart).count();
        const double growth = lastIteration > 1e-4 ? std::clamp(thisIteration / lastIteration, 1.5, 6.0) : 3.0;
        lastIteration = thisIteration;
        iterationStart = now;
        if (deadline.end() != Clock::time_point::max() &&
            now + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(thisIteration * growth)) >
                deadline.end()) {
            break;
        }
        const std::uint64_t used = deadline.nodes() - iterationNodes;
        iterationNodes = deadline.nodes();
        if (deadline.nodeLimit() != UINT64_MAX &&
            static_cast<double>(used) * growth > static_cast<double>(deadline.nodeLimit() - deadline.nodes())) {
            break;
        }
    }
    return stats;
}

MasterAnswer Engine::think(const MasterPosition& position, const MasterLimits& limits) {
    const Clock::time_point start = Clock::now();
    MasterAnswer answer;
    auto board = std::make_unique<Board>(position.width, position.height, position.rule);
    // Walls first: they may stand only on an empty board.
    for (const MasterStone& stone : position.stones) {
        const int x = stone.point.x - 1;
        const int y = stone.point.y - 1;
        if (stone.code == kRing && board->onBoard(x, y)) {
            board->wall(Board::cellAt(x, y));
        }
    }
    for (const MasterStone& stone : position.stones) {
        const int x = stone.point.x - 1;
        const int y = stone.point.y - 1;
        if ((stone.code == kLocalStone || stone.code == kOtherStone) && board->onBoard(x, y) &&
            board->isEmpty(Board::cellAt(x, y))) {
            board->place(Board::cellAt(x, y), stone.code);
        }
    }
    board->setSideToMove(kOtherStone);
    if (board->emptyCells() == 0) {
        return answer;
    }
    int move = -1;
    if (board->stones() == 0) {
        // The centre, or the free point nearest to it.
        const int cx = board->width() / 2;
        const int cy = board->height() / 2;
        int bestDistance = 1 << 20;
        for (int y = 0; y < board->height(); ++y) {
            for (int x = 0; x < board->width(); ++x) {
                const int distance = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                if (board->isEmpty(Board::cellAt(x, y)) && distance < bestDistance) {
                    bestDistance = distance;
                    move = Board::cellAt(x, y);
                }
            }
        }
    } else {
        Deadline deadline(start + limits.budget, limits.cancel, limits.maxNodes > 0 ? limits.maxNodes : UINT64_MAX);
        std::function<void(const SearchStats&)> report;
        if (limits.onIteration) {
            report = [&](const SearchStats& so) {
                MasterAnswer partial;
                partial.found = true;
                partial.move = BoardPoint{Board::xOf(so.move) + 1, Board::yOf(so.move) + 1};
                partial.depth = so.depth;
                partial.value = so.value;
                partial.nodes = deadline.nodes();
                partial.elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
                limits.onIteration(partial);
            };
        }
        const SearchStats stats = searchBoard(*board, deadline, limits.maxDepth, report);
        move = stats.move;
        answer.depth = stats.depth;
        answer.value = stats.value;
        answer.nodes = deadline.nodes();
    }
    if (move < 0 || !board->isEmpty(move)) {
        // Cancelled before anything was searched: any empty point near the stones will do.
        move = -1;
        for (int y = 0; y < board->height() && move < 0; ++y) {
            for (int x = 0; x < board->width() && move < 0; ++x) {
                const int cell = Board::cellAt(x, y);
                if (board->isEmpty(cell) && (board->nearStones(cell) || board->stones() == 0)) {
                    move = cell;
                }
            }
        }
        for (int cell = 0; cell < kGridCells && move < 0; ++cell) {
            if (board->isEmpty(cell)) {
                move = cell;
            }
        }
    }
    answer.found = true;
    answer.move = BoardPoint{Board::xOf(move) + 1, Board::yOf(move) + 1};
    answer.elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
    return answer;
}

} // namespace kivola::master
