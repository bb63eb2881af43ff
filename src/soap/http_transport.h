#pragma once
// THTTPReqResp: carries one SOAP call over HTTP on a libcurl easy handle. It posts the
// request bytes with the SOAP headers, applies the status and content-type rules and
// appends the reply body to a stream. It knows nothing of XML.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "contract/ocrgate.h"
#include "soap/http_url.h"
#include "soap/stream.h"

namespace soap {

namespace detail {
struct Transfer;
}

// What the caller decides when the service or a proxy asks for credentials.
enum class CredentialsOutcome { NothingToDo, SendAgain, Cancel };

struct Credentials {
    CredentialsOutcome outcome = CredentialsOutcome::NothingToDo;
    std::string userName;
    std::string password;
};

struct AuthChallenge {
    int status = 0;  // 401 from the service, 407 from a proxy
    std::string url;
    std::string authenticate;  // the challenge header's value
};

using CredentialsCallback = std::function<Credentials(const AuthChallenge&)>;

class THTTPReqResp {
  public:
    static constexpr std::size_t kMaxSinglePost = 32768;
    static constexpr std::string_view kDefaultAgent = "Keltrin SOAP 1.2";
    static constexpr long kConnectTimeoutSeconds = 10;
    static constexpr long kTimeoutSeconds = 120;

    THTTPReqResp();
    ~THTTPReqResp();
    THTTPReqResp(const THTTPReqResp&) = delete;
    THTTPReqResp& operator=(const THTTPReqResp&) = delete;

    // Raises ESOAPHTTPException for anything but an http or https address; disconnects.
    void SetURL(std::string_view url);
    const std::string& URL() const { return url_; }
    const EndpointParts& Endpoint() const { return endpoint_; }

    const std::string& Agent() const { return agent_; }
    bool UseUTF8InHeader() const { return useUtf8InHeader_; }
    void SetUseUTF8InHeader(bool on) { useUtf8InHeader_ = on; }

    // Without a callback, 401 and 407 are status errors like any other.
    void SetCredentialsCallback(CredentialsCallback callback) {
        credentials_ = std::move(callback);
    }

    // Once the flag is set, a running transfer stops within 50 ms and Exchange raises
    // EAbort; so does an Exchange that starts with the flag set.
    void SetAbortFlag(std::shared_ptr<const std::atomic<bool>> flag) { abort_ = std::move(flag); }

    // Fixes the SOAP action of the coming call. No network activity.
    void PrepareCall(const ocrgate::InterfaceInfo& intf, std::size_t operationIndex);
    const std::string& SoapAction() const { return soapAction_; }
    void SetSoapAction(std::string action) { soapAction_ = std::move(action); }

    // Posts the whole request stream and appends the reply body to `reply`.
    void Exchange(Stream& request, Stream& reply);

    const std::string& MimeBoundary() const { return mimeBoundary_; }
    void SetMimeBoundary(std::string boundary) { mimeBoundary_ = std::move(boundary); }
    const std::string& ContentType() const { return contentType_; }

    // True between the first send and the next failure, URL change or destruction.
    bool Connected() const { return handle_ != nullptr; }

  private:
    struct HandleFree {
        void operator()(void* handle) const;
    };
    struct MultiFree {
        void operator()(void* multi) const;
    };

    void Connect();
    void Disconnect();
    void Send(detail::Transfer& transfer, const Credentials* login, int loginStatus,
              const std::string& loginChallenge);
    [[noreturn]] void RaiseCheck(int code) const;

    std::unique_ptr<void, MultiFree> multi_;  // declared first: outlives the easy handle
    std::unique_ptr<void, HandleFree> handle_;
    std::string errorText_;  // libcurl's error buffer
    std::string url_;
    EndpointParts endpoint_;
    bool endpointSet_ = false;
    std::string agent_{kDefaultAgent};
    bool useUtf8InHeader_ = false;
    std::string soapAction_;
    std::string mimeBoundary_;
    std::string contentType_;
    CredentialsCallback credentials_;
    std::shared_ptr<const std::atomic<bool>> abort_;
};

}  // namespace soap
