#pragma once
// Conversions between the UTF-16 texts of the interface and the UTF-8 of the wire.

#include <string>
#include <string_view>

namespace quillory {

// A lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// A malformed sequence becomes U+FFFD, one per offending byte.
std::u16string Utf8ToUtf16(std::string_view text);

// Decodes the character at `at` and moves past it. A malformed sequence yields U+FFFD
// and moves one byte.
char32_t DecodeUtf8(std::string_view text, std::size_t& at);

// The first `count` characters of a UTF-8 text, never cutting a character in two.
std::string Utf8Prefix(std::string_view text, std::size_t count);

// Han, kana, bopomofo, hangul, CJK punctuation, vertical and full-width forms: the scripts
// set in columns as well as in lines. Half-width katakana are set as Latin is.
bool IsCjk(char32_t c);

// Korean's hangul, the one of them that puts spaces between its words.
bool IsHangul(char32_t c);

// CJK but not hangul: written without spaces between its words.
bool IsUnspacedCjk(char32_t c);

// Hiragana and katakana, which mark a text Japanese.
bool IsKana(char32_t c);

// The unified Han ideographs of the basic plane.
bool IsHan(char32_t c);

// A text's first and last code point; 0 for an empty text, U+FFFD for invalid bytes.
char32_t FirstCodePoint(std::string_view utf8);
char32_t LastCodePoint(std::string_view utf8);

}  // namespace quillory
