#pragma once
// Writes the reply envelopes: an operation's result, or a SOAP 1.1 Fault.

#include <string>
#include <string_view>

#include "service/protocol/soap_fault.h"

namespace ocrgated {

// Escapes text for XML character data, or for an attribute value in double
// quotes. Characters that XML 1.0 cannot carry at all (most C0 controls,
// invalid UTF-8) become U+FFFD.
std::string XmlEscape(std::string_view text, bool attribute = false);

// <{op}Response xmlns="{ns}"><{op}Result>text</{op}Result></{op}Response> in a Body.
std::string WriteResultEnvelope(std::string_view operation, std::string_view result);

std::string WriteFaultEnvelope(const SoapFault& fault);

}  // namespace ocrgated
