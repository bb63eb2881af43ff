// The ocrgated program itself: its command line, and a SIGTERM that lets the
// recognition in flight finish before the process exits 0.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <future>
#include <regex>

#include "render.h"
#include "running_service.h"
#include "soap_text.h"

extern char** environ;

namespace ocrgated::testing {
namespace {

// A child process whose stderr the test reads.
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
        out_ = fds[0];
    }
    ~Daemon() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
    }

    // Reads output until `pattern` matches or the time runs out; returns all read so far.
    std::string ReadUntil(const std::regex& pattern,
                          std::chrono::seconds limit = std::chrono::seconds(30)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!std::regex_search(output_, pattern) &&
               std::chrono::steady_clock::now() < deadline) {
            pollfd fd{out_, POLLIN, 0};
            if (poll(&fd, 1, 100) <= 0)
                continue;
            char buffer[1024];
            const ssize_t n = read(out_, buffer, sizeof buffer);
            if (n <= 0)
                break;
            output_.append(buffer, std::size_t(n));
        }
        return output_;
    }

    // Exit status, or -1 when the process does not end within the limit.
    int Wait(std::chrono::seconds limit = std::chrono::seconds(30)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                Drain();
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }
    void Signal(int signal) { kill(pid_, signal); }

    // Reads what is left once the process has gone.
    void Drain() {
        char buffer[1024];
        for (pollfd fd{out_, POLLIN, 0}; poll(&fd, 1, 1000) > 0;) {
            const ssize_t n = read(out_, buffer, sizeof buffer);
            if (n <= 0)
                break;
            output_.append(buffer, std::size_t(n));
        }
    }
    const std::string& output() const { return output_; }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string output_;
};

TEST(Daemon, CommandLine) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string says;
    };
    const Case cases[] = {
        {{"--version"}, 0, "ocrgated 0.1.0"},
        {{"--help"}, 0, "Usage: ocrgated [--listen ADDR:PORT]"},
        {{"--frobnicate"}, 2, "Unknown option --frobnicate"},
        {{"--threads", "0"}, 2, "--threads needs a number from 1"},
        {{"--listen", "localhost"}, 2, "--listen needs ADDR:PORT"},
        {{"--listen", "127.0.0.1:99999"}, 2, "--listen needs a number"},
        {{"--max-body"}, 2, "--max-body needs a value"},
        {{"--engine", "magic", "--listen", "127.0.0.1:0"}, 1, "Unknown engine \"magic\""},
        {{"--engine", "tesseract", "--languages", "xx_nope", "--listen", "127.0.0.1:0", "--threads",
          "1"},
         1,
         "cannot load the languages"},
    };
    for (const auto& c : cases) {
        Daemon daemon(c.args);
        EXPECT_EQ(daemon.Wait(), c.status) << c.args[0];
        EXPECT_NE(daemon.output().find(c.says), std::string::npos) << daemon.output();
    }
}

TEST(Daemon, SigtermFinishesTheRequestInFlightAndExitsZero) {
    Daemon daemon({"--listen", "127.0.0.1:0", "--threads", "1"});
    std::smatch match;
    const std::string started =
        daemon.ReadUntil(std::regex("listening on http://127\\.0\\.0\\.1:(\\d+)/"));
    const std::regex listening("listening on http://127\\.0\\.0\\.1:(\\d+)/");
    ASSERT_TRUE(std::regex_search(started, match, listening)) << started;
    const int port = std::stoi(match[1]);

    const auto picture =
        Render({1000, 300, kSansCjk, 44, {"停止之前完成识别", "Finish before stopping"}});
    auto answer = std::async(std::launch::async, [&] {
        httplib::Client client("127.0.0.1", port);
        client.set_read_timeout(60, 0);
        auto result =
            client.Post("/ocrgate/ocrgate.asmx?WSDL",
                        SoapRequest("imgbase64totext", "img", Base64(picture)), "text/xml");
        return result ? std::make_pair(result->status, result->body)
                      : std::make_pair(0, std::string());
    });
    // The engine's first recognition takes well over this; the request is in flight.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    daemon.Signal(SIGTERM);

    const auto [status, body] = answer.get();
    EXPECT_EQ(status, 200) << body;
    EXPECT_NE(ResultOf(body, "imgbase64totext").find("Finish before stopping"), std::string::npos)
        << body;
    EXPECT_EQ(daemon.Wait(), 0) << daemon.output();
    EXPECT_NE(daemon.output().find("stopping"), std::string::npos) << daemon.output();
    // One access-log line: time, peer, operation, status, bytes in and out, milliseconds.
    EXPECT_TRUE(std::regex_search(
        daemon.output(),
        std::regex(
            R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ 127\.0\.0\.1:\d+ imgbase64totext 200 in=\d+ out=\d+ [\d.]+ms)")))
        << daemon.output();
}

}  // namespace
}  // namespace ocrgated::testing
