#include "service/protocol/fault_reply.h"

#include "soap/envelope.h"

namespace ocrgated {

std::string WriteFaultEnvelope(const SoapFault& fault) {
    return soap::WriteFault(fault.faultcode(), fault.what());
}

HttpReply FaultReply(int status, const std::string& reason) {
    HttpReply reply;
    reply.status = status;
    const bool client = status < 500;
    reply.body = WriteFaultEnvelope(client ? ClientFault(reason) : ServerFault(reason));
    reply.outcome = status == 503 ? "busy" : client ? "client_fault" : "server_fault";
    if (status == 503)
        reply.headers.emplace_back("Retry-After", "1");
    return reply;
}

}  // namespace ocrgated
