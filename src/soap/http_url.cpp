#include "soap/http_url.h"

#include <curl/curl.h>

#include <charconv>
#include <memory>

#include "soap/errors.h"

namespace soap {
namespace {

struct UrlFree {
    void operator()(CURLU* u) const { curl_url_cleanup(u); }
};

[[noreturn]] void Refuse(std::string_view url) {
    throw ESOAPHTTPException(
        "Invalid url '" + std::string(url) + "' - only supports 'http' and 'https' schemes", 0);
}

std::string Part(CURLU* u, CURLUPart part, unsigned flags = 0) {
    char* value = nullptr;
    if (curl_url_get(u, part, &value, flags) != CURLUE_OK || value == nullptr)
        return {};
    std::string out(value);
    curl_free(value);
    return out;
}

}  // namespace

std::optional<UrlParts> ParseUrl(std::string_view url) {
    const std::string text(url);
    std::unique_ptr<CURLU, UrlFree> u(curl_url());
    if (!u)
        throw std::bad_alloc();
    if (text.find('\0') != std::string::npos ||
        curl_url_set(u.get(), CURLUPART_URL, text.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) {
        return std::nullopt;
    }
    return UrlParts{Part(u.get(), CURLUPART_SCHEME), Part(u.get(), CURLUPART_HOST),
                    Part(u.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT)};
}

EndpointParts SplitEndpoint(std::string_view url) {
    const std::string text(url);
    const std::optional<UrlParts> read = ParseUrl(url);
    if (!read)
        Refuse(url);
    EndpointParts parts;
    if (read->scheme == "http") {
        parts.scheme = Scheme::Http;
    } else if (read->scheme == "https") {
        parts.scheme = Scheme::Https;
    } else {
        Refuse(url);
    }
    parts.host = read->host;
    const std::string& port = read->port;
    unsigned value = 0;
    auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (parts.host.empty() || ec != std::errc() || end != port.data() + port.size() ||
        value > 65535) {
        Refuse(url);
    }
    parts.port = static_cast<std::uint16_t>(value);

    // The object keeps everything after the authority exactly as written.
    const std::size_t authority = text.find("://");
    const std::size_t start = text.find_first_of("/?#", authority + 3);
    if (start != std::string::npos) {
        const std::string_view object = std::string_view(text).substr(start);
        parts.object.reserve(object.size() + 1);
        if (object.front() != '/')
            parts.object += '/';
        parts.object += object;
    }
    return parts;
}

}  // namespace soap
