#include "character_error_rate.h"

#include <algorithm>
#include <numeric>

namespace quillory::testing {
namespace {

std::u32string DecodeUtf8(const std::string& text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const int length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? c : c & (0x3F >> (length - 1));
        for (int k = 1; k < length && i + static_cast<std::size_t>(k) < text.size(); ++k)
            code = (code << 6) |
                   (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0x3F);
        out += code;
        i += static_cast<std::size_t>(length);
    }
    return out;
}

}  // namespace

std::u32string NormalisedText(const std::vector<std::string>& lines) {
    std::u32string out;
    for (const auto& line : lines) {
        for (char32_t c : DecodeUtf8(line)) {
            if (c >= 0xFF01 && c <= 0xFF5E)
                c -= 0xFEE0;  // full-width ASCII forms
            if (c == 0xFFE5)
                c = U'¥';
            if (c == U' ' || c == U'\t' || c == 0x3000)
                continue;
            out += c;
        }
    }
    return out;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
        text += (text.empty() ? "" : " | ") + line;
    return text;
}

std::size_t EditDistance(const std::u32string& a, const std::u32string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), std::size_t{0});
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t substitution = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
            diagonal = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, substitution});
        }
    }
    return row[b.size()];
}

void ErrorCount::Add(const std::vector<std::string>& expected,
                     const std::vector<std::string>& read) {
    const std::u32string reference_text = NormalisedText(expected);
    edits += EditDistance(reference_text, NormalisedText(read));
    reference += reference_text.size();
}

}  // namespace quillory::testing
