#pragma once
// Base64 (RFC 4648, standard alphabet) as SOAP toolkits send it: line breaks and
// other XML whitespace anywhere, padding required on the last group.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace ocrgated {

// The decoded bytes, or nothing when the text is not valid base64.
std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text);

}  // namespace ocrgated
