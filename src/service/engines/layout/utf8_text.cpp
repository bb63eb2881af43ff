#include "service/engines/layout/utf8_text.h"

namespace ocrgated::layout {
namespace {

bool Continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

}  // namespace

std::size_t CodePoints(std::string_view utf8) {
    std::size_t count = 0;
    for (char byte : utf8)
        count += !Continuation(static_cast<unsigned char>(byte));
    return count;
}

std::size_t FirstWordLength(std::string_view utf8) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const char32_t c = quillory::DecodeUtf8(utf8, at);
        if (c == U' ' || c == U'\t' || c == U'\u3000')
            break;
        if (IsCjk(c))
            return count == 0 ? 1 : count;
        ++count;
    }
    return count;
}

std::size_t NonSpaceCharacters(std::string_view utf8) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < utf8.size();)
        count += quillory::DecodeUtf8(utf8, at) != U' ';
    return count;
}

std::size_t ByteOfNonSpace(std::string_view utf8, std::size_t index) {
    std::size_t seen = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t start = at;
        if (quillory::DecodeUtf8(utf8, at) != U' ' && seen++ == index)
            return start;
    }
    return std::string_view::npos;
}

}  // namespace ocrgated::layout
