#pragma once
// Which addresses the service may connect to when it fetches a picture.

#include <sys/socket.h>

#include <string>

namespace ocrgated {

// False for loopback, private, link-local, multicast, shared, documentation and
// otherwise reserved addresses of IPv4 and IPv6 (IPv4 inside IPv6 judged as IPv4).
bool IsPublicAddress(const sockaddr* address);

// "192.0.2.1" or "2001:db8::1"; empty for other families.
std::string AddressText(const sockaddr* address);

}  // namespace ocrgated
