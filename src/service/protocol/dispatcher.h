#pragma once
// Turns one SOAP request body into one reply envelope: reads the request, runs
// the operation and writes its result, or the fault that says what went wrong.
// This is the boundary where every error becomes a fault.

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "ocrgate/contract.h"
#include "service/engines/recognition_pool.h"
#include "service/fetch/url_fetcher.h"
#include "service/protocol/metrics.h"

namespace ocrgated {

struct DispatchResult {
    int status = 200;            // 200; 500 for a fault; 503 when busy
    std::string envelope;        // the reply body
    std::string operation;       // for the access log; "-" when unknown
    std::string outcome = "ok";  // ok, client_fault, server_fault, busy
    std::string host;            // the host an address request named, for the log
    std::string reason;          // a fault's stable reason; empty for a result
};

struct DispatchOptions {
    FetchOptions fetch;
    // Address fetches at once; a fetch is work like a recognition, and is
    // refused as busy when the recognition queue is full.
    std::size_t max_fetches = 4;
    std::size_t queue_capacity = 8;
};

class Dispatcher {
  public:
    Dispatcher(RecognitionPool& pool, DispatchOptions options, Metrics* metrics = nullptr)
        : pool_(pool), options_(std::move(options)), metrics_(metrics) {}

    // `soap_action` is the SOAPAction header as received (quoted or not), empty when absent;
    // `peer` names the client in the log lines the recognition writes. Once `cancel` is set
    // (the client went away), the recognition stops at its engine's next check.
    DispatchResult Dispatch(std::string_view body, std::string_view soap_action,
                            std::string_view peer = "-", CancelFlag cancel = nullptr);

    // Workers running a recognition now.
    std::size_t WorkersBusy() const;

    // For the REST endpoints: the same limits, counts and busy checks as the SOAP
    // operations, with the fetcher's, the pool's and the pictures' own exceptions.
    // `pool` reads instead of the service's own when given (another language).
    std::vector<std::uint8_t> FetchForRecognition(const std::string& url);
    PageReading ReadPage(std::vector<std::uint8_t> picture, const std::string& request,
                         const CancelFlag& cancel = nullptr, RecognitionPool* pool = nullptr);
    // One id per reply, SOAP and REST alike.
    std::uint64_t NextLogId();

  private:
    std::string Run(ocrgate::OperationId operation, const std::string& argument,
                    const std::string& request, const CancelFlag& cancel);
    std::string Fetch(const std::string& url, const std::string& request,
                      const CancelFlag& cancel);
    std::string Recognize(std::vector<std::uint8_t> picture, const std::string& request,
                          const CancelFlag& cancel);

    RecognitionPool& pool_;
    DispatchOptions options_;
    Metrics* metrics_;
    std::atomic<std::uint64_t> next_log_id_{0};
    std::atomic<std::size_t> fetching_{0}, recognising_{0};
};

}  // namespace ocrgated
