#pragma once
// Conversions between UTF-8 and the UTF-16 the reader works on, for callers that hold
// replies as bytes (the service, the command line, tests). Malformed input becomes
// U+FFFD; neither direction throws.

#include <string>
#include <string_view>

namespace reply {

std::u16string Utf16FromUtf8(std::string_view utf8);
std::string Utf8FromUtf16(std::u16string_view utf16);

}  // namespace reply
