#include "soap/http_transfer.h"

#include <curl/curl.h>
#include <strings.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>

#include "contract/fault_reason.h"
#include "soap/http_transport.h"

namespace soap::detail {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() &&
           (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) {
        s.remove_suffix(1);
    }
    return s;
}

bool IsName(std::string_view field, std::string_view name) {
    return field.size() == name.size() && strncasecmp(field.data(), name.data(), name.size()) == 0;
}

// "HTTP/1.1 404 Not Found": a new response starts (after an interim one, or a retry).
void StartResponse(Transfer& t, std::string_view line) {
    t.status = 0;
    t.reason.clear();
    t.contentType.clear();
    t.challenge.clear();
    t.serviceReason.clear();
    t.mode = Transfer::Mode::Keep;
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos)
        return;
    std::string_view rest = line.substr(space + 1);
    const std::size_t end = std::min(rest.find(' '), rest.size());
    std::from_chars(rest.data(), rest.data() + end, t.status);
    if (end < rest.size())
        t.reason = std::string(rest.substr(end + 1));
}

}  // namespace

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* transfer) {
    auto& t = *static_cast<Transfer*>(transfer);
    const std::size_t length = size * count;
    std::string_view line(data, length);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);

    if (line.starts_with("HTTP/")) {
        StartResponse(t, line);
        return length;
    }
    if (line.empty()) {  // the head is complete
        if (t.status < 200)
            return length;
        if ((t.status == 401 || t.status == 407) && t.challengeWanted) {
            t.mode = Transfer::Mode::Discard;
        } else if (t.status >= 300 && t.status != 500) {
            t.mode = Transfer::Mode::Refused;
            return 0;  // stops the transfer before the body
        }
        return length;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return length;
    const std::string_view name = line.substr(0, colon);
    const std::string_view value = Trim(line.substr(colon + 1));
    if (IsName(name, "Content-Type")) {
        t.contentType = std::string(value);
    } else if (IsName(name, ocrgate::kReasonHeader)) {
        t.serviceReason = std::string(value.substr(0, 64));
    } else if (t.challenge.empty() && ((t.status == 401 && IsName(name, "WWW-Authenticate")) ||
                                       (t.status == 407 && IsName(name, "Proxy-Authenticate")))) {
        t.challenge = std::string(value);
    }
    return length;
}

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* transfer) {
    auto& t = *static_cast<Transfer*>(transfer);
    const std::size_t length = size * count;
    if (t.mode == Transfer::Mode::Discard)
        return length;
    try {
        t.reply->Write(reinterpret_cast<const std::uint8_t*>(data), length);
    } catch (...) {
        t.error = std::current_exception();
        return CURL_WRITEFUNC_ERROR;
    }
    return length;
}

std::size_t OnRead(char* data, std::size_t size, std::size_t count, void* transfer) {
    auto& t = *static_cast<Transfer*>(transfer);
    const std::uint64_t want = std::min<std::uint64_t>(
        {static_cast<std::uint64_t>(size) * count, THTTPReqResp::kMaxSinglePost, t.bodyLeft});
    if (want == 0)
        return 0;
    try {
        const std::size_t got =
            t.request->Read(reinterpret_cast<std::uint8_t*>(data), static_cast<std::size_t>(want));
        if (got == 0) {  // the stream ended before the length it announced
            t.lengthZero = true;
            return CURL_READFUNC_ABORT;
        }
        t.bodyLeft -= got;
        return got;
    } catch (...) {
        t.error = std::current_exception();
        return CURL_READFUNC_ABORT;
    }
}

// libcurl rewinds the body when it must send it again, e.g. on a kept-alive connection
// that the server had closed meanwhile.
int OnSeek(void* transfer, long long offset, int origin) {
    auto& t = *static_cast<Transfer*>(transfer);
    if (origin != SEEK_SET || offset < 0 || static_cast<std::uint64_t>(offset) > t.bodySize) {
        return CURL_SEEKFUNC_CANTSEEK;
    }
    try {
        t.request->Seek(static_cast<std::uint64_t>(offset));
        t.bodyLeft = t.bodySize - static_cast<std::uint64_t>(offset);
        return CURL_SEEKFUNC_OK;
    } catch (...) {
        return CURL_SEEKFUNC_FAIL;
    }
}

}  // namespace soap::detail
