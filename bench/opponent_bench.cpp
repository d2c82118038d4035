// Time per computer move at depths 5 and 9 on a fixed corpus, production search against the
// same search on the reference evaluator, in one run; then a summary and a node-count
// signature that changes only when the search's behaviour changes.
//
//   opponent_bench [--positions=DIR] [--skip-reference] [benchmark flags]
//   opponent_bench --regenerate-corpus=DIR

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "kivola/opponent/opponent.h"
#include "literal_evaluator.h"
#include "search.h"
#include "self_play.h"
#include "stored_positions.h"

namespace {

using kivola::testing::CorpusEntry;
using kivola::testing::loadCorpus;
using kivola::testing::Position;
using kivola::testing::writePosition;
namespace fs = std::filesystem;

constexpr std::uint64_t kSearchSeed = 20240607;

// --- searches ---------------------------------------------------------------------------------

struct MoveResult {
    int x = 0;
    int y = 0;
    std::uint64_t nodes = 0;
};

// The production search as the game asks for it.
MoveResult searchOnce(kivola::Opponent& opponent, const Position& position, int depth) {
    opponent.setSearchDepth(depth);
    kivola::QuietProgress progress;
    kivola::SeededRandom random(kSearchSeed);
    MoveResult result;
    opponent.FindComputerMove(position.board, position.stones, true, progress, random, result.x, result.y);
    result.nodes = opponent.nodes();
    return result;
}

// The same search on the reference evaluator.
MoveResult referenceOnce(kivola::Search& search, const Position& position, int depth) {
    search.workBoard = position.board;
    search.searchDepth = depth;
    kivola::QuietProgress progress;
    kivola::SeededRandom random(kSearchSeed);
    kivola::oracle::LiteralEvaluator evaluator;
    MoveResult result;
    search.findMove(kivola::SearchTools<kivola::CellEvaluator>{evaluator, progress, random}, position.stones, true,
                    result.x, result.y);
    result.nodes = search.nodes();
    return result;
}

// --- corpus generation ------------------------------------------------------------------------

int regenerateCorpus(const fs::path& folder) {
    fs::create_directories(folder);
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".rur") {
            fs::remove(entry.path());
        }
    }
    // Mid-game positions: one per stone count 10, 12, ..., 56, each from the first self-played
    // game (seeds counted up from a fixed start) that gets that far.
    constexpr int kMidGames = 24;
    std::uint64_t seed = 1000;
    for (int k = 0; k < kMidGames; ++k) {
        const int stones = 10 + 2 * k;
        for (;; ++seed) {
            kivola::testing::SelfPlaySettings settings;
            settings.seed = seed;
            settings.randomOpening = 4 + static_cast<int>(seed % 9);
            settings.maxStones = stones + 1;
            const std::vector<Position> game = kivola::testing::selfPlayGame(settings);
            if (static_cast<int>(game.size()) >= stones) {
                char name[32];
                std::snprintf(name, sizeof name, "mid_%02d.rur", stones);
                writePosition(folder / name, game[stones - 1]);
                std::printf("%s from game %llu\n", name, static_cast<unsigned long long>(seed));
                ++seed;
                break;
            }
        }
    }
    // The hardest positions: the most nodes at depth 9 among every position (10 to 60 stones)
    // of 150 more games.
    std::vector<std::pair<std::uint64_t, Position>> scanned;
    kivola::Opponent opponent;
    for (std::uint64_t game = 5000; game < 5150; ++game) {
        kivola::testing::SelfPlaySettings settings;
        settings.seed = game;
        settings.randomOpening = 2 + static_cast<int>(game % 11);
        settings.maxStones = 61;
        for (Position& position : kivola::testing::selfPlayGame(settings)) {
            if (position.stones.size() >= 10) {
                scanned.emplace_back(searchOnce(opponent, position, kivola::kAdvancedDepth).nodes,
                                     std::move(position));
            }
        }
    }
    std::sort(scanned.begin(), scanned.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    constexpr int kHardest = 5;
    for (int k = 0; k < kHardest && k < static_cast<int>(scanned.size()); ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "hard_%d.rur", k + 1);
        writePosition(folder / name, scanned[k].second);
        std::printf("%s: %zu stones, %llu nodes at depth 9 (of %zu positions scanned)\n", name,
                    scanned[k].second.stones.size(), static_cast<unsigned long long>(scanned[k].first),
                    scanned.size());
    }
    return 0;
}

// --- benchmarks and summary -------------------------------------------------------------------

struct Measured {
    double wallMs = 0;
    double cpuMs = 0;
    std::uint64_t nodes = 0;
};

// (depth, reference) -> position name -> time per move
std::map<std::pair<int, bool>, std::map<std::string, Measured>> measurements;

double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void benchMove(benchmark::State& state, const CorpusEntry* entry, int depth, bool reference) {
    kivola::Opponent opponent;
    kivola::Search search;
    MoveResult result;
    const auto wallStart = std::chrono::steady_clock::now();
    const double cpuStart = threadCpuMs();
    for (auto _ : state) {
        result = reference ? referenceOnce(search, entry->position, depth) : searchOnce(opponent, entry->position, depth);
        benchmark::DoNotOptimize(result);
    }
    const double wall =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart).count();
    const double cpu = threadCpuMs() - cpuStart;
    const double iterations = static_cast<double>(state.iterations());
    measurements[{depth, reference}][entry->name] = Measured{wall / iterations, cpu / iterations, result.nodes};
    state.counters["nodes"] = static_cast<double>(result.nodes);
    state.SetLabel(std::to_string(entry->position.stones.size()) + " stones");
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void printSummary(const std::vector<CorpusEntry>& corpus) {
    std::printf("\n== summary over %zu positions (thread CPU time; wall time in brackets)\n", corpus.size());
    for (int depth : {kivola::kIntermediateDepth, kivola::kAdvancedDepth}) {
        const auto& production = measurements[{depth, false}];
        const auto& reference = measurements[{depth, true}];
        std::vector<double> cpu;
        std::vector<double> wall;
        std::vector<double> ratios;
        std::string hardest;
        double hardestMs = 0;
        std::uint64_t nodes = 0;
        bool nodesAgree = true;
        for (const auto& [name, measured] : production) {
            cpu.push_back(measured.cpuMs);
            wall.push_back(measured.wallMs);
            nodes += measured.nodes;
            if (measured.cpuMs > hardestMs) {
                hardestMs = measured.cpuMs;
                hardest = name;
            }
            const auto found = reference.find(name);
            if (found != reference.end()) {
                ratios.push_back(found->second.cpuMs / measured.cpuMs);
                nodesAgree = nodesAgree && found->second.nodes == measured.nodes;
            }
        }
        if (production.empty()) {
            continue;
        }
        std::printf("depth %d production: median %.3f ms [%.3f], hardest %.3f ms [%.3f] (%s, %llu nodes)\n", depth,
                    median(cpu), median(wall), hardestMs, production.at(hardest).wallMs, hardest.c_str(),
                    static_cast<unsigned long long>(production.at(hardest).nodes));
        if (!ratios.empty()) {
            std::vector<double> referenceCpu;
            for (const auto& [name, measured] : reference) {
                referenceCpu.push_back(measured.cpuMs);
            }
            std::printf("depth %d reference:  median %.3f ms; speed-up median %.0fx (min %.0fx, max %.0fx); "
                        "nodes %s\n",
                        depth, median(referenceCpu), median(ratios), *std::min_element(ratios.begin(), ratios.end()),
                        *std::max_element(ratios.begin(), ratios.end()), nodesAgree ? "identical" : "DIFFER");
        }
        std::printf("signature depth %d: %llu nodes\n", depth, static_cast<unsigned long long>(nodes));
    }
}

} // namespace

int main(int argc, char** argv) {
    fs::path folder = KIVOLA_BENCH_POSITIONS;
    bool withReference = true;
    std::vector<char*> passed{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind("--regenerate-corpus=", 0) == 0) {
            return regenerateCorpus(argument.substr(std::string("--regenerate-corpus=").size()));
        }
        if (argument.rfind("--positions=", 0) == 0) {
            folder = argument.substr(std::string("--positions=").size());
        } else if (argument == "--skip-reference") {
            withReference = false;
        } else {
            passed.push_back(argv[i]);
        }
    }
    const std::vector<CorpusEntry> corpus = loadCorpus(folder);
    if (corpus.empty()) {
        std::fprintf(stderr, "no positions in %s\n", folder.string().c_str());
        return 1;
    }
    for (int depth : {kivola::kIntermediateDepth, kivola::kAdvancedDepth}) {
        for (bool reference : {false, true}) {
            if (reference && !withReference) {
                continue;
            }
            for (const CorpusEntry& entry : corpus) {
                const std::string name = std::string("move/depth") + std::to_string(depth) +
                                         (reference ? "/reference/" : "/production/") + entry.name;
                auto* bench = benchmark::RegisterBenchmark(name.c_str(), benchMove, &entry, depth, reference);
                bench->Unit(benchmark::kMillisecond);
                if (reference) {
                    bench->MinTime(0.05); // seconds; one search can take longer than that
                }
            }
        }
    }
    int count = static_cast<int>(passed.size());
    benchmark::Initialize(&count, passed.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printSummary(corpus);
    return 0;
}
