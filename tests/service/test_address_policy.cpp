// Which addresses a picture may be fetched from.

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "service/fetch/address_policy.h"

namespace ocrgated {
namespace {

bool Public(const std::string& text) {
    sockaddr_storage storage{};
    if (text.find(':') == std::string::npos) {
        auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
        v4->sin_family = AF_INET;
        EXPECT_EQ(inet_pton(AF_INET, text.c_str(), &v4->sin_addr), 1) << text;
    } else {
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
        v6->sin6_family = AF_INET6;
        EXPECT_EQ(inet_pton(AF_INET6, text.c_str(), &v6->sin6_addr), 1) << text;
    }
    return IsPublicAddress(reinterpret_cast<const sockaddr*>(&storage));
}

TEST(AddressPolicy, RefusesInternalAndReservedNetworks) {
    for (const char* address : {"127.0.0.1",
                                "127.255.0.9",
                                "10.0.0.1",
                                "10.255.255.255",
                                "172.16.0.1",
                                "172.31.255.1",
                                "192.168.1.1",
                                "169.254.169.254",
                                "100.64.0.1",
                                "0.0.0.0",
                                "224.0.0.1",
                                "239.255.255.250",
                                "240.0.0.1",
                                "255.255.255.255",
                                "192.0.2.10",
                                "198.18.0.1",
                                "::",
                                "::1",
                                "fe80::1",
                                "fc00::1",
                                "fd12:3456::1",
                                "ff02::1",
                                "::ffff:127.0.0.1",
                                "::ffff:10.1.2.3",
                                "64:ff9b::a00:1",
                                "2001:db8::1",
                                "2002:7f00:1::1",
                                "2001::1",
                                "::127.0.0.1"}) {
        EXPECT_FALSE(Public(address)) << address;
    }
}

TEST(AddressPolicy, AllowsPublicAddresses) {
    for (const char* address :
         {"1.1.1.1", "8.8.8.8", "93.184.216.34", "172.32.0.1", "192.169.0.1", "100.128.0.1",
          "2606:4700:4700::1111", "2a00:1450:4001::200e", "::ffff:8.8.8.8"}) {
        EXPECT_TRUE(Public(address)) << address;
    }
}

TEST(AddressPolicy, AHostIsAnAddressInAnySpellingOrAValidNameOrNothing) {
    const struct {
        const char* host;
        std::optional<std::string> address;  // the address it spells
        bool name;                           // or a name the resolver may be asked about
    } cases[] = {
        {"127.0.0.1", "127.0.0.1", false},
        {"127.0.0.1.", "127.0.0.1", false},
        {"0x7f.1", "127.0.0.1", false},
        {"2130706433", "127.0.0.1", false},
        {"0177.0.0.1", "127.0.0.1", false},
        {"10.1", "10.0.0.1", false},
        {"example.org", std::nullopt, true},
        {"example.org.", std::nullopt, false},  // the final dot is the caller's to take off
        {"under_score-9.example", std::nullopt, true},
        {"example.123", std::nullopt, false},  // ends in a number: no name, no address
        {"127.0.0.1%09", std::nullopt, false},
        {"127.0.0.1%2509", std::nullopt, false},
        {"a..b", std::nullopt, false},
        {"with space", std::nullopt, false},
        {"", std::nullopt, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HostAddress(c.host), c.address) << c.host;
        EXPECT_EQ(IsHostName(c.host), c.name) << c.host;
    }
    EXPECT_FALSE(IsHostName(std::string(64, 'a') + ".org"));
}

}  // namespace
}  // namespace ocrgated
