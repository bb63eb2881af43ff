#pragma once
// Which addresses the service may connect to when it fetches a picture.

#include <sys/socket.h>

#include <optional>
#include <string>
#include <string_view>

namespace ocrgated {

// False for loopback, private, link-local, multicast, shared, documentation and
// otherwise reserved addresses of IPv4 and IPv6 (IPv4 inside IPv6 judged as IPv4).
bool IsPublicAddress(const sockaddr* address);

// The IPv4 address a URL's host spells, in any spelling the system resolver reads as one
// ("127.0.0.1.", "0x7f.1", "2130706433", "0177.0.0.1"), as "127.0.0.1"; none for a name.
std::optional<std::string> HostAddress(std::string_view host);

// Whether `name` (without a final dot) can be a DNS name: labels of letters, digits, '-'
// and '_', 1 to 63 long, 253 at most in all, the last not a number.
bool IsHostName(std::string_view name);

// "192.0.2.1" or "2001:db8::1"; empty for other families.
std::string AddressText(const sockaddr* address);

}  // namespace ocrgated
