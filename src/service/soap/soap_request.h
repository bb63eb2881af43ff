#pragma once
// Reads a SOAP 1.1 document/literal request into the operation it asks for.

#include <optional>
#include <string>
#include <string_view>

#include "contract/contract.h"

namespace ocrgated {

struct SoapRequest {
    const ocrgate::Operation* operation = nullptr;
    ocrgate::OperationId id = ocrgate::OperationId::HelloWorld;
    std::optional<std::string> argument;  // the parameter's text, when the operation has one
};

// Throws SoapFault (Client or MustUnderstand) for anything that is not such a request.
SoapRequest ReadSoapRequest(std::string_view body);

}  // namespace ocrgated
