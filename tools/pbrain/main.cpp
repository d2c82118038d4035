// pbrain-kivola: the game's computer opponent as a console engine for Gomoku managers.
//
// The main thread reads the manager's lines and hands them to the engine thread in order; it
// stops a search at once on YXSTOP or END (or when the manager goes away), which the engine
// thread, busy thinking, could not see.

#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

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

// Lines waiting for the engine thread. Bounded: a manager that floods a thinking engine is made
// to wait, not given memory without end.
class LineQueue {
public:
    static constexpr std::size_t kMostWaiting = 10000;

    void push(kivola::InputLine line) {
        std::unique_lock<std::mutex> lock(mutex_);
        room_.wait(lock, [this] { return lines_.size() < kMostWaiting; });
        lines_.push_back(std::move(line));
        ready_.notify_one();
    }
    void close() {
        const std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        ready_.notify_one();
    }
    // False once closed and empty.
    bool pop(kivola::InputLine& line) {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [this] { return closed_ || !lines_.empty(); });
        if (lines_.empty()) {
            return false;
        }
        line = std::move(lines_.front());
        lines_.pop_front();
        room_.notify_one();
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::condition_variable room_;
    std::deque<kivola::InputLine> lines_;
    bool closed_ = false;
};

// The first word of a line, in capitals, as the engine reads commands.
std::string commandWord(const kivola::InputLine& line) {
    if (line.tooLong) {
        return {};
    }
    const auto first = line.text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    const auto end = line.text.find_first_of(" \t", first);
    std::string word = line.text.substr(first, end == std::string::npos ? std::string::npos : end - first);
    for (char& c : word) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return word;
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
                 "--seed N       repeatable play of the fixed-depth levels: seed their tie rule with N\n"
                 "               instead of the clock\n"
                 "--level LEVEL  the level until the manager sets one with INFO: beginner (初级),\n"
                 "               intermediate (中级), advanced (高级) or master (大师, the default)\n"
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
            level = kivola::levelNamed(argv[++i]);
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
    LineQueue queue;
    std::thread engine([&] {
        kivola::InputLine line;
        while (!brain.ended() && queue.pop(line)) {
            if (!answer(brain, line)) {
                std::_Exit(0); // the manager has gone; the reader may be waiting on it for ever
            }
        }
    });

    kivola::LineSplitter splitter;
    std::vector<kivola::InputLine> lines;
    char buffer[4096];
    bool ending = false;
    while (!ending) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        lines.clear();
        if (got <= 0) {
            kivola::InputLine last;
            if (splitter.finish(last)) {
                lines.push_back(std::move(last));
            }
            ending = true;
            brain.requestStop(); // nobody is waiting for the answer
        } else {
            splitter.feed(std::string_view(buffer, static_cast<std::size_t>(got)), lines);
        }
        for (kivola::InputLine& line : lines) {
            const std::string word = commandWord(line);
            if (word == "YXSTOP" || word == "END") {
                brain.requestStop();
            }
            queue.push(std::move(line));
            if (word == "END") {
                ending = true;
                break;
            }
        }
    }
    queue.close();
    engine.join();
    return 0;
}
