#include "base/utf.h"

#include <cstdint>

namespace quillory {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

char32_t DecodeUtf8(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<std::uint8_t>(s[i]);
    int extra;
    char32_t c;
    if (b0 < 0x80) {
        ++i;
        return b0;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
        extra = 1, c = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        extra = 2, c = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        extra = 3, c = b0 & 0x07;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + extra >= s.size()) {
        ++i;
        return kReplacement;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<std::uint8_t>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        c = (c << 6) | (b & 0x3F);
    }
    const bool overlong = (extra == 2 && c < 0x800) || (extra == 3 && c < 0x10000);
    if (overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += extra + 1;
    return c;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char32_t c = DecodeUtf8(text, i);
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::string Utf8Prefix(std::string_view text, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < text.size() && count > 0; --count)
        AppendUtf8(out, DecodeUtf8(text, i));
    return out;
}

bool IsCjk(char32_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) ||  // radicals, CJK punctuation, kana, bopomofo, Han
           (c >= 0xAC00 && c <= 0xD7AF) ||  // hangul syllables
           (c >= 0xF900 && c <= 0xFAFF) ||  // compatibility ideographs
           (c >= 0xFE30 && c <= 0xFE4F) ||  // vertical forms
           (c >= 0xFF01 && c <= 0xFF60) ||  // full-width forms (not the half-width ones)
           (c >= 0xFFE0 && c <= 0xFFE6) ||
           (c >= 0x20000 && c <= 0x3FFFF);  // extension planes
}

char32_t FirstCodePoint(std::string_view utf8) {
    std::size_t at = 0;
    return utf8.empty() ? 0 : DecodeUtf8(utf8, at);
}

char32_t LastCodePoint(std::string_view utf8) {
    if (utf8.empty())
        return 0;
    std::size_t at = utf8.size() - 1;
    while (at > 0 && utf8.size() - at < 4 && (static_cast<unsigned char>(utf8[at]) & 0xC0) == 0x80)
        --at;
    return DecodeUtf8(utf8, at);
}

bool IsHangul(char32_t c) {
    return (c >= 0x1100 && c <= 0x11FF) ||  // jamo
           (c >= 0x3130 && c <= 0x318F) ||  // compatibility jamo
           (c >= 0xAC00 && c <= 0xD7AF);    // syllables
}

bool IsUnspacedCjk(char32_t c) {
    return IsCjk(c) && !IsHangul(c);
}

bool IsKana(char32_t c) {
    return c >= 0x3040 && c <= 0x30FF;
}

bool IsHan(char32_t c) {
    return c >= 0x4E00 && c <= 0x9FFF;
}

}  // namespace quillory
