#include "Recognition.h"

#include <cstdint>
#include <span>

#include "AppErrors.h"
#include "FailureText.h"
#include "client/service_call.h"

namespace quillory {

RecognitionOutcome Recognize(const RecognitionRequest& request) {
    RecognitionOutcome outcome;
    try {
        const std::u16string address = request.address.toStdU16String();
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(request.picture.constData());
        const client::PictureSource picture =
            request.kind == RecognitionRequest::Kind::Address
                ? client::PictureSource(std::u16string_view(address))
                : client::PictureSource(std::span(bytes, std::size_t(request.picture.size())));
        client::Recognition recognition =
            client::CallService(request.endpoint.toStdString(), picture, request.abort);
        outcome.reply = QString::fromStdU16String(recognition.reply);
        outcome.reading = std::move(recognition.reading);
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
