#include "stored_positions.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "kivola/core/saved_game.h"

namespace kivola::testing {

namespace fs = std::filesystem;

void writePosition(const fs::path& file, const Position& position) {
    MatchState state;
    for (const BoardPoint& stone : position.stones) {
        ++state.stepCount;
        state.stepX[state.stepCount] = static_cast<std::uint8_t>(stone.x);
        state.stepY[state.stepCount] = static_cast<std::uint8_t>(stone.y);
        state.stepSide[state.stepCount] =
            position.board[stone.x][stone.y] == kLocalStone ? kSideLocal : kSideOther;
    }
    const BoardPoint first = position.stones.front();
    state.computerFirst = position.board[first.x][first.y] == kOtherStone ? 1 : 0;
    const std::vector<std::uint8_t> bytes = EncodeSavedGame(state);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

namespace {

bool readPosition(const fs::path& file, Position& position) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const SavedGameDecoding decoded = DecodeSavedGame(bytes);
    if (!decoded.ok()) {
        return false;
    }
    position = Position{};
    for (const SavedStone& stone : decoded.game.stones) {
        position.board[stone.x][stone.y] = stone.side != 0 ? kLocalStone : kOtherStone;
        position.stones.push_back(BoardPoint{stone.x, stone.y});
    }
    return true;
}

}  // namespace

std::vector<CorpusEntry> loadCorpus(const fs::path& folder) {
    std::vector<CorpusEntry> corpus;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().extension() != ".rur") {
            continue;
        }
        CorpusEntry loaded{entry.path().stem().string(), {}};
        if (readPosition(entry.path(), loaded.position)) {
            corpus.push_back(std::move(loaded));
        } else {
            std::fprintf(stderr, "skipped %s: not a saved game\n", entry.path().string().c_str());
        }
    }
    std::sort(corpus.begin(), corpus.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return corpus;
}

}  // namespace kivola::testing
