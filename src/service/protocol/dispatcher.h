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

namespace ocrgated {

struct DispatchResult {
    int status = 200;       // 200, or 500 for a fault
    std::string envelope;   // the reply body
    std::string operation;  // for the access log; "-" when unknown
};

class Dispatcher {
  public:
    Dispatcher(RecognitionPool& pool, FetchOptions fetch) : pool_(pool), fetch_(std::move(fetch)) {}

    // `soap_action` is the SOAPAction header as received (quoted or not), empty when absent.
    DispatchResult Dispatch(std::string_view body, std::string_view soap_action);

  private:
    std::string Run(const ocrgate::Operation& operation, const std::string& argument);
    std::string Recognize(std::vector<std::uint8_t> picture);

    RecognitionPool& pool_;
    FetchOptions fetch_;
    std::atomic<std::uint64_t> next_log_id_{0};
};

}  // namespace ocrgated
