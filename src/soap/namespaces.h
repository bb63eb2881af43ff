#pragma once
// The namespaces of SOAP 1.1 messages.

#include <string_view>

namespace soap {

inline constexpr std::string_view kSoapEnvelopeNs = "http://schemas.xmlsoap.org/soap/envelope/";
inline constexpr std::string_view kXmlSchemaNs = "http://www.w3.org/2001/XMLSchema";
inline constexpr std::string_view kXmlSchemaInstanceNs =
    "http://www.w3.org/2001/XMLSchema-instance";

}  // namespace soap
