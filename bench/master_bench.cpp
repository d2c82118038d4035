// The master on the stored positions: how deep it gets and how fast it searches in a budget, and
// how well it keeps a short budget (a search asked for 50 ms should be back within about 60).
// Times are wall-clock, as a player or a manager sees them.
//
//   master_bench [--positions=DIR] [--budget=MS] [--control=MS] [--repeat=N]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "kivola/core/saved_game.h"
#include "kivola/opponent/master.h"

namespace {

namespace fs = std::filesystem;

struct Entry {
    std::string name;
    kivola::MasterPosition position;
};

// The computer (code 2) is to move in every stored position; it is the master here.
bool readPosition(const fs::path& file, kivola::MasterPosition& position) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const kivola::SavedGameDecoding decoded = kivola::DecodeSavedGame(bytes);
    if (!decoded.ok()) {
        return false;
    }
    position = kivola::MasterPosition{};
    for (const kivola::SavedStone& stone : decoded.game.stones) {
        position.stones.push_back(kivola::MasterStone{kivola::BoardPoint{stone.x, stone.y},
                                                      stone.side != 0 ? kivola::kLocalStone : kivola::kOtherStone});
    }
    return true;
}

std::vector<Entry> loadCorpus(const fs::path& folder) {
    std::vector<Entry> corpus;
    std::error_code error;
    for (const fs::directory_entry& file : fs::directory_iterator(folder, error)) {
        Entry entry{file.path().stem().string(), {}};
        if (file.path().extension() == ".rur" && readPosition(file.path(), entry.position)) {
            corpus.push_back(std::move(entry));
        }
    }
    std::sort(corpus.begin(), corpus.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return corpus;
}

double milliseconds(std::chrono::microseconds elapsed) { return static_cast<double>(elapsed.count()) / 1000.0; }

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[at];
}

bool readInt(const char* arg, const char* name, int& value) {
    const std::size_t length = std::strlen(name);
    if (std::strncmp(arg, name, length) != 0) {
        return false;
    }
    value = std::atoi(arg + length);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    fs::path folder = KIVOLA_BENCH_POSITIONS;
    int budget = 1000;
    int control = 50;
    int repeat = 5;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--positions=", 12) == 0) {
            folder = argv[i] + 12;
        } else if (!readInt(argv[i], "--budget=", budget) && !readInt(argv[i], "--control=", control) &&
                   !readInt(argv[i], "--repeat=", repeat)) {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    }
    const std::vector<Entry> corpus = loadCorpus(folder);
    if (corpus.empty()) {
        std::fprintf(stderr, "no positions in %s\n", folder.string().c_str());
        return 1;
    }

    kivola::MasterOpponent master;
    std::printf("== %d ms per position: depth reached and speed\n", budget);
    std::printf("%-10s %6s %5s %12s %9s %8s\n", "position", "stones", "depth", "nodes", "knodes/s", "ms");
    std::vector<double> rates;
    std::vector<double> depths;
    for (const Entry& entry : corpus) {
        master.newGame();
        kivola::MasterLimits limits;
        limits.budget = std::chrono::milliseconds(budget);
        const kivola::MasterAnswer answer = master.FindComputerMove(entry.position, limits);
        const double ms = milliseconds(answer.elapsed);
        const double rate = static_cast<double>(answer.nodes) / std::max(ms, 0.001);
        std::printf("%-10s %6zu %5d %12llu %9.0f %8.1f%s\n", entry.name.c_str(), entry.position.stones.size(),
                    answer.depth, static_cast<unsigned long long>(answer.nodes), rate, ms,
                    answer.value > kivola::kMasterWinFloor ? "  (wins)" : (answer.value < -kivola::kMasterWinFloor ? "  (loses)" : ""));
        if (answer.value <= kivola::kMasterWinFloor && answer.value >= -kivola::kMasterWinFloor && answer.depth > 0) {
            rates.push_back(rate);
            depths.push_back(answer.depth);
        }
    }
    if (!rates.empty()) {
        std::printf("undecided positions: median depth %.0f (min %.0f), median %.0f knodes/s\n", percentile(depths, 0.5),
                    *std::min_element(depths.begin(), depths.end()), percentile(rates, 0.5));
    }

    std::printf("\n== time control: each position asked for %d ms, %d times\n", control, repeat);
    std::vector<double> times;
    for (int round = 0; round < repeat; ++round) {
        for (const Entry& entry : corpus) {
            master.newGame();
            kivola::MasterLimits limits;
            limits.budget = std::chrono::milliseconds(control);
            const auto started = std::chrono::steady_clock::now();
            master.FindComputerMove(entry.position, limits);
            times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count());
        }
    }
    const auto over = std::count_if(times.begin(), times.end(), [control](double ms) { return ms > control * 1.2; });
    std::printf("searches %zu: median %.1f ms, 99th percentile %.1f ms, worst %.1f ms; %lld over %.0f ms\n",
                times.size(), percentile(times, 0.5), percentile(times, 0.99),
                *std::max_element(times.begin(), times.end()), static_cast<long long>(over), control * 1.2);
    return 0;
}
