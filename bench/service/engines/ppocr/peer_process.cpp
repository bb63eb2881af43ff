#include "peer_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <thread>
#include <utility>

extern char** environ;

namespace bench {
namespace {

// Both ends of a pipe, closed with the object unless handed over.
struct Pipe {
    int ends[2] = {-1, -1};
    Pipe() {
        if (pipe2(ends, O_CLOEXEC) != 0)
            throw PeerUnavailable(std::string("pipe: ") + std::strerror(errno));
    }
    ~Pipe() {
        for (int end : ends)
            if (end >= 0)
                close(end);
    }
    int Release(int which) { return std::exchange(ends[which], -1); }
};

}  // namespace

PeerProcess::PeerProcess(const std::vector<std::string>& argv, const std::string& ready_line,
                         std::chrono::seconds limit) {
    // A peer that dies must not take the benchmark down with its input pipe.
    signal(SIGPIPE, SIG_IGN);
    Pipe in, out;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.ends[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out.ends[1], STDOUT_FILENO);
    std::vector<std::string> args = argv;
    std::vector<char*> pointers;
    for (auto& arg : args)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    const int failed =
        posix_spawnp(&pid_, args[0].c_str(), &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) {
        pid_ = -1;
        throw PeerUnavailable("cannot start " + args[0] + ": " + std::strerror(failed));
    }
    input_ = in.Release(1);
    output_ = out.Release(0);
    try {
        const std::string first = ReadLine(limit);
        if (first != ready_line)
            throw PeerUnavailable(args[0] + " said \"" + first + "\" instead of " + ready_line);
    } catch (...) {
        Stop();
        throw;
    }
}

PeerProcess::~PeerProcess() {
    Stop();
}

void PeerProcess::Stop() {
    if (input_ >= 0)
        close(std::exchange(input_, -1));
    if (output_ >= 0)
        close(std::exchange(output_, -1));
    if (pid_ < 0)
        return;
    // It ends at the end of its input; one that hangs is ended after a while.
    for (int waited = 0; waited < 100; ++waited) {
        if (waitpid(pid_, nullptr, WNOHANG) != 0) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

std::string PeerProcess::Ask(const std::string& line, std::chrono::seconds limit) {
    const std::string sent = line + "\n";
    for (std::size_t written = 0; written < sent.size();) {
        const ssize_t n = write(input_, sent.data() + written, sent.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw PeerUnavailable("the peer stopped reading its input");
        written += static_cast<std::size_t>(n);
    }
    return ReadLine(limit);
}

std::string PeerProcess::ReadLine(std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (const auto end = pending_.find('\n'); end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            throw PeerUnavailable("the peer did not answer within " +
                                  std::to_string(limit.count()) + " s");
        pollfd ready{output_, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char buffer[65536];
        const ssize_t n = read(output_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw PeerUnavailable("the peer ended");
        pending_.append(buffer, static_cast<std::size_t>(n));
    }
}

long ResidentKib(const std::string& process) {
    std::ifstream status("/proc/" + process + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

}  // namespace bench
