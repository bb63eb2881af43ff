#pragma once
// The server's inner parts: the state every connection shares, and one connection.
// Everything here runs on the I/O thread unless it says otherwise.

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/thread_pool.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "service/http/http_server.h"

namespace ocrgated {

class HttpSession;

struct HttpServer::State : std::enable_shared_from_this<HttpServer::State> {
    State(HttpLimits limits_in, Routes routes_in)
        : limits(limits_in), routes(std::move(routes_in)), workers(limits.workers) {}

    void Accept();
    void CloseAll(bool even_if_busy);
    void Enter(const std::shared_ptr<HttpSession>& session, const std::string& client);
    void Leave(HttpSession* session, const std::string& client);

    const HttpLimits limits;
    const Routes routes;
    boost::asio::io_context io{1};
    boost::asio::thread_pool workers;
    boost::asio::ip::tcp::acceptor acceptor{io};

    std::atomic<std::size_t> in_flight{0}, open{0};
    std::atomic<bool> refusing{false};
    std::string refuse_reason;  // written before `refusing` is set

    // I/O thread only.
    bool accept_paused = false;
    std::unordered_map<std::string, std::size_t> per_client;
    std::unordered_map<HttpSession*, std::weak_ptr<HttpSession>> sessions;
};

class HttpSession : public std::enable_shared_from_this<HttpSession> {
  public:
    HttpSession(boost::asio::ip::tcp::socket socket, std::shared_ptr<HttpServer::State> state,
                bool over_capacity);
    void Start();
    // Closes the connection; unless `even_if_busy`, only when no request is being answered.
    void Close(bool even_if_busy);
    // A request a worker is still answering is answered now with a refusal that says
    // `reason`, and its work called off; the worker's reply, when it comes, is dropped.
    void Cut(const std::string& reason);
    const std::string& client() const { return client_; }

  private:
    void WaitForRequest();
    void ReadHead();
    void OnHead(boost::beast::error_code ec);
    void ReadBody();
    void OnBody(boost::beast::error_code ec);
    void Serve();
    void WatchForHangUp(std::shared_ptr<std::atomic<bool>> abandoned);
    void Refuse(int status, const std::string& reason);
    void Answer(HttpReply reply);
    void CloseGracefully();
    void Drain();
    std::size_t BytesIn() const;

    boost::beast::tcp_stream stream_;
    boost::beast::flat_buffer buffer_;
    std::optional<boost::beast::http::request_parser<boost::beast::http::string_body>> parser_;
    std::shared_ptr<HttpServer::State> state_;
    std::string peer_, client_;
    bool over_capacity_;
    bool busy_ = false;  // a request is read in full and not yet answered
    bool answering_ = false;  // its reply is being written
    bool cut_ = false;        // answered by Cut; the worker's reply is dropped
    std::shared_ptr<std::atomic<bool>> abandoned_;  // a worker's request, while it runs
    bool closed_ = false;
    std::chrono::steady_clock::time_point start_;
    std::array<char, 4096> scratch_{};
};

}  // namespace ocrgated
