#pragma once
// Turns one SOAP request body into one reply envelope: reads the request, runs
// the operation and writes its result, or the fault that says what went wrong.
// This is the boundary where every error becomes a fault.

#include <string>
#include <string_view>

#include "contract/contract.h"
#include "service/recognition/page_reader.h"

namespace ocrgated {

struct DispatchResult {
    int status = 200;            // 200; 500 for a fault; 503 when busy
    std::string envelope;        // the reply body
    std::string operation;       // for the access log; "-" when unknown
    std::string outcome = "ok";  // ok, client_fault, server_fault, busy, cancelled
    std::string host;            // the host an address request named, for the log
    std::string reason;          // a fault's stable reason; empty for a result
};

// What the address's query asks of a recognition.
struct SoapAsks {
    ReadingHints hints;       // `layout=table`: the picture is one table
    bool characters = false;  // `recognize_granularity=small`: each line's characters placed
};

class Dispatcher {
  public:
    explicit Dispatcher(PageReader& reader) : reader_(reader) {}

    // `soap_action` is the SOAPAction header as received (quoted or not), empty when absent;
    // `peer` names the client in the log lines the recognition writes. Once `cancel` is set
    // (the client went away), the recognition stops at its engine's next check. `asks`
    // are what the caller knows of its picture and wants of the reply.
    DispatchResult Dispatch(std::string_view body, std::string_view soap_action,
                            std::string_view peer = "-", CancelFlag cancel = nullptr,
                            SoapAsks asks = {});

  private:
    std::string Run(ocrgate::OperationId operation, const std::string& argument,
                    const std::string& request, const CancelFlag& cancel, const SoapAsks& asks);
    std::string Recognize(PageSource source, const std::string& request,
                          const CancelFlag& cancel, bool characters);

    PageReader& reader_;
};

}  // namespace ocrgated
