#include "service_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <regex>
#include <thread>

extern char** environ;

namespace testing_support {
namespace {

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

ServiceProcess::ServiceProcess(const std::string& binary, int threads) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    std::vector<std::string> args = {binary, "--listen", "127.0.0.1:0", "--threads",
                                     std::to_string(threads)};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    out_ = fds[0];
    if (pid_ < 0)
        return;

    const std::regex listening("listening on http://127\\.0\\.0\\.1:(\\d+)/");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::smatch match;
    while (std::chrono::steady_clock::now() < deadline) {
        if (std::regex_search(output_, match, listening)) {
            port_ = std::stoi(match[1].str());
            return;
        }
        pollfd p{out_, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        char buffer[1024];
        const ssize_t n = read(out_, buffer, sizeof buffer);
        if (n <= 0)
            return;
        output_.append(buffer, static_cast<std::size_t>(n));
    }
}

ServiceProcess::~ServiceProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        for (int i = 0; i < 500; ++i) {  // up to 10 s for the requests in flight
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    if (out_ >= 0)
        close(out_);
}

std::string ServiceProcess::Endpoint() const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/ocrgate/ocrgate.asmx?WSDL";
}

bool RenderText(const std::string& path, const std::vector<std::string>& lines) {
    const int pointsize = 48;
    const int height = 110 * static_cast<int>(lines.size()) + 60;
    std::string command = "convert -size 900x" + std::to_string(height) +
                          " xc:white -fill black -font "
                          "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc -pointsize " +
                          std::to_string(pointsize);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        command += " -annotate +40+" + std::to_string(90 + 110 * static_cast<int>(i)) + " " +
                   Quote(lines[i]);
    }
    command += " " + Quote(path) + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

}  // namespace testing_support
