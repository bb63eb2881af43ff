#include "client/service_call.h"

#include "soap/rio.h"

namespace client {

Recognition CallService(const std::string& endpoint, const PictureSource& picture,
                        std::shared_ptr<const std::atomic<bool>> abort) {
    soap::THTTPRIO rio;
    rio.SetUseUTF8InHeader(true);
    if (abort)
        rio.HTTPWebNode().SetAbortFlag(std::move(abort));
    rio.SetURL(endpoint);
    Recognition recognition;
    if (const auto* bytes = std::get_if<std::span<const std::uint8_t>>(&picture))
        recognition.reply = rio.imgbase64totext(*bytes);
    else
        recognition.reply = rio.quillory(std::get<std::u16string_view>(picture));
    // A reply that does not read leaves the lines empty: the window shows its text as it
    // came, and the command line reports it.
    recognition.reading = reply::ReadReply(recognition.reply);
    return recognition;
}

}  // namespace client
