#include "service/engines/tesseract/text_cleanup.h"

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
        const bool between_cjk = quillory::IsUnspacedCjk(pieces[i - 1].code) &&
                                 quillory::IsUnspacedCjk(pieces[end].code);
        if (!between_cjk) {
            for (std::size_t k = i; k < end; ++k)
                out += pieces[k].bytes;
        }
        i = end;
    }
    return out;
}

}  // namespace ocrgated
