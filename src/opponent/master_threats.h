#pragma once
// Threat-space solvers for the side to move: VCF wins by an unbroken chain of fours, each answered
// by its only block; VCT also uses threes, answered by every defence that stops the coming flex
// four (a stone on one of its points, or a four of the defender's own).
//
// Both answer the number of the attacker's stones up to and including the five (0: no win found
// within the limit), and the first of them. Proven results are kept by position, so a line met
// again from another order costs one look-up.

#include <cstdint>
#include <vector>

#include "master_board.h"
#include "master_clock.h"

namespace kivola::master {

class ThreatSolver {
public:
    explicit ThreatSolver(std::size_t entries = 1u << 18);

    // Within maxFours fours of the attacker's.
    int vcf(Board& board, Deadline& deadline, int maxFours, int& move);
    // Within maxThreats fours and threes of the attacker's, and nodeLimit nodes of this call.
    int vct(Board& board, Deadline& deadline, int maxThreats, std::uint64_t nodeLimit, int& move);
    void clear();

private:
    struct Entry {
        std::uint64_t key = 0;
        std::int16_t move = -1;
        std::uint8_t wins = 0;    // attacker's stones to the five; 0: none found
        std::int8_t failed = -1;  // the deepest limit at which none was found
    };

    int vcfNode(int fours, int& move);
    int vctAttack(int threats, int& move);
    int vctDefend(int threats);
    bool outOfNodes();
    void start(Board& board, Deadline& deadline, std::uint64_t nodeEnd);
    // The side to move makes a five now: the chain ends won.
    bool fiveAtHand(int me, int& move) const;
    // A result kept for this position at this limit or a deeper one: its answer, else -1.
    int recall(std::uint64_t key, int limit, int& move);
    void rememberWin(std::uint64_t key, int move, int wins);
    void rememberFailure(std::uint64_t key, int limit);
    Entry& entryFor(std::uint64_t key) { return table_[key & (table_.size() - 1)]; }

    std::vector<Entry> table_;
    Board* board_ = nullptr;
    Deadline* deadline_ = nullptr;
    std::uint64_t nodeEnd_ = 0;
};

} // namespace kivola::master
