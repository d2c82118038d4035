#pragma once

// The stored positions of bench/positions: saved games read back as search positions, shared
// by the opponent benchmark and the node-signature test.

#include <filesystem>
#include <string>
#include <vector>

#include "test_positions.h"

namespace kivola::testing {

struct CorpusEntry {
    std::string name;  // the file name without .rur
    Position position;
};

// Saved with the computer (code 2) to move, as a game against the computer would be.
void writePosition(const std::filesystem::path& file, const Position& position);

// Every .rur file of the folder, sorted by name; a file that is not a saved game is skipped
// with a line on stderr.
std::vector<CorpusEntry> loadCorpus(const std::filesystem::path& folder);

}  // namespace kivola::testing
