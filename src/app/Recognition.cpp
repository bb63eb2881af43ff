#include "Recognition.h"

#include <cstdint>
#include <memory>
#include <span>

#include "AppErrors.h"
#include "FailureText.h"
#include "soap/rio.h"

namespace quillory {

RecognitionOutcome Recognize(const RecognitionRequest& request) {
    RecognitionOutcome outcome;
    try {
        // One client per request, released when the call ends.
        auto client = std::make_unique<soap::THTTPRIO>();
        client->HTTPWebNode().SetUseUTF8InHeader(true);
        client->HTTPWebNode().SetAbortFlag(request.abort);
        client->SetURL(request.endpoint.toStdString());
        std::u16string reply;
        if (request.kind == RecognitionRequest::Kind::Address) {
            reply = client->quillory(request.address.toStdU16String());
        } else {
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(request.picture.constData());
            reply = client->imgbase64totext(std::span(bytes, std::size_t(request.picture.size())));
        }
        outcome.reply = QString::fromStdU16String(reply);
        outcome.succeeded = true;
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        outcome.cancelled = IsSilentAbort(error);
        outcome.failure = DescribeError(error);
        outcome.cause = FailureCause(error, request.endpoint);
    }
    return outcome;
}

}  // namespace quillory
