// A connection's requests as they arrive: the head, the body, and the worker that answers.

#include "service/http/http_session.h"

#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/read.hpp>

#include <algorithm>
#include <exception>

namespace ocrgated {
namespace {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using Clock = std::chrono::steady_clock;

constexpr std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";

std::string Seconds(std::chrono::milliseconds time) {
    return std::to_string(std::max<long long>(1, time.count() / 1000)) + " s";
}

}  // namespace

HttpSession::HttpSession(net::ip::tcp::socket socket, std::shared_ptr<HttpServer::State> state,
                         bool over_capacity)
    : stream_(std::move(socket)), state_(std::move(state)), over_capacity_(over_capacity) {
    beast::error_code ec;
    const auto remote = stream_.socket().remote_endpoint(ec);
    if (!ec) {
        client_ = remote.address().to_string();
        peer_ = client_ + ":" + std::to_string(remote.port());
    } else {
        client_ = peer_ = "-";
    }
}

void HttpSession::Start() {
    if (over_capacity_) {
        // Read the head so that the answer is not a reset, then refuse.
        start_ = Clock::now();
        parser_.emplace();
        parser_->header_limit(static_cast<std::uint32_t>(state_->limits.max_header));
        stream_.expires_after(std::chrono::seconds(2));
        http::async_read_header(stream_, buffer_, *parser_,
                                [self = shared_from_this()](beast::error_code ec, std::size_t) {
                                    if (ec && ec != http::error::header_limit)
                                        return self->CloseGracefully();
                                    self->Refuse(503, "Too many connections; try again shortly");
                                });
        return;
    }
    WaitForRequest();
}

// Idle connections wait for their next request's first byte; the request's own
// deadline starts with it.
void HttpSession::WaitForRequest() {
    if (closed_)
        return CloseGracefully();
    if (buffer_.size() > 0)
        return ReadHead();
    stream_.expires_after(state_->limits.idle_timeout);
    stream_.async_read_some(buffer_.prepare(4096),
                            [self = shared_from_this()](beast::error_code ec, std::size_t n) {
                                if (ec)
                                    return self->CloseGracefully();
                                self->buffer_.commit(n);
                                self->ReadHead();
                            });
}

void HttpSession::ReadHead() {
    start_ = Clock::now();
    parser_.emplace();
    parser_->header_limit(static_cast<std::uint32_t>(state_->limits.max_header));
    parser_->body_limit(state_->limits.max_body);
    // One deadline for head and body together: a trickle does not extend it.
    stream_.expires_after(state_->limits.request_timeout);
    http::async_read_header(
        stream_, buffer_, *parser_,
        [self = shared_from_this()](beast::error_code ec, std::size_t) { self->OnHead(ec); });
}

void HttpSession::OnHead(beast::error_code ec) {
    const auto& limits = state_->limits;
    if (ec == http::error::header_limit) {
        // The request line is parsed, and its target set, as soon as it is whole.
        if (parser_->get().target().empty())
            return Refuse(414, "The request address is longer than " +
                                   std::to_string(limits.max_target) + " bytes");
        return Refuse(431, "The request headers are larger than " +
                               std::to_string(limits.max_header) + " bytes");
    }
    if (ec == http::error::body_limit)
        return Refuse(
            413, "The request body is larger than " + std::to_string(limits.max_body) + " bytes");
    if (ec == http::error::bad_content_length || ec == http::error::bad_transfer_encoding)
        return Refuse(400, "Conflicting or malformed Content-Length and Transfer-Encoding");
    if (ec == beast::error::timeout)
        return Refuse(408, "The request did not arrive within " + Seconds(limits.request_timeout));
    if (ec == http::error::end_of_stream || ec == net::error::eof ||
        ec == http::error::partial_message || ec == net::error::operation_aborted ||
        ec == net::error::connection_reset || closed_)
        return CloseGracefully();
    if (ec)
        return Refuse(400, "Malformed HTTP request: " + ec.message());

    const auto& head = parser_->get();
    if (head.target().size() > limits.max_target)
        return Refuse(414, "The request address is longer than " +
                               std::to_string(limits.max_target) + " bytes");
    if (head.count(http::field::transfer_encoding) && !parser_->chunked())
        return Refuse(400, "Only the chunked transfer coding is accepted");
    // Neither Content-Length nor Transfer-Encoding: the body is empty (RFC 9112, 6.3), as a
    // token request with its fields in the query sends it.
    if (state_->refusing)
        return Refuse(503, state_->refuse_reason);
    if (parser_->is_done())
        return Serve();
    if (beast::iequals(head[http::field::expect], "100-continue")) {
        net::async_write(stream_, net::buffer(kContinue.data(), kContinue.size()),
                         [self = shared_from_this()](beast::error_code ec, std::size_t) {
                             if (ec)
                                 return self->CloseGracefully();
                             self->ReadBody();
                         });
        return;
    }
    ReadBody();
}

void HttpSession::ReadBody() {
    http::async_read(
        stream_, buffer_, *parser_,
        [self = shared_from_this()](beast::error_code ec, std::size_t) { self->OnBody(ec); });
}

void HttpSession::OnBody(beast::error_code ec) {
    if (ec == http::error::body_limit)
        return Refuse(413, "The request body is larger than " +
                               std::to_string(state_->limits.max_body) + " bytes");
    if (ec == beast::error::timeout)
        return Refuse(
            408, "The request did not arrive within " + Seconds(state_->limits.request_timeout));
    if (ec == http::error::end_of_stream || ec == http::error::partial_message ||
        ec == net::error::eof || ec == net::error::operation_aborted ||
        ec == net::error::connection_reset || closed_)
        return CloseGracefully();
    if (ec)
        return Refuse(400, "Malformed HTTP request body: " + ec.message());
    Serve();
}

void HttpSession::Serve() {
    auto& message = parser_->get();
    auto request = std::make_shared<HttpRequest>();
    request->method = std::string(message.method_string());
    request->target = std::string(message.target());
    request->body = std::move(message.body());
    request->soap_action = std::string(message[http::field::soapaction]);
    request->content_type = std::string(message[http::field::content_type]);
    request->peer = peer_;
    busy_ = true;
    ++state_->in_flight;
    stream_.expires_never();

    auto run = [state = state_, request]() {
        try {
            return state->routes.handle(*request);
        } catch (const std::exception& error) {
            HttpReply reply = state->routes.refuse(
                500, std::string("Internal error: ") + error.what(), request->target);
            return reply;
        }
    };
    if (!state_->routes.needs_worker(*request))
        return Answer(run());
    WatchForHangUp(request->abandoned);
    abandoned_ = request->abandoned;
    net::post(state_->workers, [self = shared_from_this(), run]() mutable {
        HttpReply reply = run();
        net::post(self->stream_.get_executor(), [self, reply = std::move(reply)]() mutable {
            self->abandoned_.reset();
            if (!self->cut_)
                self->Answer(std::move(reply));
        });
    });
}

// Nothing more is read while a worker answers, so a client that hangs up would go
// unnoticed until the reply is written: its request is marked abandoned instead, and its
// recognition stops. A byte of a next request ends the watch and stays in the socket.
void HttpSession::WatchForHangUp(std::shared_ptr<std::atomic<bool>> abandoned) {
    stream_.socket().async_wait(
        net::socket_base::wait_read,
        [self = shared_from_this(), abandoned = std::move(abandoned)](beast::error_code ec) {
            if (ec || !self->busy_ || self->closed_)
                return;
            char next = 0;
            beast::error_code peeked;
            const std::size_t n = self->stream_.socket().receive(
                net::buffer(&next, 1), net::socket_base::message_peek, peeked);
            if (n == 0 || peeked)
                abandoned->store(true);
        });
}

}  // namespace ocrgated
