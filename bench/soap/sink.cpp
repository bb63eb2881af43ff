#include "sink.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <string_view>
#include <vector>

namespace bench_support {
namespace {

constexpr std::string_view kReply =
    "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 5\r\n\r\n<ok/>";

std::size_t ContentLength(std::string_view head) {
    const std::string_view name = "\r\ncontent-length:";
    for (std::size_t i = 0; i + name.size() < head.size(); ++i) {
        if (strncasecmp(head.data() + i, name.data(), name.size()) == 0) {
            return std::stoul(std::string(head.substr(i + name.size(), 24)));
        }
    }
    return 0;
}

}  // namespace

Sink::Sink() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listener_, 8) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Run(); });
}

Sink::~Sink() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
}

std::string Sink::Url() const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/ocrgate/ocrgate.asmx?WSDL";
}

void Sink::Run() {
    while (!stop_) {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        Serve(fd);
        ::close(fd);
    }
}

// Serves requests on one connection until the client closes it.
void Sink::Serve(int fd) {
    std::vector<char> buffer(1 << 20);
    std::string head;
    for (;;) {
        head.clear();
        std::size_t bodyRead = 0;
        while (head.find("\r\n\r\n") == std::string::npos) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0)
                return;
            const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
            if (n <= 0)
                return;
            head.append(buffer.data(), static_cast<std::size_t>(n));
        }
        const std::size_t end = head.find("\r\n\r\n") + 4;
        const std::size_t length = ContentLength(std::string_view(head).substr(0, end));
        bodyRead = head.size() - end;
        while (bodyRead < length) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0)
                return;
            const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
            if (n <= 0)
                return;
            bodyRead += static_cast<std::size_t>(n);
        }
        ++received_;
        if (::send(fd, kReply.data(), kReply.size(), MSG_NOSIGNAL) !=
            static_cast<ssize_t>(kReply.size())) {
            return;
        }
    }
}

}  // namespace bench_support
