#include "brain_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace kivola::testing {

namespace {

void closeIfOpen(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

} // namespace

BrainProcess::BrainProcess(const std::vector<std::string>& arguments) {
    // A write into the pipe of an engine that has exited must fail the call, not kill the tests.
    ::signal(SIGPIPE, SIG_IGN);
    int toEngine[2];
    int fromEngine[2];
    if (::pipe2(toEngine, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe failed";
        return;
    }
    if (::pipe2(fromEngine, O_CLOEXEC) != 0) {
        ::close(toEngine[0]);
        ::close(toEngine[1]);
        ADD_FAILURE() << "pipe failed";
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toEngine[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromEngine[1], STDOUT_FILENO);

    std::vector<std::string> argv{PBRAIN_EXECUTABLE};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (std::string& argument : argv) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    const int spawned = ::posix_spawn(&pid_, PBRAIN_EXECUTABLE, &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(toEngine[0]);
    ::close(fromEngine[1]);
    input_ = toEngine[1];
    output_ = fromEngine[0];
    if (spawned != 0) {
        pid_ = -1;
        ADD_FAILURE() << "cannot start " << PBRAIN_EXECUTABLE << ": error " << spawned;
    }
}

BrainProcess::~BrainProcess() {
    closeIfOpen(input_);
    if (pid_ > 0 && !status_) {
        // Our own child only, and only if it outlived the test.
        if (!waitExit(std::chrono::milliseconds(2000))) {
            ::kill(pid_, SIGKILL);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }
    closeIfOpen(output_);
}

bool BrainProcess::sendRaw(std::string_view bytes) {
    while (!bytes.empty()) {
        if (input_ < 0) {
            return false;
        }
        const ssize_t written = ::write(input_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::optional<std::string> BrainProcess::readLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto end = buffered_.find('\n');
        if (end != std::string::npos) {
            std::string line = buffered_.substr(0, end);
            buffered_.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (output_ < 0 || left.count() <= 0) {
            return std::nullopt;
        }
        pollfd wait{output_, POLLIN, 0};
        const int ready = ::poll(&wait, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return std::nullopt;
        }
        char chunk[4096];
        const ssize_t got = ::read(output_, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return std::nullopt; // the engine closed its output
        }
        buffered_.append(chunk, static_cast<std::size_t>(got));
    }
}

std::optional<std::string> BrainProcess::ask(std::string_view line, std::chrono::milliseconds timeout) {
    if (!send(line)) {
        return std::nullopt;
    }
    return readLine(timeout);
}

bool BrainProcess::silentFor(std::chrono::milliseconds wait) { return !readLine(wait).has_value(); }

void BrainProcess::closeInput() { closeIfOpen(input_); }

std::optional<int> BrainProcess::waitExit(std::chrono::milliseconds limit) {
    if (status_ || pid_ <= 0) {
        return status_;
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            status_ = status;
            return status_;
        }
        if (done < 0 && errno != EINTR) {
            return std::nullopt;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace kivola::testing
