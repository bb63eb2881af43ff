#include "soap/http_transport.h"

#include <curl/curl.h>
#include <strings.h>

#include <cctype>
#include <mutex>
#include <new>
#include <optional>

#include "soap/errors.h"
#include "soap/http_transfer.h"

namespace soap {
namespace {

struct ListFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, ListFree>;

void Append(HeaderList& list, const std::string& line) {
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (grown == nullptr)
        throw std::bad_alloc();
    list.release();
    list.reset(grown);
}

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The boundary of a multipart/related reply, empty for any other content type.
std::string BoundaryOf(const std::string& contentType) {
    if (!Lower(contentType).starts_with("multipart/related"))
        return {};
    const std::size_t at = contentType.find("boundary=");
    if (at == std::string::npos)
        return {};
    std::string boundary = contentType.substr(at + 9);
    const std::size_t semicolon = boundary.find(';');
    if (semicolon != std::string::npos && semicolon != 0)
        boundary.resize(semicolon);
    return boundary;
}

bool SameText(const std::string& a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), b.size()) == 0;
}

ESOAPHTTPException StatusError(const detail::Transfer& t, const std::string& url) {
    return ESOAPHTTPException(t.reason + " (" + std::to_string(t.status) + ") - '" + url + "'",
                              t.status, 0, t.serviceReason);
}

std::string SoapActionLine(const std::string& action) {
    const std::string text = action.empty() ? "\"\"" : action;
    return text == "\"\"" ? "SOAPAction: \"\"" : "SOAPAction: \"" + text + "\"";
}

// How long the transfer may wait on its socket before looking at the abort flag again.
constexpr int kAbortCheckMs = 50;

// Runs one transfer on `multi`, looking at `abort` between waits; nullopt once it is set.
std::optional<CURLcode> Perform(CURLM* multi, CURL* curl, const std::atomic<bool>* abort) {
    if (curl_multi_add_handle(multi, curl) != CURLM_OK)
        throw std::bad_alloc();
    std::optional<CURLcode> result = CURLE_FAILED_INIT;
    for (int running = 1; running != 0;) {
        if (curl_multi_perform(multi, &running) != CURLM_OK)
            break;
        if (running != 0 && abort != nullptr && abort->load()) {
            result.reset();
            break;
        }
        if (running != 0 && curl_multi_poll(multi, nullptr, 0, kAbortCheckMs, nullptr) != CURLM_OK)
            break;
    }
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == curl)
            result = message->data.result;
    }
    // An unfinished transfer's connection is closed here, never reused.
    curl_multi_remove_handle(multi, curl);
    return result;
}

}  // namespace

void THTTPReqResp::HandleFree::operator()(void* handle) const {
    curl_easy_cleanup(handle);
}

void THTTPReqResp::MultiFree::operator()(void* multi) const {
    curl_multi_cleanup(multi);
}

THTTPReqResp::THTTPReqResp() {
    GlobalInit();
}

THTTPReqResp::~THTTPReqResp() {
    Disconnect();
}

void THTTPReqResp::SetURL(std::string_view url) {
    endpointSet_ = !url.empty();
    endpoint_ = url.empty() ? EndpointParts{} : SplitEndpoint(url);
    url_ = std::string(url);
    Disconnect();
}

void THTTPReqResp::PrepareCall(const ocrgate::InterfaceInfo& intf, std::size_t operationIndex) {
    soapAction_ = intf.ActionFor(operationIndex);
}

void THTTPReqResp::Connect() {
    if (handle_)
        return;
    // The multi handle keeps the connection between calls and lets a wait end on the abort flag.
    CURLM* multi = curl_multi_init();
    if (multi == nullptr)
        throw std::bad_alloc();
    multi_.reset(multi);
    CURL* curl = curl_easy_init();
    if (curl == nullptr)
        throw std::bad_alloc();
    handle_.reset(curl);
    errorText_.assign(CURL_ERROR_SIZE + 1, '\0');
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText_.data());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(curl, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, kTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE, static_cast<long>(kMaxSinglePost));
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, detail::OnHeader);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, detail::OnBody);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, detail::OnRead);
    curl_easy_setopt(curl, CURLOPT_SEEKFUNCTION, detail::OnSeek);
}

void THTTPReqResp::Disconnect() {
    handle_.reset();
    multi_.reset();
}

void THTTPReqResp::RaiseCheck(int code) const {
    std::string text = errorText_.c_str();
    if (text.empty())
        text = curl_easy_strerror(static_cast<CURLcode>(code));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    throw ESOAPHTTPException(
        text + " - URL:" + url_ + " - SOAPAction:" + (soapAction_.empty() ? "\"\"" : soapAction_),
        0, code);
}

void THTTPReqResp::Send(detail::Transfer& t, const Credentials* login, int loginStatus,
                        const std::string& loginChallenge) {
    CURL* curl = handle_.get();
    errorText_[0] = '\0';

    std::string target = endpoint_.object.empty() ? "/" : endpoint_.object;
    const char* scheme = endpoint_.scheme == Scheme::Https ? "https://" : "http://";
    const std::string address =
        scheme + endpoint_.host + ":" + std::to_string(endpoint_.port) + target;
    curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, agent_.c_str());

    // The SOAP lines come first, in this order; libcurl's Accept and Expect lines are dropped.
    HeaderList headers;
    Append(headers, SoapActionLine(soapAction_));
    Append(headers, useUtf8InHeader_ ? "Content-Type: text/xml; charset=\"utf-8\""
                                     : "Content-Type: text/xml");
    Append(headers, "Accept:");
    Append(headers, "Expect:");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());

    t.request->Seek(0);
    t.bodySize = t.request->Size();
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, nullptr);
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(t.bodySize));
    if (t.bodySize <= kMaxSinglePost) {
        // One piece: copied once and handed over whole.
        t.smallBody.resize(static_cast<std::size_t>(t.bodySize));
        std::size_t got = 0;
        while (got < t.smallBody.size()) {
            const std::size_t n =
                t.request->Read(t.smallBody.data() + got, t.smallBody.size() - got);
            if (n == 0)
                throw ESOAPHTTPException("Invalid HTTP Request: Length is 0", 0);
            got += n;
        }
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, t.smallBody.data());
    } else {
        t.bodyLeft = t.bodySize;
    }
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(curl, CURLOPT_READDATA, &t);
    curl_easy_setopt(curl, CURLOPT_SEEKDATA, &t);

    if (login != nullptr) {
        const bool basic = strncasecmp(loginChallenge.c_str(), "Basic", 5) == 0;
        const long methods = basic ? CURLAUTH_BASIC : CURLAUTH_ANY;
        if (loginStatus == 407) {
            curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, login->userName.c_str());
            curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, login->password.c_str());
            curl_easy_setopt(curl, CURLOPT_PROXYAUTH, methods);
        } else {
            curl_easy_setopt(curl, CURLOPT_USERNAME, login->userName.c_str());
            curl_easy_setopt(curl, CURLOPT_PASSWORD, login->password.c_str());
            curl_easy_setopt(curl, CURLOPT_HTTPAUTH, methods);
        }
    }

    if (abort_ && abort_->load())
        throw EAbort();
    const std::optional<CURLcode> performed = Perform(multi_.get(), curl, abort_.get());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    if (!performed)
        throw EAbort();
    const CURLcode code = *performed;
    if (t.error)
        std::rethrow_exception(t.error);
    if (t.lengthZero)
        throw ESOAPHTTPException("Invalid HTTP Request: Length is 0", 0);
    if (t.mode == detail::Transfer::Mode::Refused) {
        throw StatusError(t, url_);
    }
    if (code != CURLE_OK)
        RaiseCheck(code);
}

void THTTPReqResp::Exchange(Stream& request, Stream& reply) {
    try {
        Connect();
        Credentials login;
        int loginStatus = 0;
        std::string loginChallenge;
        for (;;) {
            detail::Transfer t;
            t.request = &request;
            t.reply = &reply;
            t.challengeWanted = static_cast<bool>(credentials_);
            Send(t, loginStatus ? &login : nullptr, loginStatus, loginChallenge);

            if (t.mode == detail::Transfer::Mode::Discard) {
                login = credentials_(AuthChallenge{t.status, url_, t.challenge});
                if (login.outcome == CredentialsOutcome::Cancel)
                    throw EAbort();
                if (login.outcome == CredentialsOutcome::SendAgain) {
                    loginStatus = t.status;
                    loginChallenge = t.challenge;
                    continue;
                }
                throw StatusError(t, url_);  // nothing to do: the status rules apply
            }

            contentType_ = t.contentType;
            mimeBoundary_ = BoundaryOf(contentType_);
            if (SameText(contentType_, "text/plain") || SameText(contentType_, "text/html")) {
                throw ESOAPHTTPException("Received content of invalid Content-Type setting: " +
                                             contentType_ + " - SOAP expects \"text/xml\"",
                                         0);
            }
            return;
        }
    } catch (...) {
        Disconnect();
        throw;
    }
}

}  // namespace soap
