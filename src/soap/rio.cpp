#include "soap/rio.h"

#include <stdexcept>

#include "soap/reply.h"

namespace soap {
namespace {

ocrgate::InterfaceInfo Bind() {
    auto info = ocrgate::InvRegistry::Instance().Lookup(ocrgate::kInterfaceName);
    if (!info)
        throw std::logic_error("ocrgateSoap is not registered");
    return *std::move(info);
}

}  // namespace

THTTPRIO::THTTPRIO() : interface_(Bind()), webNode_(std::make_unique<THTTPReqResp>()) {}

std::u16string THTTPRIO::HelloWorld() {
    return Invoke(ocrgate::OperationId::HelloWorld, std::monostate{});
}

std::u16string THTTPRIO::quillory(std::u16string_view url) {
    return Invoke(ocrgate::OperationId::Quillory, url);
}

std::u16string THTTPRIO::imgbase64totext(std::span<const std::uint8_t> img) {
    return Invoke(ocrgate::OperationId::ImgBase64ToText, img);
}

std::u16string THTTPRIO::Invoke(ocrgate::OperationId id, const Argument& argument) {
    const std::size_t operationIndex = ocrgate::IndexOf(id);
    const ocrgate::Operation& operation = interface_.operations.at(operationIndex);
    // The streams live in this frame, so they are released however the call ends.
    MemoryStream request = BuildRequest(interface_, operation, argument);
    webNode_->PrepareCall(interface_, operationIndex);
    MemoryStream reply;
    webNode_->Exchange(request, reply);
    // A multipart reply is never sent by this service; its body goes to the reader whole,
    // which then reports it as not being XML.
    return ReadReply(reply, interface_, operation);
}

}  // namespace soap
