#pragma once
// Reading web addresses with libcurl's URL parser: the parts of any address, and an
// endpoint address split into what the transport connects to.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace soap {

struct UrlParts {
    std::string scheme;  // lower case
    std::string host;    // as libcurl gives it: an IPv6 literal keeps its brackets
    std::string port;    // the scheme's default when the address names none
};

// Nothing when libcurl does not take the text for an address. Schemes libcurl does not
// speak are read all the same, so that the caller can name the one it refuses.
std::optional<UrlParts> ParseUrl(std::string_view url);

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
