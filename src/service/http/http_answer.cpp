// A connection's answers and its end: a reply written, a request refused or cut, and the
// connection closed without throwing away what was just written.

#include "service/http/http_session.h"

#include <boost/asio/post.hpp>
#include <boost/beast/http/write.hpp>

#include <algorithm>

namespace ocrgated {
namespace {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using Clock = std::chrono::steady_clock;

// How long a refused client has to stop sending before its connection is cut.
constexpr auto kDrainTime = std::chrono::seconds(1);

// The target of a request refused before its head was parsed, as far as it arrived: enough
// to tell which face answers (a REST path answers JSON).
std::string RawTarget(const beast::flat_buffer& buffer) {
    const auto data = buffer.data();
    std::string_view text(static_cast<const char*>(data.data()), data.size());
    const std::size_t space = text.find(' ');
    if (space == std::string_view::npos)
        return {};
    text.remove_prefix(space + 1);
    return std::string(text.substr(0, std::min<std::size_t>(text.find_first_of(" ?\r\n"), 1024)));
}

}  // namespace

void HttpSession::Cut(const std::string& reason) {
    if (!busy_ || answering_ || cut_ || closed_ || !abandoned_)
        return;
    cut_ = true;
    abandoned_->store(true);
    HttpReply reply =
        state_->routes.refuse(503, reason, parser_ ? std::string(parser_->get().target()) : "");
    reply.close = true;
    Answer(std::move(reply));
}

void HttpSession::Close(bool even_if_busy) {
    if ((busy_ && !even_if_busy) || closed_)
        return;
    closed_ = true;
    beast::error_code ignored;
    stream_.socket().shutdown(net::ip::tcp::socket::shutdown_both, ignored);
    stream_.socket().close(ignored);
}

void HttpSession::Refuse(int status, const std::string& reason) {
    busy_ = true;
    ++state_->in_flight;
    std::string target = parser_ ? std::string(parser_->get().target()) : "";
    if (target.empty())
        target = RawTarget(buffer_);
    HttpReply reply = state_->routes.refuse(status, reason, target);
    reply.close = true;
    Answer(std::move(reply));
}

void HttpSession::Answer(HttpReply reply) {
    answering_ = true;
    beast::error_code ignored;
    stream_.socket().cancel(ignored);  // the hang-up watch, if one runs
    const bool keep_alive = !reply.close && !over_capacity_ && !state_->refusing && parser_ &&
                            parser_->is_done() && parser_->get().keep_alive();
    auto response = std::make_shared<http::response<http::string_body>>(
        static_cast<http::status>(reply.status), 11);
    response->set(http::field::server, "ocrgated");
    response->set(http::field::content_type, reply.content_type);
    for (const auto& [name, value] : reply.headers)
        response->set(name, value);
    response->body() = std::move(reply.body);
    response->keep_alive(keep_alive);
    response->prepare_payload();

    RequestRecord record{
        peer_,        reply.operation, reply.outcome,           reply.reason,          reply.note,
        reply.status, BytesIn(),       response->body().size(), Clock::now() - start_};
    stream_.expires_after(state_->limits.request_timeout);
    http::async_write(stream_, *response,
                      [self = shared_from_this(), response, record = std::move(record), keep_alive](
                          beast::error_code ec, std::size_t) mutable {
                          record.duration = Clock::now() - self->start_;
                          if (self->state_->routes.log)
                              self->state_->routes.log(record);
                          self->busy_ = false;
                          self->answering_ = false;
                          --self->state_->in_flight;
                          if (ec || !keep_alive || self->state_->refusing)
                              return self->CloseGracefully();
                          self->WaitForRequest();
                      });
}

std::size_t HttpSession::BytesIn() const {
    if (!parser_ || !parser_->is_header_done())
        return 0;
    if (const auto length = parser_->content_length())
        return static_cast<std::size_t>(*length);
    return parser_->get().body().size();
}

// Closing a socket with unread input makes the kernel send a reset, which would
// throw away the answer just written: stop sending, then read what the client
// still sends for a moment before closing.
void HttpSession::CloseGracefully() {
    if (closed_) {
        state_->Leave(this, client_);
        return;
    }
    closed_ = true;
    beast::error_code ignored;
    stream_.socket().shutdown(net::ip::tcp::socket::shutdown_send, ignored);
    stream_.expires_after(kDrainTime);
    Drain();
}

void HttpSession::Drain() {
    stream_.async_read_some(net::buffer(scratch_),
                            [self = shared_from_this()](beast::error_code ec, std::size_t) {
                                if (!ec)
                                    return self->Drain();
                                beast::error_code ignored;
                                self->stream_.socket().close(ignored);
                                self->state_->Leave(self.get(), self->client_);
                            });
}

}  // namespace ocrgated
