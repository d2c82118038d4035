#include "master_threats.h"

#include <algorithm>
#include <array>

namespace kivola::master {

namespace {

// Set apart from VCF results in the shared table: the same position can fail one and win the other.
constexpr std::uint64_t kVctKey = 0x5654435f6b657973ULL;

struct Ordered {
    int cell;
    int rank;
};

// The attacker's tries, most promising first: a four that also makes a flex three, then by the
// cell's attack value.
template <std::size_t N>
int orderTries(const Board& board, int side, const CellSet& set, std::array<Ordered, N>& out, int count = 0) {
    set.forEach([&](int cell) {
        if (count < static_cast<int>(N)) {
            const int bonus = board.threat(cell, side) == kFourThree ? 1 << 20 : 0;
            out[count++] = Ordered{cell, bonus + board.attack(cell, side)};
        }
    });
    return count;
}

// The point that makes a flex four for side; called only when there is one.
int flexFourPoint(const Board& board, int side) {
    int point = -1;
    board.fours(side).forEach([&](int cell) {
        if (board.threat(cell, side) == kFlexFour) {
            point = cell;
        }
    });
    return point;
}

template <std::size_t N>
void sortTries(std::array<Ordered, N>& tries, int count) {
    std::sort(tries.begin(), tries.begin() + count, [](const Ordered& a, const Ordered& b) { return a.rank > b.rank; });
}

} // namespace

ThreatSolver::ThreatSolver(std::size_t entries) : table_(std::bit_ceil(std::max<std::size_t>(entries, 1024))) {}

void ThreatSolver::clear() { std::fill(table_.begin(), table_.end(), Entry{}); }

bool ThreatSolver::outOfNodes() { return deadline_->tick() || deadline_->nodes() >= nodeEnd_; }

int ThreatSolver::recall(std::uint64_t key, int limit, int& move) {
    const Entry& entry = entryFor(key);
    if (entry.key != key) {
        return -1;
    }
    if (entry.wins > 0) {
        move = entry.move;
        return entry.wins;
    }
    return entry.failed >= limit ? 0 : -1;
}

void ThreatSolver::rememberWin(std::uint64_t key, int move, int wins) {
    entryFor(key) = Entry{key, static_cast<std::int16_t>(move), static_cast<std::uint8_t>(std::min(wins, 255)), -1};
}

// A win already proven here stays; a failure keeps the deepest limit it held at.
void ThreatSolver::rememberFailure(std::uint64_t key, int limit) {
    Entry& kept = entryFor(key);
    if (kept.key != key || kept.wins == 0) {
        kept = Entry{key, -1, 0, static_cast<std::int8_t>(std::max<int>(limit, kept.key == key ? kept.failed : -1))};
    }
}

void ThreatSolver::start(Board& board, Deadline& deadline, std::uint64_t nodeEnd) {
    board_ = &board;
    deadline_ = &deadline;
    nodeEnd_ = nodeEnd;
}

bool ThreatSolver::fiveAtHand(int me, int& move) const {
    if (board_->fives(me).empty()) {
        return false;
    }
    move = board_->fives(me).first();
    return true;
}

int ThreatSolver::vcf(Board& board, Deadline& deadline, int maxFours, int& move) {
    start(board, deadline, UINT64_MAX);
    return vcfNode(maxFours, move);
}

int ThreatSolver::vcfNode(int fours, int& move) {
    if (outOfNodes()) {
        return 0;
    }
    Board& board = *board_;
    const int me = board.sideToMove();
    const int opp = opponentOf(me);
    if (fiveAtHand(me, move)) {
        return 1;
    }
    const CellSet& oppFives = board.fives(opp);
    int forced = -1;
    if (!oppFives.empty()) {
        // The block must itself be a four, or the chain is broken.
        forced = oppFives.first();
        if (oppFives.several() || !(board.fours(me).contains(forced))) {
            return 0;
        }
    } else if (board.count(me, kFlexFour) > 0) {
        move = flexFourPoint(board, me);
        return 2;
    }
    if (fours <= 0) {
        return 0;
    }
    if (const int kept = recall(board.hash(), fours, move); kept >= 0) {
        return kept;
    }
    std::array<Ordered, 64> tries{};
    int count = 0;
    if (forced >= 0) {
        tries[count++] = Ordered{forced, 0};
    } else {
        count = orderTries(board, me, board.fours(me), tries);
        sortTries(tries, count);
    }
    for (int i = 0; i < count; ++i) {
        const int cell = tries[i].cell;
        board.place(cell, me);
        int found = 0;
        const CellSet& fivePoints = board.fives(me);
        if (fivePoints.several()) {
            found = 2; // two five points: the block of one leaves the other
        } else if (!fivePoints.empty()) {
            board.place(fivePoints.first(), opp);
            int next = -1;
            const int rest = vcfNode(fours - 1, next);
            found = rest > 0 ? rest + 1 : 0;
            board.undo();
        }
        board.undo();
        if (deadline_->stopped() || nodeEnd_ <= deadline_->nodes()) {
            return 0; // an unfinished answer proves nothing, and is not kept
        }
        if (found > 0) {
            move = cell;
            rememberWin(board.hash(), cell, found);
            return found;
        }
    }
    rememberFailure(board.hash(), fours);
    return 0;
}

int ThreatSolver::vct(Board& board, Deadline& deadline, int maxThreats, std::uint64_t nodeLimit, int& move) {
    start(board, deadline, deadline.nodes() + nodeLimit);
    return vctAttack(maxThreats, move);
}

int ThreatSolver::vctAttack(int threats, int& move) {
    if (outOfNodes()) {
        return 0;
    }
    Board& board = *board_;
    const int me = board.sideToMove();
    const int opp = opponentOf(me);
    if (fiveAtHand(me, move)) {
        return 1;
    }
    const CellSet& oppFives = board.fives(opp);
    if (!oppFives.empty()) {
        // A defender's four: block it, and the threat must still stand.
        if (oppFives.several()) {
            return 0;
        }
        const int block = oppFives.first();
        board.place(block, me);
        const int rest = vctDefend(threats);
        board.undo();
        if (rest > 0) {
            move = block;
            return rest + 1;
        }
        return 0;
    }
    if (board.count(me, kFlexFour) > 0) {
        move = flexFourPoint(board, me);
        return 2;
    }
    if (threats <= 0) {
        return 0;
    }
    const std::uint64_t key = board.hash() ^ kVctKey;
    if (const int kept = recall(key, threats, move); kept >= 0) {
        return kept;
    }
    std::array<Ordered, 128> tries{};
    int count = orderTries(board, me, board.fours(me), tries);
    const int fourCount = count;
    count = orderTries(board, me, board.threes(me), tries, count);
    for (int i = fourCount; i < count; ++i) {
        tries[i].rank -= 1 << 20; // threes after fours
    }
    sortTries(tries, count);
    for (int i = 0; i < count; ++i) {
        const int cell = tries[i].cell;
        board.place(cell, me);
        const int rest = vctDefend(threats - 1);
        board.undo();
        if (deadline_->stopped() || nodeEnd_ <= deadline_->nodes()) {
            return 0;
        }
        if (rest > 0) {
            move = cell;
            rememberWin(key, cell, rest + 1);
            return rest + 1;
        }
    }
    rememberFailure(key, threats);
    return 0;
}

// The defender to move after an attacker's threat: the attacker's stones still needed against the
// best defence, or 0 when some defence holds.
int ThreatSolver::vctDefend(int threats) {
    if (outOfNodes()) {
        return 0;
    }
    Board& board = *board_;
    const int me = board.sideToMove();
    const int attacker = opponentOf(me);
    if (!board.fives(me).empty()) {
        return 0;
    }
    const CellSet& attackerFives = board.fives(attacker);
    if (!attackerFives.empty()) {
        if (attackerFives.several()) {
            return 1;
        }
        board.place(attackerFives.first(), me);
        int next = -1;
        const int rest = vctAttack(threats, next);
        board.undo();
        return rest;
    }
    if (board.count(attacker, kFlexFour) == 0) {
        return 0; // nothing forces the defender
    }
    // Every defence against a coming flex four stands on one of the attacker's four points; a
    // four of the defender's own may also turn the tables.
    std::array<int, 128> defences{};
    int count = 0;
    auto add = [&](int cell) {
        if (count < static_cast<int>(defences.size())) {
            defences[count++] = cell;
        }
    };
    board.fours(attacker).forEach(add);
    board.fours(me).forEach([&](int cell) {
        if (!board.fours(attacker).contains(cell)) {
            add(cell);
        }
    });
    int worst = 0;
    for (int i = 0; i < count; ++i) {
        board.place(defences[i], me);
        int next = -1;
        const int rest = vctAttack(threats, next);
        board.undo();
        if (rest == 0) {
            return 0;
        }
        worst = std::max(worst, rest);
    }
    return worst;
}

} // namespace kivola::master
