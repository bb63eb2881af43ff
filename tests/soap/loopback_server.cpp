#include "loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <stdexcept>

namespace testing_support {
namespace {

constexpr int kPollMs = 20;
constexpr auto kIdleLimit = std::chrono::seconds(15);

int ListenOnLoopback(std::uint16_t& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(fd);
        throw std::runtime_error("bind");
    }
    port = ntohs(addr.sin_port);
    return fd;
}

// Content-Length of a request head, 0 without one.
std::size_t ContentLength(std::string_view head) {
    for (std::size_t at = head.find("\r\n"); at != std::string_view::npos;
         at = head.find("\r\n", at + 2)) {
        const std::string_view line = head.substr(at + 2, head.find("\r\n", at + 2) - at - 2);
        if (line.size() > 15 && strncasecmp(line.data(), "Content-Length:", 15) == 0) {
            return std::stoul(std::string(line.substr(15)));
        }
    }
    return 0;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

LoopbackServer::LoopbackServer(std::vector<std::string> replies, Options options)
    : LoopbackServer(
          [replies = std::move(replies),
           next = std::make_shared<std::atomic<std::size_t>>(0)](const std::string&) {
              const std::size_t i = next->fetch_add(1);
              return replies.empty() ? std::string() : replies[std::min(i, replies.size() - 1)];
          },
          options) {}

LoopbackServer::LoopbackServer(Responder responder, Options options)
    : responder_(std::move(responder)), options_(options) {
    listener_ = ListenOnLoopback(port_);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    stop_ = true;
    acceptor_.join();
    for (auto& w : workers_)
        w.join();
    ::close(listener_);
}

std::string LoopbackServer::Url(std::string_view target) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(target);
}

std::vector<std::string> LoopbackServer::Requests() const {
    std::lock_guard guard(lock_);
    return requests_;
}

void LoopbackServer::AcceptLoop() {
    while (!stop_) {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, kPollMs) <= 0)
            continue;
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        ++connections_;
        std::lock_guard guard(lock_);
        workers_.emplace_back([this, fd] {
            Serve(fd);
            ::close(fd);
        });
    }
}

void LoopbackServer::Serve(int fd) {
    std::string pending, request;
    while (ReadRequest(fd, pending, request)) {
        const std::string reply = responder_(request);
        {
            std::lock_guard guard(lock_);
            if (!options_.keepBodies)
                request.resize(request.find("\r\n\r\n") + 4);
            requests_.push_back(std::move(request));
        }
        if (!WriteAll(fd, reply) || options_.closeAfterReply)
            return;
    }
}

// Reads one whole request (head and Content-Length body) into `request`.
bool LoopbackServer::ReadRequest(int fd, std::string& pending, std::string& request) {
    auto lastByte = std::chrono::steady_clock::now();
    std::size_t total = std::string::npos;
    char buffer[65536];
    while (!stop_) {
        if (total == std::string::npos) {
            const std::size_t end = pending.find("\r\n\r\n");
            if (end != std::string::npos)
                total = end + 4 + ContentLength(pending.substr(0, end));
        }
        if (total != std::string::npos && pending.size() >= total) {
            request = pending.substr(0, total);
            pending.erase(0, total);
            return true;
        }
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, kPollMs);
        if (ready == 0) {
            if (std::chrono::steady_clock::now() - lastByte > kIdleLimit)
                return false;
            continue;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        pending.append(buffer, static_cast<std::size_t>(n));
        lastByte = std::chrono::steady_clock::now();
    }
    return false;
}

std::string HttpReply(std::string_view status, std::string_view contentType, std::string_view body,
                      std::string_view extraHeaders) {
    std::string reply = "HTTP/1.1 " + std::string(status) + "\r\n";
    if (!contentType.empty())
        reply += "Content-Type: " + std::string(contentType) + "\r\n";
    reply += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    reply += extraHeaders;
    reply += "\r\n";
    reply += body;
    return reply;
}

std::uint16_t ClosedPort() {
    std::uint16_t port = 0;
    ::close(ListenOnLoopback(port));
    return port;
}

}  // namespace testing_support
