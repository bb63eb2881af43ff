#include "service/engines/text_cleanup.h"

#include <vector>

#include "base/utf.h"

namespace ocrgated {
namespace {

struct Piece {
    std::string_view bytes;
    char32_t code;  // U+FFFD for bytes that are not valid UTF-8
};

std::vector<Piece> Split(std::string_view text) {
    std::vector<Piece> pieces;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const char32_t code = quillory::DecodeUtf8(text, i);
        pieces.push_back({text.substr(start, i - start), code});
    }
    return pieces;
}

bool IsSpace(char32_t c) {
    return c == ' ' || c == '\t' || c == 0x3000;
}

}  // namespace

bool IsCjk(char32_t c) {
    return (c >= 0x2E80 && c <= 0x2FDF)     // radicals
           || (c >= 0x3001 && c <= 0x303F)  // CJK punctuation (not the ideographic space)
           || (c >= 0x3040 && c <= 0x30FF)  // kana
           || (c >= 0x3100 && c <= 0x31BF)  // bopomofo
           || (c >= 0x3400 && c <= 0x4DBF)  // extension A
           || (c >= 0x4E00 && c <= 0x9FFF)  // unified ideographs
           || (c >= 0xAC00 && c <= 0xD7AF)  // Hangul
           || (c >= 0xF900 && c <= 0xFAFF)  // compatibility ideographs
           || (c >= 0xFE30 && c <= 0xFE4F)  // vertical forms
           || (c >= 0xFF01 && c <= 0xFF0F) || (c >= 0xFF1A && c <= 0xFF20) ||
           (c >= 0xFF3B && c <= 0xFF40) || (c >= 0xFF5B && c <= 0xFF65)  // full-width punctuation
           || (c >= 0x20000 && c <= 0x3134F);                            // extensions B to G
}

std::string RemoveCjkSpaces(std::string_view line) {
    const auto pieces = Split(line);
    std::size_t first = 0, last = pieces.size();
    while (first < last && IsSpace(pieces[first].code))
        ++first;
    while (last > first && IsSpace(pieces[last - 1].code))
        --last;

    std::string out;
    out.reserve(line.size());
    for (std::size_t i = first; i < last;) {
        if (!IsSpace(pieces[i].code)) {
            out += pieces[i++].bytes;
            continue;
        }
        std::size_t end = i;
        while (end < last && IsSpace(pieces[end].code))
            ++end;
        // Korean spaces its words as English does.
        const auto unspaced = [](char32_t c) { return IsCjk(c) && !quillory::IsHangul(c); };
        const bool between_cjk = unspaced(pieces[i - 1].code) && unspaced(pieces[end].code);
        if (!between_cjk) {
            for (std::size_t k = i; k < end; ++k)
                out += pieces[k].bytes;
        }
        i = end;
    }
    return out;
}

}  // namespace ocrgated
