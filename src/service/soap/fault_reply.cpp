#include "service/soap/fault_reply.h"

#include "contract/contract.h"
#include "soap/envelope.h"

namespace ocrgated {
namespace {

std::string_view WordOfStatus(int status) {
    namespace reason = ocrgate::reason;
    switch (status) {
        case 503:
            return reason::kBusy;
        case 413:
            return reason::kTooLarge;
        default:
            return status < 500 ? reason::kBadRequest : reason::kServerError;
    }
}

}  // namespace

std::string WriteFaultEnvelope(const SoapFault& fault) {
    return soap::WriteFault(fault.faultcode(), fault.what(),
                            {ocrgate::kNamespace, ocrgate::kReasonElement, fault.reason()});
}

void AddReasonHeader(HttpReply& reply, std::string_view word) {
    reply.headers.emplace_back(std::string(ocrgate::kReasonHeader), std::string(word));
    reply.reason = word;
}

HttpReply FaultReply(int status, const std::string& reason, std::string_view word) {
    HttpReply reply;
    reply.status = status;
    const bool client = status < 500;
    if (word.empty())
        word = WordOfStatus(status);
    reply.body = WriteFaultEnvelope(client ? ClientFault(reason, word) : ServerFault(reason, word));
    reply.outcome = status == 503 ? "busy" : client ? "client_fault" : "server_fault";
    AddReasonHeader(reply, word);
    if (status == 503)
        reply.headers.emplace_back("Retry-After", "1");
    return reply;
}

}  // namespace ocrgated
