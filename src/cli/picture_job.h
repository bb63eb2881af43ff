#pragma once
// One picture's trip through the service: read it (or take its address), call the
// service with a client of its own, and keep the reply or the error.

#include <cstdint>
#include <string>
#include <vector>

namespace cli {

struct PictureResult {
    bool ok = false;
    std::string reply;               // the reply text as received (UTF-8)
    std::vector<std::string> lines;  // the recognised lines (UTF-8)
    std::string error;               // the error's own message
};

// True for an http or https address, which the service fetches itself.
bool IsAddress(const std::string& picture);

// `stdinBytes` stands for the picture "-".
PictureResult RecognizePicture(const std::string& picture, const std::string& endpoint,
                               const std::vector<std::uint8_t>& stdinBytes);

// The "words" of each element of "words_result", read as the result display reads them.
// Returns false when the reply is not readable at all.
bool ReadLines(const std::u16string& reply, std::vector<std::string>& lines);

}  // namespace cli
