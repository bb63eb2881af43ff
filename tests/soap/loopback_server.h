#pragma once
// A raw HTTP/1.1 server on 127.0.0.1 and an ephemeral port for tests: it captures every
// request byte for byte and answers with exact reply bytes. One thread per connection.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace testing_support {

struct ServerOptions {
    bool closeAfterReply = false;  // else connections are kept alive
    bool keepBodies = true;        // false: only request heads are recorded
};

class LoopbackServer {
  public:
    // Answers a request (head and body as received) with the bytes to send back.
    using Responder = std::function<std::string(const std::string& request)>;

    using Options = ServerOptions;

    // Each request gets the next reply in turn; the last one repeats.
    explicit LoopbackServer(std::vector<std::string> replies, Options options = ServerOptions());
    LoopbackServer(Responder responder, Options options);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t Port() const { return port_; }
    std::string Url(std::string_view target = "/ocrgate/ocrgate.asmx?WSDL") const;

    std::vector<std::string> Requests() const;
    int Connections() const { return connections_.load(); }

  private:
    void AcceptLoop();
    void Serve(int socket);
    bool ReadRequest(int socket, std::string& pending, std::string& request);

    Responder responder_;
    Options options_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    mutable std::mutex lock_;
    std::vector<std::string> requests_;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

// A reply with the given status line, content type and body, with its Content-Length.
std::string HttpReply(std::string_view status, std::string_view contentType, std::string_view body,
                      std::string_view extraHeaders = {});

// A port on 127.0.0.1 that refuses connections (bound once, then released).
std::uint16_t ClosedPort();

}  // namespace testing_support
