#include "service/fetch/url_fetcher.h"

#include <curl/curl.h>
#include <arpa/inet.h>
#include <netdb.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <optional>

#include "service/common/picture_errors.h"
#include "service/fetch/address_policy.h"
#include "soap/http_url.h"

namespace ocrgated {
namespace {

using Clock = std::chrono::steady_clock;

struct CurlFree {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct SlistFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct AddrinfoFree {
    void operator()(addrinfo* info) const { freeaddrinfo(info); }
};

struct Target {
    std::string url, scheme, host, port;
    std::string lookup;    // what is resolved: the host without brackets or a final dot
    bool literal = false;  // the host is an IP address, in whatever spelling
};

// The address as a fault or log shows it: without credentials, and at most 200
// characters, so that a reply never echoes a secret or a huge request back.
std::string Shown(const std::string& url) {
    std::string shown = url;
    const auto scheme = shown.find("://");
    const auto start = scheme == std::string::npos ? 0 : scheme + 3;
    const auto end = std::min(shown.find_first_of("/?#", start), shown.size());
    const auto at = shown.rfind('@', end == 0 ? 0 : end - 1);
    if (at != std::string::npos && at >= start && at < end)
        shown.erase(start, at + 1 - start);
    if (shown.size() > 200)
        shown = shown.substr(0, 200) + "…";
    return shown;
}

Target Parse(const std::string& url) {
    const std::optional<soap::UrlParts> parts = soap::ParseUrl(url);
    if (!parts)
        throw AddressNotWeb("Not a valid web address: " + Shown(url));
    Target target{url, parts->scheme, parts->host, parts->port, {}, false};
    if (target.scheme != "http" && target.scheme != "https") {
        throw AddressNotWeb("Only http and https addresses are fetched, not " + target.scheme);
    }
    if (target.host.empty())
        throw AddressNotWeb("The address names no host: " + Shown(url));
    if (target.host.front() == '[') {
        target.host = target.host.substr(1, target.host.size() - 2);
        in6_addr address{};
        if (inet_pton(AF_INET6, target.host.c_str(), &address) != 1)
            throw AddressNotWeb("Not a valid IPv6 address: " + Shown(url));
        target.lookup = target.host;
        target.literal = true;
        return target;
    }
    // "127.0.0.1." is 127.0.0.1, and 0x7f.1, 2130706433 or 0177.0.0.1 are too: any spelling
    // the resolver would read as an address is judged as that address, with no lookup.
    if (const auto address = HostAddress(target.host)) {
        target.lookup = *address;
        target.literal = true;
        return target;
    }
    target.lookup = target.host.back() == '.' ? target.host.substr(0, target.host.size() - 1)
                                               : target.host;
    if (!IsHostName(target.lookup))
        throw AddressNotWeb("The address names no valid host: " + Shown(url));
    return target;
}

bool Permitted(const sockaddr* address, const FetchOptions& options) {
    if (options.allow_private)
        return address->sa_family == AF_INET || address->sa_family == AF_INET6;
    return options.permit ? options.permit(address) : IsPublicAddress(address);
}

// Resolves the host once and returns the first address we may connect to.
sockaddr_storage Resolve(const Target& target, const FetchOptions& options) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (target.literal) {
        // Judged before anything is sent anywhere.
        hints.ai_flags = AI_NUMERICHOST;
    }
    const int rc = getaddrinfo(target.lookup.c_str(), nullptr, &hints, &found);
    if (rc != 0)
        throw FetchFailed("Cannot resolve " + target.host + ": " + gai_strerror(rc));
    std::unique_ptr<addrinfo, AddrinfoFree> list(found);
    for (const addrinfo* info = list.get(); info; info = info->ai_next) {
        if (Permitted(info->ai_addr, options)) {
            sockaddr_storage chosen{};
            std::memcpy(&chosen, info->ai_addr, info->ai_addrlen);
            return chosen;
        }
    }
    // What the name resolves to stays out of the fault: it would map the host's networks.
    throw AddressRefused("The address " + target.host +
                         " is in a private, loopback, link-local, multicast or reserved network");
}

bool SameAddress(const sockaddr* a, const sockaddr_storage& b) {
    if (a->sa_family != b.ss_family)
        return false;
    if (a->sa_family == AF_INET) {
        return std::memcmp(&reinterpret_cast<const sockaddr_in*>(a)->sin_addr,
                           &reinterpret_cast<const sockaddr_in*>(&b)->sin_addr,
                           sizeof(in_addr)) == 0;
    }
    return std::memcmp(&reinterpret_cast<const sockaddr_in6*>(a)->sin6_addr,
                       &reinterpret_cast<const sockaddr_in6*>(&b)->sin6_addr,
                       sizeof(in6_addr)) == 0;
}

struct Hop {
    const FetchOptions* options;
    sockaddr_storage pinned;
    std::vector<std::uint8_t> body;
    bool too_large = false;
    bool socket_refused = false;
};

std::size_t OnData(char* data, std::size_t size, std::size_t count, void* user) {
    auto* hop = static_cast<Hop*>(user);
    const std::size_t n = size * count;
    if (hop->body.size() + n > hop->options->max_bytes) {
        hop->too_large = true;
        return 0;
    }
    hop->body.insert(hop->body.end(), data, data + n);
    return n;
}

// The last word on where we connect: only to the address that was checked.
curl_socket_t OnOpenSocket(void* user, curlsocktype, curl_sockaddr* address) {
    auto* hop = static_cast<Hop*>(user);
    if (!SameAddress(&address->addr, hop->pinned) || !Permitted(&address->addr, *hop->options)) {
        hop->socket_refused = true;
        return CURL_SOCKET_BAD;
    }
    return socket(address->family, address->socktype, address->protocol);
}

struct HopResult {
    long status = 0;
    std::string location;  // redirect target, when status is 3xx
    std::vector<std::uint8_t> body;
};

HopResult FetchOnce(const Target& target, const FetchOptions& options,
                    std::chrono::milliseconds left) {
    Hop hop{&options, Resolve(target, options), {}, false, false};
    std::unique_ptr<CURL, CurlFree> curl(curl_easy_init());
    if (!curl)
        throw FetchFailed("Cannot start a web request");
    std::unique_ptr<curl_slist, SlistFree> resolve;
    if (!target.literal || target.lookup != target.host) {
        // Pin the name to the address we checked, so a second lookup cannot move it.
        std::string address = AddressText(reinterpret_cast<const sockaddr*>(&hop.pinned));
        if (hop.pinned.ss_family == AF_INET6)
            address = "[" + address + "]";
        resolve.reset(
            curl_slist_append(nullptr, (target.host + ":" + target.port + ":" + address).c_str()));
    }
    char error[CURL_ERROR_SIZE] = {};
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, target.url.c_str());
    curl_easy_setopt(c, CURLOPT_RESOLVE, resolve.get());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(c, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(c, CURLOPT_PROXY, "");
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS,
                     static_cast<long>(std::max<long long>(1, left.count())));
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(std::max<long long>(1, left.count())));
    curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.max_bytes));
    curl_easy_setopt(c, CURLOPT_USERAGENT, "ocrgated/" OCRGATED_VERSION);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnData);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &hop);
    curl_easy_setopt(c, CURLOPT_OPENSOCKETFUNCTION, OnOpenSocket);
    curl_easy_setopt(c, CURLOPT_OPENSOCKETDATA, &hop);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);

    const CURLcode rc = curl_easy_perform(c);
    const std::string limit = std::to_string(options.max_bytes >> 20) + " MiB";
    if (hop.too_large || rc == CURLE_FILESIZE_EXCEEDED) {
        throw PictureTooLarge("The picture at " + Shown(target.url) + " is larger than " + limit);
    }
    if (hop.socket_refused)
        throw AddressRefused("The connection to " + target.host + " was refused by policy");
    if (rc == CURLE_OPERATION_TIMEDOUT) {
        throw FetchTimedOut("Fetching " + Shown(target.url) + " took longer than " +
                          std::to_string(options.timeout.count() / 1000) + " s");
    }
    if (rc != CURLE_OK) {
        throw FetchFailed("Fetching " + Shown(target.url) +
                          " failed: " + (*error ? error : curl_easy_strerror(rc)));
    }
    HopResult result;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &result.status);
    char* location = nullptr;
    if (curl_easy_getinfo(c, CURLINFO_REDIRECT_URL, &location) == CURLE_OK && location)
        result.location = location;
    result.body = std::move(hop.body);
    return result;
}

}  // namespace

std::vector<std::uint8_t> FetchPicture(const std::string& url, const FetchOptions& options) {
    static std::once_flag init;
    std::call_once(init, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    const auto deadline = Clock::now() + options.timeout;
    std::string next = url;
    for (int hop = 0;; ++hop) {
        const Target target = Parse(next);
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            throw FetchTimedOut("Fetching " + Shown(url) + " took longer than " +
                              std::to_string(options.timeout.count() / 1000) + " s");
        }
        HopResult result = FetchOnce(target, options, left);
        if (result.status >= 300 && result.status < 400 && !result.location.empty()) {
            if (hop >= options.max_redirects) {
                throw FetchFailed("The address " + Shown(url) + " redirects more than " +
                                  std::to_string(options.max_redirects) + " times");
            }
            next = result.location;
            continue;
        }
        if (result.status < 200 || result.status >= 300) {
            throw FetchFailed("The server of " + Shown(target.url) + " answered with HTTP status " +
                              std::to_string(result.status));
        }
        return std::move(result.body);
    }
}

}  // namespace ocrgated
