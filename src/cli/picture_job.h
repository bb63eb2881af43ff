#pragma once
// One picture's trip through the service: call it with a client of its own, and keep the
// reply or the error.

#include <cstdint>
#include <string>
#include <vector>

#include "reply/reading.h"

namespace cli {

struct PictureResult {
    bool ok = false;
    std::string reply;                                 // the reply text as received (UTF-8)
    reply::Reading reading;                            // its lines, paragraphs and tables
    std::string error;                                 // the error's own message
};

// True for an http or https address, which the service fetches itself.
bool IsAddress(const std::string& picture);

// The bytes of a file; throws quillory::Exception.
std::vector<std::uint8_t> ReadPictureFile(const std::string& path);

// Sends picture bytes, or an address for the service to fetch. Never throws.
PictureResult RecognizeBytes(const std::vector<std::uint8_t>& bytes, const std::string& endpoint);
PictureResult RecognizeAddress(const std::string& address, const std::string& endpoint);

}  // namespace cli
