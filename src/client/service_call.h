#pragma once
// One recognition by the service, as the window and the command line both make it: a
// client of its own for the call, released when it ends, and the reply's lines.

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "reply/reading.h"

namespace client {

// The picture's bytes, or the web address of a picture that the service fetches itself.
using PictureSource = std::variant<std::span<const std::uint8_t>, std::u16string_view>;

struct Recognition {
    std::u16string reply;   // the reply text as received
    reply::Reading reading;  // read once, for whatever shows it
};

// Calls the service at `endpoint`. Setting `abort` from another thread calls the request
// off at once. Throws the transport's and the SOAP reader's errors (soap::EAbort when
// called off).
Recognition CallService(const std::string& endpoint, const PictureSource& picture,
                        std::shared_ptr<const std::atomic<bool>> abort = nullptr);

}  // namespace client
