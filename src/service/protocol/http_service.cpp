#include "service/protocol/http_service.h"

#include <httplib.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

#include "ocrgate/contract.h"
#include "service/protocol/access_log.h"
#include "service/protocol/wsdl.h"

namespace ocrgated {
namespace {

using Clock = std::chrono::steady_clock;

// What the access log needs to know about the request this thread is serving;
// cpp-httplib runs a request, its handler and its logger on one thread.
struct RequestContext {
    Clock::time_point start = Clock::now();
    std::string operation = "-";
    std::size_t bytes_in = 0;
};
thread_local RequestContext t_request;

bool IsSafeHost(std::string_view host) {
    if (host.empty() || host.size() > 255)
        return false;
    for (char c : host) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '.' || c == '-' || c == ':' || c == '[' ||
                        c == ']' || c == '_';
        if (!ok)
            return false;
    }
    return true;
}

std::string ToLower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool AsksForWsdl(const httplib::Request& req) {
    for (const auto& [name, value] : req.params) {
        if (ToLower(name) == "wsdl")
            return true;
    }
    return false;
}

}  // namespace

HttpService::HttpService(ServiceOptions options, const RecognizerFactory& factory)
    : options_(std::move(options)),
      pool_(options_.threads, options_.queue_capacity, factory),
      dispatcher_(pool_, options_.fetch),
      server_(std::make_unique<httplib::Server>()) {
    // Enough connection threads that quick requests are served while every
    // worker is busy and the queue is full.
    const std::size_t connections =
        static_cast<std::size_t>(options_.threads) + options_.queue_capacity + 8;
    server_->new_task_queue = [connections] { return new httplib::ThreadPool(connections); };
    server_->set_read_timeout(options_.read_timeout.count(), 0);
    server_->set_write_timeout(options_.write_timeout.count(), 0);
    server_->set_keep_alive_timeout(5);
    server_->set_payload_max_length(options_.max_body);
    Route();
}

HttpService::~HttpService() = default;

void HttpService::Route() {
    const std::size_t max_body = options_.max_body;
    server_->set_pre_routing_handler(
        [max_body](const httplib::Request& req, httplib::Response& res) {
            t_request = RequestContext{};
            const std::string declared = req.get_header_value("Content-Length");
            const std::uint64_t length =
                declared.empty() ? 0 : std::strtoull(declared.c_str(), nullptr, 10);
            t_request.bytes_in = length;
            if (length > max_body) {
                // Answer before reading a byte of the body, and drop the connection.
                res.status = 413;
                res.set_header("Connection", "close");
                res.set_content("Request body larger than " + std::to_string(max_body) + " bytes\n",
                                "text/plain");
                return httplib::Server::HandlerResponse::Handled;
            }
            if (ToLower(req.get_header_value("Content-Type")).rfind("multipart/", 0) == 0) {
                res.status = 415;
                res.set_content("SOAP requests are text/xml\n", "text/plain");
                return httplib::Server::HandlerResponse::Handled;
            }
            return httplib::Server::HandlerResponse::Unhandled;
        });

    server_->Post(
        std::string(ocrgate::kServicePath),
        [this, max_body](const httplib::Request& req, httplib::Response& res,
                         const httplib::ContentReader& read) {
            std::string body;
            bool too_large = false;
            const bool complete = read([&](const char* data, std::size_t size) {
                if (body.size() + size > max_body) {
                    too_large = true;
                    return false;
                }
                body.append(data, size);
                return true;
            });
            t_request.bytes_in = body.size();
            if (too_large) {
                res.status = 413;
                res.set_header("Connection", "close");
                res.set_content("Request body larger than " + std::to_string(max_body) + " bytes\n",
                                "text/plain");
                return;
            }
            if (!complete) {
                res.status = 400;
                res.set_header("Connection", "close");
                return;
            }
            DispatchResult result = dispatcher_.Dispatch(body, req.get_header_value("SOAPAction"));
            t_request.operation = result.operation;
            res.status = result.status;
            res.set_content(std::move(result.envelope), "text/xml; charset=utf-8");
        });

    // A POST without a body never reaches the reader above.
    server_->Post(std::string(ocrgate::kServicePath), [this](const httplib::Request& req,
                                                             httplib::Response& res) {
        DispatchResult result = dispatcher_.Dispatch(req.body, req.get_header_value("SOAPAction"));
        t_request.operation = result.operation;
        res.status = result.status;
        res.set_content(std::move(result.envelope), "text/xml; charset=utf-8");
    });

    server_->Get(std::string(ocrgate::kServicePath), [this](const httplib::Request& req,
                                                            httplib::Response& res) {
        if (!AsksForWsdl(req)) {
            res.set_content(
                "ocrgated: POST SOAP 1.1 requests here; GET ?WSDL for the service description.\n",
                "text/plain; charset=utf-8");
            return;
        }
        t_request.operation = "WSDL";
        std::string host = req.get_header_value("Host");
        if (!IsSafeHost(host))
            host = options_.host + ":" + std::to_string(options_.port);
        res.set_content(WriteWsdl("http://" + host + std::string(ocrgate::kServicePath)),
                        "text/xml; charset=utf-8");
    });

    server_->Get("/healthz", [this](const httplib::Request&, httplib::Response& res) {
        t_request.operation = "healthz";
        res.set_content("ok ocrgated " OCRGATED_VERSION " engine=" + pool_.EngineName() +
                            " threads=" + std::to_string(pool_.threads()) +
                            " waiting=" + std::to_string(pool_.waiting()) + "\n",
                        "text/plain; charset=utf-8");
    });

    if (options_.access_log) {
        server_->set_logger([](const httplib::Request& req, const httplib::Response& res) {
            AccessRecord record;
            record.time = std::chrono::system_clock::now();
            record.peer = req.remote_addr.empty()
                              ? "-"
                              : req.remote_addr + ":" + std::to_string(req.remote_port);
            record.operation = t_request.operation;
            record.status = res.status;
            record.bytes_in = t_request.bytes_in;
            record.bytes_out = res.body.size();
            record.milliseconds =
                std::chrono::duration<double, std::milli>(Clock::now() - t_request.start).count();
            WriteLogLine(FormatAccessLine(record));
            t_request = RequestContext{};
        });
    }
}

int HttpService::Bind() {
    if (options_.port == 0) {
        const int port = server_->bind_to_any_port(options_.host.c_str());
        if (port <= 0)
            throw std::runtime_error("Cannot listen on " + options_.host);
        options_.port = port;
    } else if (!server_->bind_to_port(options_.host.c_str(), options_.port)) {
        throw std::runtime_error("Cannot listen on " + options_.host + ":" +
                                 std::to_string(options_.port));
    }
    return options_.port;
}

void HttpService::Run() {
    server_->listen_after_bind();
}

void HttpService::Stop() {
    server_->stop();
}

bool HttpService::running() const {
    return server_->is_running();
}

}  // namespace ocrgated
