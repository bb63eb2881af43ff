#pragma once
// The WSDL 1.1 description of the service contract, document/literal.

#include <string>
#include <string_view>

namespace ocrgated {

// `location` is the address written into the service's port, e.g.
// "http://127.0.0.1:8723/ocrgate/ocrgate.asmx"; it is escaped here.
std::string WriteWsdl(std::string_view location);

}  // namespace ocrgated
