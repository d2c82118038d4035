// What the window adds to the computer's answer: on the real main window (offscreen platform) at
// 高级, the time from the player's click to the computer's stone drawn, beside the bare search of
// the same position, in one run, over the stored corpus. A position of the corpus has the computer
// to move; the window is given it without the player's last stone, and the click places that stone.
//
//   window_bench [--positions=DIR] [--clicks=N] [--numbers] [--master] [benchmark flags]
//
// --numbers plays with 显示手数 on. --master clicks at 大师 instead: its stone comes later, from its
// own thread, and the summary gives the time from the click to that stone drawn (goal: 1 s).

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dialogs.h"
#include "form1.h"
#include "form2.h"
#include "guard.h"
#include "kivola/core/saved_game.h"
#include "kivola/opponent/opponent.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::uint64_t kSearchSeed = 20240607;

// Answers the open dialog with the prepared file; the result notice is not waited for.
class AnsweringDialogs final : public kivola::DialogService {
public:
    void showMessage(QWidget*, const QString&, const QString&) override {}
    bool askYesNo(QWidget*, const QString&, const QString&, int) override { return false; }
    QString chooseOpenFile(QWidget*, const QString&, const QString&, const QString&) override {
        ++asked;
        return file;
    }
    QString chooseSaveFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    void closeQuestion(int) override {}

    QString file;
    int asked = 0;
};

struct Entry {
    std::string name;
    QString before;                     // the position without the player's last stone
    kivola::BoardPoint click;           // that stone
    kivola::Board board = kivola::emptyBoard(); // the position itself, computer to move
    std::vector<kivola::BoardPoint> stones;
};

std::vector<Entry> loadCorpus(const fs::path& folder, const QTemporaryDir& scratch) {
    std::vector<Entry> corpus;
    std::error_code error;
    for (const fs::directory_entry& file : fs::directory_iterator(folder, error)) {
        if (file.path().extension() != ".rur") {
            continue;
        }
        std::ifstream in(file.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const kivola::SavedGameDecoding decoded = kivola::DecodeSavedGame(bytes);
        if (!decoded.ok() || decoded.game.stones.empty() || decoded.game.stones.back().side == 0) {
            std::fprintf(stderr, "skipped %s: not a game with the computer to move\n", file.path().c_str());
            continue;
        }
        Entry entry;
        entry.name = file.path().stem().string();
        for (const kivola::SavedStone& stone : decoded.game.stones) {
            entry.board[stone.x][stone.y] = stone.side != 0 ? kivola::kLocalStone : kivola::kOtherStone;
            entry.stones.push_back({stone.x, stone.y});
        }
        entry.click = entry.stones.back();
        std::vector<std::uint8_t> shorter(bytes.begin(),
                                          bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() - kivola::kSavedStoneBytes));
        shorter[0] = static_cast<std::uint8_t>(shorter[0] - 1);
        entry.before = scratch.filePath(QString::fromStdString(entry.name) + QStringLiteral(".rur"));
        QFile out(entry.before);
        if (!out.open(QIODevice::WriteOnly) ||
            out.write(reinterpret_cast<const char*>(shorter.data()), static_cast<qint64>(shorter.size())) !=
                static_cast<qint64>(shorter.size())) {
            continue;
        }
        corpus.push_back(std::move(entry));
    }
    std::sort(corpus.begin(), corpus.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return corpus;
}

// Notes the first paint of one widget, so the clock stops once that paint is done.
class PaintWatch : public QObject {
public:
    QString target; // the object name of the sprite the computer's stone gets
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !target.isEmpty() && watched->objectName() == target) {
            painted = true;
        }
        return false;
    }
};

// Thread CPU time leaves out what other processes on a loaded machine take; wall time is kept too.
struct Times {
    std::vector<double> cpu;
    std::vector<double> wall;
};

struct Samples {
    Times window;
    Times search;
    bool sameMove = true;
};

kivola::TForm1* window = nullptr;
bool masterLevel = false;
kivola::TForm2* opponentWindow = nullptr;
AnsweringDialogs* dialogs = nullptr;
PaintWatch* watch = nullptr;
std::map<std::string, Samples> samples;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void clickToDrawnStone(benchmark::State& state, const Entry* entry) {
    Samples& mine = samples[entry->name];
    for (auto _ : state) {
        // Outside the clock: a fresh seeded opponent, the position loaded through the open command.
        opponentWindow->computer() = kivola::ComputerPlayer(std::make_unique<kivola::SeededRandom>(kSearchSeed));
        // The level is locked while a game is on: end it, choose 高级 for the new opponent.
        window->findChild<QAction*>(QStringLiteral("N10"))->trigger();
        window->findChild<QAction*>(masterLevel ? QStringLiteral("check4") : QStringLiteral("check3"))->trigger();
        dialogs->file = entry->before;
        const int asked = dialogs->asked;
        window->findChild<QAction*>(QStringLiteral("actLoadGame"))->trigger();
        while (dialogs->asked == asked) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        const int stonesBefore = window->match().stepCount;
        if ((!masterLevel && opponentWindow->searchDepth() != kivola::kAdvancedDepth) ||
            window->match().playerCanMove != 1) {
            state.SkipWithError("the window is not waiting for the player's click at 高级");
            break;
        }
        QCoreApplication::processEvents();
        const QPoint at(28 * entry->click.x - 9, 28 * entry->click.y - 9);
        QWidget* const board = window->findChild<QWidget*>(QStringLiteral("qipanPicture"));
        QTest::mouseMove(board, at);
        QCoreApplication::processEvents();

        watch->painted = false;
        // Named before the click: the master's stone may be drawn before the wait below begins.
        watch->target = QStringLiteral("piece%1").arg(stonesBefore + 2);
        const double cpuStart = threadCpuMs();
        const Clock::time_point start = Clock::now();
        QTest::mouseClick(board, Qt::LeftButton, Qt::NoModifier, at);
        while (masterLevel && window->match().stepCount == stonesBefore + 1 && msSince(start) < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        if (window->match().stepCount != stonesBefore + 2) {
            state.SkipWithError("the click did not bring the computer's answer");
            break;
        }
        // The handler has returned; the stone is drawn by the next pass of the event loop.
        const Clock::time_point deadline = start + std::chrono::seconds(5);
        while (!watch->painted && Clock::now() < deadline) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        const double ms = msSince(start);
        const double cpu = threadCpuMs() - cpuStart;
        if (!watch->painted) {
            state.SkipWithError("the computer's stone was never drawn");
            break;
        }
        state.SetIterationTime(ms / 1e3);
        mine.window.cpu.push_back(cpu);
        mine.window.wall.push_back(ms);
        if (masterLevel) {
            continue;
        }
        const kivola::MatchState& after = window->match();
        const kivola::BoardPoint answer{after.stepX[after.stepCount], after.stepY[after.stepCount]};
        // The bare search of the same position, for the same answer.
        kivola::Opponent opponent;
        opponent.setSearchDepth(kivola::kAdvancedDepth);
        kivola::QuietProgress quiet;
        kivola::SeededRandom random(kSearchSeed);
        int x = 0;
        int y = 0;
        opponent.FindComputerMove(kivola::workBoardOf(entry->board), entry->stones, true, quiet, random, x, y);
        mine.sameMove = mine.sameMove && answer.x == x && answer.y == y;
    }
}

void bareSearch(benchmark::State& state, const Entry* entry) {
    Samples& mine = samples[entry->name];
    kivola::Opponent opponent;
    for (auto _ : state) {
        const kivola::WorkBoard board = kivola::workBoardOf(entry->board);
        opponent.setSearchDepth(kivola::kAdvancedDepth);
        kivola::QuietProgress quiet;
        kivola::SeededRandom random(kSearchSeed);
        int x = 0;
        int y = 0;
        const double cpuStart = threadCpuMs();
        const Clock::time_point start = Clock::now();
        opponent.FindComputerMove(board, entry->stones, true, quiet, random, x, y);
        const double ms = msSince(start);
        const double cpu = threadCpuMs() - cpuStart;
        benchmark::DoNotOptimize(x);
        state.SetIterationTime(ms / 1e3);
        mine.search.cpu.push_back(cpu);
        mine.search.wall.push_back(ms);
    }
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void printMasterSummary(int clicks) {
    std::vector<double> all;
    for (const auto& [name, s] : samples) {
        all.insert(all.end(), s.window.wall.begin(), s.window.wall.end());
    }
    if (all.empty()) {
        return;
    }
    const double worst = *std::max_element(all.begin(), all.end());
    const auto over = std::count_if(all.begin(), all.end(), [](double ms) { return ms > 1000.0; });
    std::printf("\n== 大师: click to its stone drawn over %zu positions, %d clicks each (wall time)\n", samples.size(),
                clicks);
    std::printf("median %.1f ms, worst %.1f ms; %ld of %zu over 1000 ms (goal: none)\n", median(all), worst,
                static_cast<long>(over), all.size());
}

void printSummary(int clicks) {
    struct Row {
        std::string name;
        double windowCpu, windowWall, searchCpu, searchWall;
    };
    std::vector<Row> rows;
    bool sameMoves = true;
    for (const auto& [name, s] : samples) {
        if (s.window.cpu.empty() || s.search.cpu.empty()) {
            continue;
        }
        rows.push_back({name, median(s.window.cpu), median(s.window.wall), median(s.search.cpu), median(s.search.wall)});
        sameMoves = sameMoves && s.sameMove;
    }
    if (rows.empty()) {
        return;
    }
    const auto column = [&](double Row::*field) {
        std::vector<double> values;
        for (const Row& r : rows) {
            values.push_back(r.*field);
        }
        return median(values);
    };
    std::vector<double> addedCpu;
    std::vector<double> addedWall;
    for (const Row& r : rows) {
        addedCpu.push_back(r.windowCpu - r.searchCpu);
        addedWall.push_back(r.windowWall - r.searchWall);
    }
    // The hardest position is the one the search alone takes longest over.
    const Row& hardest = *std::max_element(rows.begin(), rows.end(),
                                           [](const Row& a, const Row& b) { return a.searchCpu < b.searchCpu; });
    const Row& slowest = *std::max_element(rows.begin(), rows.end(),
                                           [](const Row& a, const Row& b) { return a.windowCpu < b.windowCpu; });
    std::printf("\n== summary over %zu positions at depth %d (thread CPU time, wall time in brackets; per position "
                "the median of %d)\n",
                rows.size(), kivola::kAdvancedDepth, clicks);
    std::printf("search alone:          median %.3f ms [%.3f], hardest %.3f ms [%.3f] (%s)\n", column(&Row::searchCpu),
                column(&Row::searchWall), hardest.searchCpu, hardest.searchWall, hardest.name.c_str());
    std::printf("click to stone drawn:  median %.3f ms [%.3f], hardest position %.3f ms [%.3f]; slowest %.3f ms (%s)\n",
                column(&Row::windowCpu), column(&Row::windowWall), hardest.windowCpu, hardest.windowWall,
                slowest.windowCpu, slowest.name.c_str());
    std::printf("the window adds:       median %.3f ms [%.3f], on the hardest position %.3f ms [%.3f] (goal: under 2 ms)\n",
                median(addedCpu), median(addedWall), hardest.windowCpu - hardest.searchCpu,
                hardest.windowWall - hardest.searchWall);
    std::printf("window and bare search answer the same: %s\n", sameMoves ? "yes" : "NO");
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    fs::path folder = KIVOLA_BENCH_POSITIONS;
    int clicks = 11;
    bool numbers = false;
    std::vector<char*> passed{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind("--positions=", 0) == 0) {
            folder = argument.substr(std::string("--positions=").size());
        } else if (argument.rfind("--clicks=", 0) == 0) {
            clicks = std::max(1, std::stoi(argument.substr(std::string("--clicks=").size())));
        } else if (argument == "--numbers") {
            numbers = true;
        } else if (argument == "--master") {
            masterLevel = true;
        } else {
            passed.push_back(argv[i]);
        }
    }
    // The player's own settings are neither read nor written.
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    int qtArgc = 1;
    kivola::KivolaApplication app(qtArgc, argv);
    QTemporaryDir scratch;
    const std::vector<Entry> corpus = loadCorpus(folder, scratch);
    if (corpus.empty()) {
        std::fprintf(stderr, "no positions in %s\n", folder.string().c_str());
        return 1;
    }

    AnsweringDialogs answering;
    // The opponent's holder outlives the window; each click re-seeds its opponent.
    kivola::TForm2 holder;
    opponentWindow = &holder;
    kivola::TForm1 form1(answering, holder.computer(), kivola::systemNetLibrary());
    form1.show();
    if (!QTest::qWaitForWindowExposed(&form1)) {
        std::fprintf(stderr, "the window was never shown\n");
        return 1;
    }
    PaintWatch paintWatch;
    app.installEventFilter(&paintWatch);
    window = &form1;
    dialogs = &answering;
    watch = &paintWatch;
    if (numbers) {
        form1.findChild<QAction*>(QStringLiteral("N17"))->trigger();
    }

    for (const Entry& entry : corpus) {
        if (masterLevel) {
            const std::string name = "click/master/window/" + entry.name;
            benchmark::RegisterBenchmark(name.c_str(), clickToDrawnStone, &entry)
                ->Unit(benchmark::kMillisecond)
                ->UseManualTime()
                ->Iterations(clicks);
            continue;
        }
        for (const bool inWindow : {true, false}) {
            const std::string name = std::string("click/depth9/") + (inWindow ? "window/" : "search/") + entry.name;
            auto* bench = benchmark::RegisterBenchmark(name.c_str(), inWindow ? clickToDrawnStone : bareSearch, &entry);
            bench->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(clicks);
        }
    }
    int count = static_cast<int>(passed.size());
    benchmark::Initialize(&count, passed.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    app.removeEventFilter(&paintWatch);
    if (masterLevel) {
        printMasterSummary(clicks);
    } else {
        printSummary(clicks);
    }
    window = nullptr;
    return 0;
}
