#pragma once
// THTTPRIO: the service client. It binds `ocrgateSoap`, builds each request, hands it to
// its transport and reads the reply into the operation's result.

#include <memory>
#include <string>

#include "contract/ocrgate.h"
#include "soap/http_transport.h"
#include "soap/request.h"

namespace soap {

class THTTPRIO final : public ocrgate::ocrgateSoap {
  public:
    // Binds the registered `ocrgateSoap`; the endpoint is empty until URL is set.
    THTTPRIO();
    THTTPRIO(const THTTPRIO&) = delete;
    THTTPRIO& operator=(const THTTPRIO&) = delete;

    THTTPReqResp& HTTPWebNode() { return *webNode_; }

    // Handed on to the transport; raises for anything but http and https.
    void SetURL(std::string_view url) { webNode_->SetURL(url); }
    const std::string& URL() const { return webNode_->URL(); }
    void SetUseUTF8InHeader(bool on) { webNode_->SetUseUTF8InHeader(on); }
    bool UseUTF8InHeader() const { return webNode_->UseUTF8InHeader(); }

    std::u16string HelloWorld() override;
    std::u16string quillory(std::u16string_view url) override;
    std::u16string imgbase64totext(std::span<const std::uint8_t> img) override;

  private:
    std::u16string Invoke(ocrgate::OperationId id, const Argument& argument);

    ocrgate::InterfaceInfo interface_;
    std::unique_ptr<THTTPReqResp> webNode_;
};

}  // namespace soap
