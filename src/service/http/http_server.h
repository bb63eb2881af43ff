#pragma once
// An event-driven HTTP/1.1 server on Boost.Beast: one I/O thread holds every
// connection, so a slow or idle client costs a socket, never a thread. Requests
// that do real work run on a separate pool of workers. Each request head and
// body must arrive within one deadline, however slowly the bytes trickle.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace ocrgated {

struct HttpRequest {
    std::string method;  // "GET", "POST"…
    std::string target;  // path and query as sent
    std::string body;
    std::string soap_action;  // the SOAPAction header, empty when absent
    std::string content_type;
    std::string peer;         // "127.0.0.1:50412"
    // Set once the client closes its connection while its request is being answered.
    std::shared_ptr<std::atomic<bool>> abandoned = std::make_shared<std::atomic<bool>>(false);
};

struct HttpReply {
    int status = 200;
    std::string content_type = "text/xml; charset=utf-8";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    bool close = false;           // end the connection after this reply
    std::string operation = "-";  // for the access log
    std::string outcome = "ok";   // ok, client_fault, server_fault, busy, cancelled
    std::string reason;           // a fault's reason word or error code, for the access log
    std::string note;             // more for the access log, e.g. "host=example.org"
};

// What one request was, for the access log and the metrics.
struct RequestRecord {
    std::string peer, operation, outcome, reason, note;
    int status = 0;
    std::size_t bytes_in = 0, bytes_out = 0;
    std::chrono::steady_clock::duration duration{};
};

struct HttpLimits {
    std::size_t max_body = 64u << 20;
    std::size_t max_target = 8192;  // longer request targets get 414
    std::size_t max_header = 16384;
    std::chrono::milliseconds request_timeout{15'000};  // the whole head and body
    std::chrono::milliseconds idle_timeout{5'000};      // between keep-alive requests
    std::size_t max_connections = 1024;
    std::size_t max_per_client = 256;
    int workers = 8;  // threads for requests that do real work
};

// A plain-text reply: `body` with `status`.
HttpReply TextReply(int status, std::string body);

class HttpServer {
  public:
    struct Routes {
        // Runs on a worker when it says true; on the I/O thread otherwise.
        std::function<bool(const HttpRequest&)> needs_worker;
        std::function<HttpReply(const HttpRequest&)> handle;
        // The one writer of replies to requests refused before their handler; `target`
        // is the request's, empty when its head was not read.
        std::function<HttpReply(int status, const std::string& reason, const std::string& target)>
            refuse;
        std::function<void(const RequestRecord&)> log;  // may be empty
    };

    HttpServer(HttpLimits limits, Routes routes);
    ~HttpServer();  // stops and joins
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Listens with the system's largest backlog; returns the port (0 picks one).
    // Throws std::runtime_error.
    int Listen(const std::string& host, int port);
    // Starts the I/O thread and the workers.
    void Start();
    // From now on every new request is answered 503 and its connection closed,
    // and connections that are not in the middle of a request are closed.
    void RefuseNewWork(const std::string& reason);
    // Every request still being answered by a worker is answered now with a 503 refusal
    // that says `reason`, and its work called off (its cancel flag set).
    void CutInFlight(const std::string& reason);
    // Requests read in full and not yet answered.
    std::size_t InFlight() const;
    std::size_t OpenConnections() const;
    // Stops the I/O thread and the workers; a handler still running on a worker
    // is waited for, its reply dropped.
    void Stop();

    struct State;  // shared with the connections

  private:
    std::shared_ptr<State> state_;
    std::thread io_thread_;
};

}  // namespace ocrgated
