#pragma once
// The real engine as a child process on two pipes, read with time-outs so that a silent or
// hung engine fails a test instead of blocking it.

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kivola::testing {

class BrainProcess {
public:
    // Starts the engine with these arguments; ADD_FAILURE and running() false if it cannot.
    explicit BrainProcess(const std::vector<std::string>& arguments = {});
    ~BrainProcess();
    BrainProcess(const BrainProcess&) = delete;
    BrainProcess& operator=(const BrainProcess&) = delete;

    bool running() const { return pid_ > 0 && !status_; }

    // Bytes as they are, line ends included.
    bool sendRaw(std::string_view bytes);
    // One line with the CR LF the manager puts after every line.
    bool send(std::string_view line) { return sendRaw(std::string(line) + "\r\n"); }
    // The next answer line without its end, or nothing if none came within the time-out.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout = kAnswerTimeout);
    // Sends a line and reads one answer.
    std::optional<std::string> ask(std::string_view line, std::chrono::milliseconds timeout = kAnswerTimeout);
    // True if no line arrives within the wait (for commands that have no answer).
    bool silentFor(std::chrono::milliseconds wait);
    // Closes the engine's input: end of file, as when a manager goes away.
    void closeInput();
    // The wait status once the engine has exited, or nothing if it still runs after the wait.
    std::optional<int> waitExit(std::chrono::milliseconds limit);

    // Generous: the slowest answer is a deep search, usually a few tens of milliseconds, but
    // the tests may run under sanitizers on a loaded machine.
    static constexpr std::chrono::milliseconds kAnswerTimeout{20000};

private:
    pid_t pid_ = -1;
    int input_ = -1;  // our end of the engine's standard input
    int output_ = -1; // our end of the engine's standard output
    std::string buffered_;
    std::optional<int> status_;
};

} // namespace kivola::testing
