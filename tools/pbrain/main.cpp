// pbrain-kivola: the game's computer opponent as a console engine for Gomoku managers.

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "kivola/pbrain/brain_protocol.h"
#include "kivola/pbrain/line_splitter.h"

namespace {

constexpr int kUsageExit = 2;

// Whole answer or nothing more: a manager that has gone away ends the engine.
bool writeAll(std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(STDOUT_FILENO, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Each answer goes out in one write, so it is flushed before the next line is read.
bool answer(kivola::BrainProtocol& brain, const kivola::InputLine& line) {
    for (const std::string& out : brain.handleLine(line.text, line.tooLong)) {
        if (!writeAll(out + "\n")) {
            return false;
        }
    }
    return true;
}

std::optional<std::uint64_t> parseSeed(const char* text) {
    std::uint64_t value = 0;
    const std::string_view view(text);
    if (view.empty() || view.front() == '-' || view.front() == '+') {
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text, &end, 10);
    if (errno != 0 || end != text + view.size()) {
        return std::nullopt;
    }
    return value;
}

void usage(std::FILE* to, const char* program) {
    std::fprintf(to,
                 "usage: %s [--seed N] [--level LEVEL]\n"
                 "Speaks the Gomoku brain protocol on standard input and output.\n"
                 "--seed N       repeatable play: seed the tie rule with N instead of the clock\n"
                 "--level LEVEL  the level until the manager sets one with INFO: beginner (初级),\n"
                 "               intermediate (中级) or advanced (高级, the default)\n"
                 "--help         show this and exit\n",
                 program);
}

int refuse(const char* program) {
    usage(stderr, program);
    return kUsageExit;
}

} // namespace

int main(int argc, char** argv) {
    std::optional<std::uint64_t> seed;
    std::optional<std::int32_t> level;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        if (arg == "--help") {
            usage(stdout, argv[0]);
            return 0;
        }
        if (arg == "--seed" && i + 1 < argc) {
            seed = parseSeed(argv[++i]);
            if (!seed) {
                return refuse(argv[0]);
            }
        } else if (arg == "--level" && i + 1 < argc) {
            level = kivola::levelDepth(argv[++i]);
            if (!level) {
                return refuse(argv[0]);
            }
        } else {
            return refuse(argv[0]);
        }
    }
    // A write to a closed pipe must end the engine through writeAll, not a signal.
    std::signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<kivola::SeededRandom> random;
    if (seed) {
        random = std::make_unique<kivola::SeededRandom>(*seed);
    } else {
        random = std::make_unique<kivola::ClockSeededRandom>();
    }
    kivola::BrainProtocol brain(*random, level.value_or(kivola::kDefaultLevel));
    kivola::LineSplitter splitter;
    std::vector<kivola::InputLine> lines;
    char buffer[4096];
    while (!brain.ended()) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            kivola::InputLine last;
            if (splitter.finish(last)) {
                answer(brain, last);
            }
            break;
        }
        lines.clear();
        splitter.feed(std::string_view(buffer, static_cast<std::size_t>(got)), lines);
        for (const kivola::InputLine& line : lines) {
            if (brain.ended() || !answer(brain, line)) {
                return 0;
            }
        }
    }
    return 0;
}
