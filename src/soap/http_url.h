#pragma once
// Splitting an endpoint address into what the transport connects to.

#include <cstdint>
#include <string>
#include <string_view>

namespace soap {

enum class Scheme { None, Http, Https };

struct EndpointParts {
    Scheme scheme = Scheme::None;
    std::string host;  // as written, without user information or port
    std::uint16_t port = 0;
    std::string object;  // from the first "/" after the host to the end, query included
};

// Raises ESOAPHTTPException when the address is not an http or https one.
EndpointParts SplitEndpoint(std::string_view url);

}  // namespace soap
