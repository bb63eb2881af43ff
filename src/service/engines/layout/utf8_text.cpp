#include "service/engines/layout/utf8_text.h"

namespace ocrgated::layout {
namespace {

bool Continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The code point starting at `at`, and where the next one starts.
char32_t Decode(std::string_view utf8, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(utf8[at++]);
    const int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0)
        return 0xFFFD;
    char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (at >= utf8.size() || !Continuation(static_cast<unsigned char>(utf8[at])))
            return 0xFFFD;
        c = (c << 6) | (static_cast<unsigned char>(utf8[at++]) & 0x3F);
    }
    return c;
}

}  // namespace

char32_t FirstCodePoint(std::string_view utf8) {
    std::size_t at = 0;
    return utf8.empty() ? 0 : Decode(utf8, at);
}

char32_t LastCodePoint(std::string_view utf8) {
    if (utf8.empty())
        return 0;
    std::size_t at = utf8.size() - 1;
    while (at > 0 && utf8.size() - at < 4 && Continuation(static_cast<unsigned char>(utf8[at])))
        --at;
    return Decode(utf8, at);
}

std::size_t CodePoints(std::string_view utf8) {
    std::size_t count = 0;
    for (char byte : utf8)
        count += !Continuation(static_cast<unsigned char>(byte));
    return count;
}

std::size_t FirstWordLength(std::string_view utf8) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const char32_t c = Decode(utf8, at);
        if (c == U' ' || c == U'\t' || c == U'\u3000')
            break;
        if (IsCjk(c))
            return count == 0 ? 1 : count;
        ++count;
    }
    return count;
}

}  // namespace ocrgated::layout
