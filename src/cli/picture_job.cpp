#include "cli/picture_job.h"

#include <strings.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "reply/reply.h"
#include "reply/result_lines.h"
#include "soap/errors.h"
#include "soap/rio.h"
#include "soap/utf.h"

namespace cli {
namespace {

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

}  // namespace

bool IsAddress(const std::string& picture) {
    return strncasecmp(picture.c_str(), "http://", 7) == 0 ||
           strncasecmp(picture.c_str(), "https://", 8) == 0;
}

bool ReadLines(const std::u16string& text, std::vector<std::string>& lines) {
    const reply::ReplyPtr doc = reply::ParseReply(text);
    if (!doc)
        return false;
    for (const reply::ResultLine& line : reply::ResultLines(doc))
        lines.push_back(soap::Utf16ToUtf8(line.words));
    return true;
}

PictureResult RecognizePicture(const std::string& picture, const std::string& endpoint,
                               const std::vector<std::uint8_t>& stdinBytes) {
    PictureResult result;
    try {
        soap::THTTPRIO rio;  // one client per request, released when the call ends
        rio.SetUseUTF8InHeader(true);
        rio.SetURL(endpoint);
        std::u16string reply;
        if (picture == "-") {
            reply = rio.imgbase64totext(stdinBytes);
        } else if (IsAddress(picture)) {
            reply = rio.quillory(soap::Utf8ToUtf16(picture));
        } else {
            reply = rio.imgbase64totext(ReadPictureFile(picture));
        }
        result.reply = soap::Utf16ToUtf8(reply);
        if (!ReadLines(reply, result.lines)) {
            result.error = "The service's reply cannot be read";
            return result;
        }
        result.ok = true;
    } catch (const std::exception& e) {
        result.error = e.what();
    }
    return result;
}

}  // namespace cli
