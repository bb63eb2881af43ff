#include "support/service_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testing_support {
namespace {

// True when GET /healthz on the port answers 200.
bool Healthy(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    timeval timeout{2, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const std::string request = "GET /healthz HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
        if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(request.size())) {
            char buffer[256];
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n > 0)
                answer.assign(buffer, static_cast<std::size_t>(n));
        }
    }
    close(fd);
    return answer.rfind("HTTP/1.1 200", 0) == 0 || answer.rfind("HTTP/1.0 200", 0) == 0;
}

}  // namespace

std::string DeadEndpoint() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound = fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                       getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    if (fd >= 0)
        close(fd);
    if (!bound)
        throw std::runtime_error("cannot find a free loopback port");
    return "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) +
           "/ocrgate/ocrgate.asmx?WSDL";
}

std::vector<std::string> EphemeralArgs(int threads, std::vector<std::string> more) {
    std::vector<std::string> args{"--listen", "127.0.0.1:0", "--threads", std::to_string(threads)};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

ServiceProcess::ServiceProcess(const std::string& binary, const std::vector<std::string>& args) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe2 failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    std::vector<std::string> all{binary};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : all)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    // Reading all along keeps the service from ever blocking on a full pipe.
    reader_ = std::thread([this, fd = fds[0]] {
        char buffer[4096];
        for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) {
            std::lock_guard lock(mutex_);
            output_.append(buffer, static_cast<std::size_t>(n));
            grown_.notify_all();
        }
        close(fd);
    });
}

ServiceProcess::~ServiceProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        if (Wait(std::chrono::seconds(10)) < 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    if (reader_.joinable())
        reader_.join();  // the pipe ends with the process
}

bool ServiceProcess::WaitUntilHealthy(std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    const std::regex listening("listening on http://127\\.0\\.0\\.1:(\\d+)/");
    std::smatch match;
    const std::string output = ReadUntil(listening, limit);
    if (!std::regex_search(output, match, listening))
        return false;
    port_ = std::stoi(match[1].str());
    while (std::chrono::steady_clock::now() < deadline) {
        if (Healthy(port_))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::string ServiceProcess::Endpoint() const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/ocrgate/ocrgate.asmx?WSDL";
}

std::string ServiceProcess::Output() const {
    std::lock_guard lock(mutex_);
    return output_;
}

std::string ServiceProcess::ReadUntil(const std::regex& pattern, std::chrono::seconds limit) {
    std::unique_lock lock(mutex_);
    grown_.wait_for(lock, limit, [&] { return std::regex_search(output_, pattern); });
    return output_;
}

int ServiceProcess::Wait(std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (pid_ > 0 && std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            reader_.join();  // the rest of its output
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

void ServiceProcess::Signal(int signal) {
    if (pid_ > 0)
        kill(pid_, signal);
}

}  // namespace testing_support
