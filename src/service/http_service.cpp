#include "service/http_service.h"

#include <cctype>
#include <thread>

#include "contract/contract.h"
#include "service/common/memory.h"
#include "service/http/access_log.h"
#include "service/soap/fault_reply.h"
#include "service/rest/rest_call.h"
#include "service/rest/rest_endpoints.h"
#include "service/rest/rest_error.h"
#include "service/rest/rest_tokens.h"
#include "service/soap/wsdl.h"

namespace ocrgated {
namespace {

using Clock = std::chrono::steady_clock;

std::string_view PathOf(std::string_view target) {
    return target.substr(0, target.find('?'));
}

std::string ToLower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Whether the query holds `item`: a name ("wsdl") or a name and its value ("layout=table"),
// in any case.
bool QueryHas(std::string_view query, std::string_view item) {
    const bool with_value = item.find('=') != std::string_view::npos;
    while (!query.empty()) {
        const auto end = query.find('&');
        std::string_view piece = query.substr(0, end);
        if (!with_value)
            piece = piece.substr(0, piece.find('='));
        if (ToLower(std::string(piece)) == item)
            return true;
        query = end == std::string_view::npos ? std::string_view() : query.substr(end + 1);
    }
    return false;
}

HttpLimits LimitsOf(const ServiceOptions& options) {
    HttpLimits limits;
    limits.max_body = options.max_body;
    limits.request_timeout = options.request_timeout;
    limits.idle_timeout = options.idle_timeout;
    limits.max_connections = options.max_connections;
    limits.max_per_client = options.max_per_client;
    // Every recognition that may wait, every fetch, and a few for quick requests:
    // a request never waits for a thread behind work that is itself waiting.
    limits.workers = options.threads + static_cast<int>(options.queue_capacity) +
                     static_cast<int>(options.max_fetches) + 2;
    return limits;
}

std::string Seconds(Clock::duration time) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", std::chrono::duration<double>(time).count());
    return text;
}

}  // namespace

HttpService::HttpService(ServiceOptions options, RecognizerFactory factory)
    : options_(std::move(options)),
      factory_(std::move(factory)),
      server_(LimitsOf(options_),
              HttpServer::Routes{
                  [](const HttpRequest& request) {
                      const std::string_view path = PathOf(request.target);
                      return request.method == "POST" &&
                             (path == ocrgate::kServicePath || IsRestPath(path));
                  },
                  [this](const HttpRequest& request) { return Handle(request); },
                  [this](int status, const std::string& reason, const std::string& target) {
                      if (IsRestPath(PathOf(target)))
                          return RestRefusal(status, reason,
                                             loaded_ ? reader_->NextLogId() : 0);
                      return FaultReply(status, reason);
                  },
                  [this](const RequestRecord& record) { Log(record); }}) {
    if (!options_.api_keys.empty())
        tokens_ = std::make_unique<TokenIssuer>(options_.api_keys, options_.token_lifetime);
}

HttpService::~HttpService() {
    Stop();
    server_.Stop();
}

int HttpService::Bind() {
    options_.port = server_.Listen(options_.host, options_.port);
    return options_.port;
}

void HttpService::Run() {
    server_.Start();
    try {
        pool_ = std::make_unique<RecognitionPool>(options_.threads, options_.queue_capacity,
                                                  factory_, options_.recognition);
    } catch (...) {
        server_.Stop();
        throw;
    }
    reader_ = std::make_unique<PageReader>(
        *pool_, ReaderOptions{options_.fetch, options_.max_fetches, options_.queue_capacity},
        &metrics_);
    dispatcher_ = std::make_unique<Dispatcher>(*reader_);
    languages_ = std::make_unique<LanguagePools>(options_.queue_capacity, options_.recognition);
    rest_ = std::make_unique<RestEndpoints>(*reader_, tokens_.get(), languages_.get());
    metrics_.SetEngine(pool_->EngineName(), OCRGATED_VERSION);
    metrics_.SetGauges({[this] { return pool_->waiting(); },
                        [this] { return reader_->WorkersBusy(); },
                        [this] { return server_.OpenConnections(); }});
    {
        std::lock_guard lock(mutex_);
        loaded_ = true;
        Phase starting = Phase::Starting;
        phase_.compare_exchange_strong(starting, Phase::Ready);
    }
    // Said once work is taken: whoever waits for this line can send it.
    WriteLogLine("ocrgated " OCRGATED_VERSION ": listening on " + ListenUrl() + " (engine " +
                 pool_->EngineName() + ", " + std::to_string(pool_->threads()) + " threads)");
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return stop_; });
    }
    phase_ = Phase::Stopped;
    server_.Stop();
}

void HttpService::Stop() {
    std::lock_guard lock(mutex_);
    stop_ = true;
    changed_.notify_all();
}

bool HttpService::WaitFor(Clock::time_point until) {
    std::unique_lock lock(mutex_);
    return !changed_.wait_until(lock, until, [this] { return stop_; });
}

bool HttpService::Drain(std::chrono::milliseconds delay, std::chrono::milliseconds timeout) {
    const auto start = Clock::now();
    // No balancer sends work to an instance that never was ready: no need to wait.
    if (phase_.exchange(Phase::Draining) == Phase::Starting)
        delay = std::chrono::milliseconds(0);
    WriteLogLine("ocrgated: draining: not ready; still taking work for " + Seconds(delay));
    if (!WaitFor(start + delay))
        return true;
    phase_ = Phase::Refusing;
    server_.RefuseNewWork("The service is shutting down; send the request again");
    WriteLogLine("ocrgated: draining: refusing new work; " + std::to_string(server_.InFlight()) +
                 " requests in flight");
    // What is still in flight this close to the timeout is cut: answered now, so that the
    // clients can send it elsewhere, with time left to write the answers.
    const auto cut_at = start + timeout - std::min<Clock::duration>(std::chrono::seconds(1), timeout / 4);
    while (server_.InFlight() > 0 && Clock::now() < cut_at) {
        if (!WaitFor(Clock::now() + std::chrono::milliseconds(20)))
            return true;
    }
    const std::size_t cut = server_.InFlight();
    if (cut == 0) {
        WriteLogLine("ocrgated: drained in " + Seconds(Clock::now() - start));
    } else {
        WriteLogLine("ocrgated: drain timeout after " + Seconds(Clock::now() - start) +
                     "; cutting " + std::to_string(cut) + " requests");
        server_.CutInFlight("The service is shutting down; the request was cut, send it again");
        while (server_.InFlight() > 0 && Clock::now() < start + timeout)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Stop();
    return cut == 0;
}

HttpReply HttpService::Handle(const HttpRequest& request) {
    const auto mark = request.target.find('?');
    const std::string_view path = std::string_view(request.target).substr(0, mark);
    const std::string_view query = mark == std::string::npos
                                       ? std::string_view()
                                       : std::string_view(request.target).substr(mark + 1);
    const bool get = request.method == "GET" || request.method == "HEAD";
    if (path == "/healthz" && get)
        return ServeHealth();
    if (path == "/readyz" && get)
        return ServeReadiness();
    if (path == "/metrics" && get)
        return ServeMetrics();
    if (IsRestPath(path)) {
        if (!loaded_)
            return RestErrorReply(0, rest_code::kUnavailable,
                                  "Service temporarily unavailable: the engines are loading",
                                  "rest");
        return rest_->Serve(request);
    }
    if (path == ocrgate::kServicePath) {
        if (request.method == "POST")
            return ServeSoap(request,
                             {.hints = {.one_table = QueryHas(query, "layout=table")},
                              .characters = QueryHas(query, "recognize_granularity=small")});
        if (get && QueryHas(query, "wsdl"))
            return ServeWsdl();
        if (get)
            return TextReply(200,
                             "ocrgated: POST SOAP 1.1 requests here; GET ?WSDL for the service "
                             "description.\n");
        return FaultReply(405, "Use POST for SOAP requests, or GET ?WSDL");
    }
    return FaultReply(404, "Nothing here: the service is at " + std::string(ocrgate::kServicePath));
}

HttpReply HttpService::ServeSoap(const HttpRequest& request, const SoapAsks& asks) {
    if (!loaded_)
        return FaultReply(503, "The service is starting; send the request again shortly",
                          ocrgate::reason::kStarting);
    if (ToLower(request.content_type).rfind("multipart/", 0) == 0)
        return FaultReply(415, "SOAP requests are text/xml, not multipart");
    DispatchResult result =
        dispatcher_->Dispatch(request.body, request.soap_action, request.peer, request.abandoned,
                              asks);
    // A small file can decode to a large picture: after every recognition, the
    // memory it freed goes back (a few milliseconds against hundreds).
    if (result.operation != "HelloWorld")
        ReturnFreeMemory();
    HttpReply reply;
    reply.status = result.status;
    reply.body = std::move(result.envelope);
    reply.operation = std::move(result.operation);
    reply.outcome = std::move(result.outcome);
    if (!result.host.empty())
        reply.note = "host=" + result.host;
    if (!result.reason.empty())
        AddReasonHeader(reply, result.reason);
    if (reply.status == 503)
        reply.headers.emplace_back("Retry-After", "1");
    return reply;
}

std::string HttpService::ListenUrl() const {
    const std::string& host = options_.host;
    const std::string shown = host.find(':') == std::string::npos ? host : "[" + host + "]";
    return "http://" + shown + ":" + std::to_string(options_.port) +
           std::string(ocrgate::kServicePath);
}

void HttpService::Log(const RequestRecord& record) {
    metrics_.CountRequest(record.operation, record.outcome);
    // Balancers and scrapers ask every second or so; their lines would bury the requests.
    const bool probe =
        record.status == 200 && (record.operation == "healthz" || record.operation == "readyz" ||
                                 record.operation == "metrics");
    if (!options_.access_log || probe)
        return;
    AccessRecord line;
    line.time = std::chrono::system_clock::now();
    line.peer = record.peer;
    line.operation = record.operation;
    line.status = record.status;
    line.cancelled = record.outcome == "cancelled";
    line.reason = record.reason;
    line.bytes_in = record.bytes_in;
    line.bytes_out = record.bytes_out;
    line.milliseconds = std::chrono::duration<double, std::milli>(record.duration).count();
    line.note = record.note;
    WriteLogLine(FormatAccessLine(line));
}

}  // namespace ocrgated
