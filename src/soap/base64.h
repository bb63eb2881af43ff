#pragma once
// Base64 (RFC 4648 alphabet). Written in lines of 76 characters joined by CR LF: a text
// whose length is a multiple of 76 ends with a line break; a shorter last line does not.
// Read as SOAP toolkits send it: XML whitespace anywhere, padding required on the last
// group.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace soap {

// Encodes piece by piece; the line count carries over, so the piece size never shows.
class Base64Lines {
  public:
    // Every piece but the last must hold a multiple of 3 bytes.
    void Append(std::span<const std::uint8_t> bytes, std::string& out);

  private:
    std::size_t column_ = 0;
};

std::string EncodeBase64Lines(std::span<const std::uint8_t> bytes);

// Length of the text for `size` bytes, line breaks included.
std::size_t Base64LinesSize(std::size_t size);

// The decoded bytes, or nothing when the text is not valid base64.
std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text);

}  // namespace soap
