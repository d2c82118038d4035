// The node counts of the three levels' search over the stored positions: any change to what the
// search visits (move order, pruning, tie rule) changes them, so such a change fails here and
// not only in the benchmark's printout.

#include <gtest/gtest.h>

#include <cstdint>

#include "kivola/opponent/opponent.h"
#include "kivola/opponent/random_source.h"
#include "kivola/opponent/search_progress.h"
#include "stored_positions.h"

namespace {

std::uint64_t nodesOverCorpus(const std::vector<kivola::testing::CorpusEntry>& corpus, int depth) {
    kivola::Opponent opponent;
    opponent.setSearchDepth(depth);
    std::uint64_t nodes = 0;
    for (const auto& entry : corpus) {
        kivola::QuietProgress progress;
        kivola::SeededRandom random(20240607);
        int x = 0;
        int y = 0;
        opponent.FindComputerMove(entry.position.board, entry.position.stones, true, progress, random, x, y);
        nodes += opponent.nodes();
    }
    return nodes;
}

TEST(NodeSignature, storedPositionsCostTheKnownNodesAtDepthsFiveAndNine) {
    const auto corpus = kivola::testing::loadCorpus(KIVOLA_STORED_POSITIONS);
    ASSERT_EQ(corpus.size(), 29u);
    EXPECT_EQ(nodesOverCorpus(corpus, kivola::kIntermediateDepth), 3123u);
    EXPECT_EQ(nodesOverCorpus(corpus, kivola::kAdvancedDepth), 50363u);
}

}  // namespace
