#pragma once
// Fetches a picture from a web address for the `quillory` operation, refusing
// addresses inside the host's own networks.

#include <sys/socket.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace ocrgated {

// The address, or an address it leads to, may not be fetched.
class AddressRefused : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Not a web address the fetcher reads: not an address at all, no host, or a scheme
// other than http and https.
class AddressNotWeb : public AddressRefused {
    using AddressRefused::AddressRefused;
};

// The fetch itself failed: name resolution, connection, TLS, HTTP status, time-out.
class FetchFailed : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

class FetchTimedOut : public FetchFailed {
    using FetchFailed::FetchFailed;
};

struct FetchOptions {
    bool allow_private = false;
    std::size_t max_bytes = 20u << 20;
    std::chrono::milliseconds timeout{15'000};  // for all hops together
    int max_redirects = 3;
    // Replaces the public-address rule when set (and allow_private is off).
    std::function<bool(const sockaddr*)> permit;
};

// Throws AddressRefused, FetchFailed, or PictureTooLarge when the body would pass max_bytes.
std::vector<std::uint8_t> FetchPicture(const std::string& url, const FetchOptions& options);

}  // namespace ocrgated
