#pragma once
// The HTTP face of ocrgated: the SOAP endpoint, its WSDL and a health check.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "service/engines/recognition_pool.h"
#include "service/protocol/dispatcher.h"

namespace httplib {
class Server;
}

namespace ocrgated {

struct ServiceOptions {
    std::string host = "127.0.0.1";
    int port = 8723;                 // 0 picks a free port
    int threads = 2;                 // recognition workers
    std::size_t queue_capacity = 8;  // recognitions waiting for a worker
    std::size_t max_body = 32u << 20;
    std::chrono::seconds read_timeout{15};
    std::chrono::seconds write_timeout{15};
    bool access_log = true;
    FetchOptions fetch;
};

class HttpService {
  public:
    HttpService(ServiceOptions options, const RecognizerFactory& factory);
    ~HttpService();
    HttpService(const HttpService&) = delete;
    HttpService& operator=(const HttpService&) = delete;

    // Binds the listening socket and returns its port; throws std::runtime_error.
    int Bind();
    // Serves until Stop; returns once the requests in flight have been answered.
    void Run();
    // Safe from any thread; may be called more than once.
    void Stop();
    bool running() const;

    const RecognitionPool& pool() const { return pool_; }

  private:
    void Route();

    ServiceOptions options_;
    RecognitionPool pool_;
    Dispatcher dispatcher_;
    std::unique_ptr<httplib::Server> server_;
};

}  // namespace ocrgated
