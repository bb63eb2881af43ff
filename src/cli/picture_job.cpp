#include "cli/picture_job.h"

#include <strings.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "base/exception.h"
#include "base/utf.h"
#include "client/service_call.h"

namespace cli {
namespace {

PictureResult Call(const std::string& endpoint, const client::PictureSource& picture) {
    PictureResult result;
    try {
        client::Recognition recognition = client::CallService(endpoint, picture);
        result.reply = quillory::Utf16ToUtf8(recognition.reply);
        if (!recognition.reading.readable) {
            result.error = "The service's reply cannot be read";
            return result;
        }
        result.reading = std::move(recognition.reading);
        result.ok = true;
    } catch (const std::exception& e) {
        result.error = e.what();
    }
    return result;
}

}  // namespace

bool IsAddress(const std::string& picture) {
    return strncasecmp(picture.c_str(), "http://", 7) == 0 ||
           strncasecmp(picture.c_str(), "https://", 8) == 0;
}

std::vector<std::uint8_t> ReadPictureFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw quillory::Exception("Cannot open file \"" + path + "\". " + std::strerror(errno));
    }
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>()};
    if (in.bad()) {
        throw quillory::Exception("Cannot read file \"" + path + "\". " + std::strerror(errno));
    }
    return bytes;
}

PictureResult RecognizeBytes(const std::vector<std::uint8_t>& bytes, const std::string& endpoint) {
    return Call(endpoint, std::span<const std::uint8_t>(bytes));
}

PictureResult RecognizeAddress(const std::string& address, const std::string& endpoint) {
    const std::u16string text = quillory::Utf8ToUtf16(address);
    return Call(endpoint, std::u16string_view(text));
}

}  // namespace cli
