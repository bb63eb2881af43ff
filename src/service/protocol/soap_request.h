#pragma once
// Reads a SOAP 1.1 document/literal request into the operation it asks for.

#include <optional>
#include <string>
#include <string_view>

#include "ocrgate/contract.h"

namespace ocrgated {

inline constexpr std::string_view kSoap11Envelope = "http://schemas.xmlsoap.org/soap/envelope/";

struct SoapRequest {
    const ocrgate::Operation* operation = nullptr;
    std::optional<std::string> argument;  // the parameter's text, when the operation has one
};

// Throws SoapFault (Client or MustUnderstand) for anything that is not such a request.
SoapRequest ReadSoapRequest(std::string_view body);

}  // namespace ocrgated
