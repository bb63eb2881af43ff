#include "service/fetch/address_policy.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>

namespace ocrgated {
namespace {

struct Range4 {
    std::uint32_t base;
    int bits;
};

constexpr std::uint32_t Ip4(int a, int b, int c, int d) {
    return std::uint32_t(a) << 24 | std::uint32_t(b) << 16 | std::uint32_t(c) << 8 |
           std::uint32_t(d);
}

constexpr std::array<Range4, 16> kRefused4{{
    {Ip4(0, 0, 0, 0), 8},        // "this" network
    {Ip4(10, 0, 0, 0), 8},       // private
    {Ip4(100, 64, 0, 0), 10},    // shared address space
    {Ip4(127, 0, 0, 0), 8},      // loopback
    {Ip4(169, 254, 0, 0), 16},   // link-local
    {Ip4(172, 16, 0, 0), 12},    // private
    {Ip4(192, 0, 0, 0), 24},     // protocol assignments
    {Ip4(192, 0, 2, 0), 24},     // documentation
    {Ip4(192, 88, 99, 0), 24},   // 6to4 relay anycast
    {Ip4(192, 168, 0, 0), 16},   // private
    {Ip4(198, 18, 0, 0), 15},    // benchmarking
    {Ip4(198, 51, 100, 0), 24},  // documentation
    {Ip4(203, 0, 113, 0), 24},   // documentation
    {Ip4(224, 0, 0, 0), 4},      // multicast
    {Ip4(240, 0, 0, 0), 4},      // reserved, broadcast
    {Ip4(255, 255, 255, 255), 32},
}};

bool IsPublic4(std::uint32_t address) {
    for (const auto& range : kRefused4) {
        const std::uint32_t mask = range.bits == 0 ? 0 : ~std::uint32_t{0} << (32 - range.bits);
        if ((address & mask) == range.base)
            return false;
    }
    return true;
}

std::uint32_t Embedded4(const std::uint8_t* b) {
    return std::uint32_t(b[12]) << 24 | std::uint32_t(b[13]) << 16 | std::uint32_t(b[14]) << 8 |
           b[15];
}

bool IsPublic6(const in6_addr& address) {
    const std::uint8_t* b = address.s6_addr;
    static constexpr std::uint8_t kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    if (std::memcmp(b, kMapped, 12) == 0)
        return IsPublic4(Embedded4(b));
    static constexpr std::uint8_t kNat64[12] = {0, 0x64, 0xff, 0x9b, 0, 0, 0, 0, 0, 0, 0, 0};
    if (std::memcmp(b, kNat64, 12) == 0)
        return IsPublic4(Embedded4(b));
    // Only global unicast (2000::/3) may be public at all.
    if ((b[0] & 0xE0) != 0x20)
        return false;
    if (b[0] == 0x20 && b[1] == 0x01 && b[2] == 0x0d && b[3] == 0xb8)
        return false;  // documentation
    if (b[0] == 0x20 && b[1] == 0x01 && b[2] == 0x00 && b[3] == 0x00)
        return false;  // Teredo
    if (b[0] == 0x20 && b[1] == 0x01 && b[2] < 0x02)
        return false;  // protocol assignments 2001::/23
    if (b[0] == 0x20 && b[1] == 0x02)
        return false;  // 6to4 hides any IPv4 address
    return true;
}

}  // namespace

bool IsPublicAddress(const sockaddr* address) {
    if (!address)
        return false;
    if (address->sa_family == AF_INET) {
        in_addr a{};
        std::memcpy(&a, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, sizeof a);
        return IsPublic4(ntohl(a.s_addr));
    }
    if (address->sa_family == AF_INET6) {
        in6_addr a{};
        std::memcpy(&a, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, sizeof a);
        return IsPublic6(a);
    }
    return false;
}

std::optional<std::string> HostAddress(std::string_view host) {
    if (!host.empty() && host.back() == '.')
        host.remove_suffix(1);
    const std::string text(host);
    in_addr address{};
    if (text.empty() || text.find_first_of(" \t\r\n") != std::string::npos ||
        inet_aton(text.c_str(), &address) == 0)
        return std::nullopt;
    char canonical[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, canonical, sizeof canonical);
    return std::string(canonical);
}

bool IsHostName(std::string_view name) {
    if (name.empty() || name.size() > 253)
        return false;
    std::size_t label = 0;
    for (char c : name) {
        if (c == '.') {
            if (label == 0)
                return false;
            label = 0;
        } else if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_') {
            if (++label > 63)
                return false;
        } else {
            return false;
        }
    }
    if (label == 0)
        return false;
    // A last label that is a number, decimal or 0x hex, makes the whole an address (as URLs
    // are read), never a name.
    std::string_view last = name.substr(name.size() - label);
    const bool hex = last.size() > 1 && last[0] == '0' && (last[1] == 'x' || last[1] == 'X');
    if (hex)
        last.remove_prefix(2);
    return !std::all_of(last.begin(), last.end(), [hex](char c) {
        const auto u = static_cast<unsigned char>(c);
        return hex ? std::isxdigit(u) != 0 : std::isdigit(u) != 0;
    });
}

std::string AddressText(const sockaddr* address) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address->sa_family == AF_INET) {
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text,
                  sizeof text);
    } else if (address->sa_family == AF_INET6) {
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text,
                  sizeof text);
    }
    return text;
}

}  // namespace ocrgated
