#pragma once
// The one writer of SOAP faults for requests refused at the HTTP level: too
// large, malformed, too slow, over capacity. Every such answer is a SOAP 1.1
// Fault, so that a client reads one kind of error whatever went wrong.

#include <string>

#include "service/http/http_server.h"
#include "service/soap/soap_fault.h"

namespace ocrgated {

// The SOAP 1.1 envelope of a fault.
std::string WriteFaultEnvelope(const SoapFault& fault);

// 4xx are soap:Client faults, 5xx soap:Server; 503 carries Retry-After. `word` is the
// fault's stable reason; empty: the one its status says (busy, too-large…).
HttpReply FaultReply(int status, const std::string& reason, std::string_view word = {});

// Adds the fault's stable reason to the reply's headers, for clients that read no body.
void AddReasonHeader(HttpReply& reply, std::string_view word);

}  // namespace ocrgated
