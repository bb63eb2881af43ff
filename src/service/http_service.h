#pragma once
// The HTTP face of ocrgated: the SOAP endpoint, its WSDL, health, readiness
// and metrics, and the phases of a life: starting, ready, draining, stopped.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

#include "service/engines/factory/language_pools.h"
#include "service/engines/recognition_pool.h"
#include "service/recognition/page_reader.h"
#include "service/soap/dispatcher.h"
#include "service/http/http_server.h"
#include "service/common/metrics.h"

namespace ocrgated {

class RestEndpoints;
class TokenIssuer;

struct ServiceOptions {
    std::string host = "127.0.0.1";
    int port = 8723;                 // 0 picks a free port
    int threads = 2;                 // recognition workers
    std::size_t queue_capacity = 8;  // recognitions waiting for a worker
    std::size_t max_fetches = 4;     // address fetches at once
    // A pasted 4K screenshot goes as a 32-bit BMP of 33 MB, 44 MB in base64.
    std::size_t max_body = 64u << 20;
    std::chrono::milliseconds request_timeout{15'000};  // a whole request head and body
    std::chrono::milliseconds idle_timeout{5'000};
    std::size_t max_connections = 1024;
    std::size_t max_per_client = 256;
    std::string public_url;         // the WSDL's address; empty: from the listen address
    RecognitionLimits recognition;  // time and picture memory per recognition
    bool access_log = true;
    FetchOptions fetch;
    // The REST endpoints' key pairs ("id secret" lines); empty leaves them open.
    std::string api_keys;
    std::chrono::seconds token_lifetime{30 * 24 * 3600};
};

class HttpService {
  public:
    enum class Phase { Starting, Ready, Draining, Refusing, Stopped };

    HttpService(ServiceOptions options, RecognizerFactory factory);
    ~HttpService();
    HttpService(const HttpService&) = delete;
    HttpService& operator=(const HttpService&) = delete;

    // Binds the listening socket and returns its port; throws std::runtime_error.
    int Bind();
    // Serves: answers /healthz and /readyz at once, loads the engines, then takes
    // work until Stop. Throws what loading the engines throws.
    void Run();
    // Ends Run at once; safe from any thread, more than once, before Run.
    void Stop();
    // Readiness off; work is still taken for `delay`. Then new requests are
    // refused and idle connections closed, and the requests in flight get until
    // `timeout` (counted from now) to finish; what is still running just before is cut:
    // answered 503 at once, its work called off. Ends Run; false when requests were cut.
    bool Drain(std::chrono::milliseconds delay, std::chrono::milliseconds timeout);
    // Taking work (engines loaded, not draining).
    bool running() const { return phase_ == Phase::Ready; }
    Phase phase() const { return phase_; }

    const RecognitionPool& pool() const { return *pool_; }
    Metrics& metrics() { return metrics_; }

  private:
    HttpReply Handle(const HttpRequest& request);
    // `asks` from the address's query.
    HttpReply ServeSoap(const HttpRequest& request, const SoapAsks& asks);
    std::string ListenUrl() const;
    HttpReply ServeWsdl() const;
    HttpReply ServeHealth() const;
    HttpReply ServeReadiness() const;
    HttpReply ServeMetrics() const;
    void Log(const RequestRecord& record);
    bool WaitFor(std::chrono::steady_clock::time_point until);

    ServiceOptions options_;
    RecognizerFactory factory_;
    Metrics metrics_;
    std::unique_ptr<RecognitionPool> pool_;
    std::unique_ptr<PageReader> reader_;
    std::unique_ptr<Dispatcher> dispatcher_;
    std::unique_ptr<TokenIssuer> tokens_;  // null: the REST endpoints are open
    std::unique_ptr<LanguagePools> languages_;  // the REST languages Tesseract reads
    std::unique_ptr<RestEndpoints> rest_;
    HttpServer server_;
    std::atomic<Phase> phase_{Phase::Starting};
    std::atomic<bool> loaded_{false};  // pool_ and dispatcher_ are set
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stop_ = false;
};

}  // namespace ocrgated
