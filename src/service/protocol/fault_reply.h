#pragma once
// The one writer of SOAP faults for requests refused at the HTTP level: too
// large, malformed, too slow, over capacity. Every such answer is a SOAP 1.1
// Fault, so that a client reads one kind of error whatever went wrong.

#include <string>

#include "service/protocol/http_server.h"
#include "service/protocol/soap_fault.h"

namespace ocrgated {

// The SOAP 1.1 envelope of a fault.
std::string WriteFaultEnvelope(const SoapFault& fault);

// 4xx are soap:Client faults, 5xx soap:Server; 503 carries Retry-After.
HttpReply FaultReply(int status, const std::string& reason);

}  // namespace ocrgated
