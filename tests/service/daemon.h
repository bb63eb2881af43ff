#pragma once
// A child ocrgated whose output the test reads, and the port it listens on.

#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace ocrgated::testing {

// A child process whose output a thread collects as it comes, so that a
// chatty child never blocks on a full pipe.
class Daemon {
  public:
    explicit Daemon(const std::vector<std::string>& args) {
        int fds[2];
        if (pipe(fds) != 0)
            throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        std::vector<std::string> all{OCRGATED_BINARY};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& arg : all)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, OCRGATED_BINARY, &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        reader_ = std::thread([this, out = fds[0]] {
            char buffer[4096];
            for (ssize_t n; (n = read(out, buffer, sizeof buffer)) > 0;) {
                std::lock_guard lock(mutex_);
                output_.append(buffer, std::size_t(n));
            }
            close(out);
        });
    }
    ~Daemon() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        reader_.join();
    }
    Daemon(const Daemon&) = delete;
    Daemon& operator=(const Daemon&) = delete;

    // Waits until the output matches `pattern` or the time runs out; returns the output.
    std::string ReadUntil(const std::regex& pattern,
                          std::chrono::seconds limit = std::chrono::seconds(30)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            std::string seen = output();
            if (std::regex_search(seen, pattern) || std::chrono::steady_clock::now() > deadline)
                return seen;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    // Exit status, or -1 when the process does not end within the limit.
    int Wait(std::chrono::seconds limit = std::chrono::seconds(30)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                reader_.join();  // the rest of the output
                reader_ = std::thread([] {});
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }
    void Signal(int signal) { kill(pid_, signal); }

    std::string output() const {
        std::lock_guard lock(mutex_);
        return output_;
    }

  private:
    pid_t pid_ = -1;
    mutable std::mutex mutex_;
    std::string output_;
    std::thread reader_;
};

// Starts ocrgated on an ephemeral loopback port; port() is 0 when it never listened.
class ListeningDaemon : public Daemon {
  public:
    explicit ListeningDaemon(std::vector<std::string> args)
        : Daemon([&] {
              args.insert(args.begin(), {"--listen", "127.0.0.1:0"});
              return args;
          }()) {
        std::smatch match;
        const std::regex listening("listening on http://127\\.0\\.0\\.1:(\\d+)/");
        const std::string started = ReadUntil(listening);
        if (std::regex_search(started, match, listening))
            port_ = std::stoi(match[1]);
    }
    int port() const { return port_; }

  private:
    int port_ = 0;
};

// Waits, bounded, until /readyz answers 200: the engines are loaded.
inline bool WaitReady(int port) {
    httplib::Client client("127.0.0.1", port);
    for (int i = 0; i < 600; ++i) {
        if (auto result = client.Get("/readyz"); result && result->status == 200)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

}  // namespace ocrgated::testing
