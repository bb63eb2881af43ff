#include "service/http/http_server.h"

#include <boost/asio/ip/address.hpp>
#include <boost/asio/post.hpp>

#include <stdexcept>

#include "service/http/http_session.h"

namespace ocrgated {
namespace {

namespace net = boost::asio;
using tcp = net::ip::tcp;

// Connections past the caps are still read and answered 503 up to this many at
// once; beyond it the server stops accepting and lets the backlog hold them.
constexpr std::size_t kRefusingSlack = 64;

}  // namespace

void HttpServer::State::Accept() {
    if (sessions.size() >= limits.max_connections + kRefusingSlack) {
        accept_paused = true;
        return;
    }
    acceptor.async_accept(io, [this](boost::system::error_code ec, tcp::socket socket) {
        if (ec == net::error::operation_aborted || !acceptor.is_open())
            return;
        if (!ec) {
            boost::system::error_code ignored;
            const auto remote = socket.remote_endpoint(ignored);
            const std::string client = ignored ? "-" : remote.address().to_string();
            const auto known = per_client.find(client);
            const bool over = sessions.size() >= limits.max_connections ||
                              (known != per_client.end() && known->second >= limits.max_per_client);
            auto session =
                std::make_shared<HttpSession>(std::move(socket), shared_from_this(), over);
            Enter(session, client);
            session->Start();
        }
        Accept();
    });
}

void HttpServer::State::Enter(const std::shared_ptr<HttpSession>& session,
                              const std::string& client) {
    sessions.emplace(session.get(), session);
    ++per_client[client];
    ++open;
}

void HttpServer::State::Leave(HttpSession* session, const std::string& client) {
    if (sessions.erase(session) == 0)
        return;
    if (const auto known = per_client.find(client);
        known != per_client.end() && --known->second == 0)
        per_client.erase(known);
    --open;
    if (accept_paused && acceptor.is_open()) {
        accept_paused = false;
        Accept();
    }
}

HttpServer::HttpServer(HttpLimits limits, Routes routes)
    : state_(std::make_shared<State>(limits, std::move(routes))) {}

HttpServer::~HttpServer() {
    Stop();
}

int HttpServer::Listen(const std::string& host, int port) {
    boost::system::error_code ec;
    const auto address = net::ip::make_address(host, ec);
    if (ec)
        throw std::runtime_error("Cannot listen on " + host + ": not an IP address");
    const tcp::endpoint endpoint(address, static_cast<unsigned short>(port));
    auto& acceptor = state_->acceptor;
    acceptor.open(endpoint.protocol(), ec);
    if (!ec)
        acceptor.set_option(net::socket_base::reuse_address(true), ec);
    if (!ec)
        acceptor.bind(endpoint, ec);
    // The system's largest backlog (SOMAXCONN), so that a burst waits instead of being reset.
    if (!ec)
        acceptor.listen(net::socket_base::max_listen_connections, ec);
    if (ec)
        throw std::runtime_error("Cannot listen on " + host + ":" + std::to_string(port) + ": " +
                                 ec.message());
    return acceptor.local_endpoint().port();
}

void HttpServer::Start() {
    net::post(state_->io, [state = state_] { state->Accept(); });
    io_thread_ = std::thread([state = state_] { state->io.run(); });
}

void HttpServer::RefuseNewWork(const std::string& reason) {
    state_->refuse_reason = reason;
    state_->refusing = true;
    net::post(state_->io, [state = state_] { state->CloseAll(false); });
}

void HttpServer::State::CloseAll(bool even_if_busy) {
    // Copy first: closing a connection removes it from the map.
    std::vector<std::shared_ptr<HttpSession>> open;
    for (const auto& [key, weak] : sessions) {
        if (auto session = weak.lock())
            open.push_back(std::move(session));
    }
    for (const auto& session : open)
        session->Close(even_if_busy);
}

void HttpServer::CutInFlight(const std::string& reason) {
    net::post(state_->io, [state = state_, reason] {
        for (const auto& [key, weak] : state->sessions) {
            if (auto session = weak.lock())
                session->Cut(reason);
        }
    });
}

std::size_t HttpServer::InFlight() const {
    return state_->in_flight;
}

std::size_t HttpServer::OpenConnections() const {
    return state_->open;
}

void HttpServer::Stop() {
    if (!io_thread_.joinable())
        return;
    // Handlers still running finish first, so that nothing is posted to the I/O
    // thread after it ends; then every socket closes and the I/O thread runs out of work.
    state_->workers.join();
    net::post(state_->io, [state = state_] {
        boost::system::error_code ignored;
        state->acceptor.close(ignored);
        state->CloseAll(true);
    });
    io_thread_.join();
}

HttpReply TextReply(int status, std::string body) {
    HttpReply reply;
    reply.status = status;
    reply.content_type = "text/plain; charset=utf-8";
    reply.body = std::move(body);
    return reply;
}

}  // namespace ocrgated
