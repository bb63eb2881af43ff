#include "cli/picture_job.h"

#include <strings.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>

#include "reply/reply.h"
#include "soap/errors.h"
#include "soap/rio.h"
#include "soap/utf.h"

namespace cli {
namespace {

PictureResult Call(const std::string& endpoint,
                   const std::function<std::u16string(soap::THTTPRIO&)>& operation) {
    PictureResult result;
    try {
        soap::THTTPRIO rio;  // one client per request, released when the call ends
        rio.SetUseUTF8InHeader(true);
        rio.SetURL(endpoint);
        const std::u16string reply = operation(rio);
        result.reply = soap::Utf16ToUtf8(reply);
        const reply::ReplyPtr doc = reply::ParseReply(reply);
        if (!doc) {
            result.error = "The service's reply cannot be read";
            return result;
        }
        result.lines = reply::ResultLines(doc);
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
    return Call(endpoint, [&](soap::THTTPRIO& rio) { return rio.imgbase64totext(bytes); });
}

PictureResult RecognizeAddress(const std::string& address, const std::string& endpoint) {
    return Call(endpoint,
                [&](soap::THTTPRIO& rio) { return rio.quillory(soap::Utf8ToUtf16(address)); });
}

}  // namespace cli
