#include "base/line_join.h"

#include "base/utf.h"

namespace quillory {
namespace {

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Lowercase letters of Latin, Greek and Cyrillic: what a word split at a line's end has on
// both sides of its hyphen.
bool Lowercase(char32_t c) {
    return (c >= U'a' && c <= U'z') || (c >= 0xDF && c <= 0xFF && c != 0xF7) ||
           (c >= 0x3B1 && c <= 0x3C9) || (c >= 0x430 && c <= 0x45F);
}

}  // namespace

std::string JoinLines(const std::vector<std::string_view>& lines) {
    std::string text;
    for (std::string_view raw : lines) {
        const std::string_view line = Trimmed(raw);
        if (line.empty())
            continue;
        if (!text.empty()) {
            const char32_t next = FirstCodePoint(line);
            const std::string_view before = std::string_view(text).substr(0, text.size() - 1);
            // A hyphen ending a line joins without a space: a split word loses it, a
            // compound ("well-Known") or a range ("1990-2000") keeps it.
            const bool hyphen = text.back() == '-' && !before.empty() && before.back() != ' ';
            if (hyphen && Lowercase(LastCodePoint(before)) && Lowercase(next))
                text.pop_back();
            else if (!hyphen && !IsUnspacedCjk(LastCodePoint(text)) && !IsUnspacedCjk(next))
                text += ' ';
        }
        text += line;
    }
    return text;
}

}  // namespace quillory
