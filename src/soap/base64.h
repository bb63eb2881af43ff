#pragma once
// Base64 (RFC 4648 alphabet) in lines of 76 characters joined by CR LF. A text whose
// length is a multiple of 76 ends with a line break; a shorter last line does not.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

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

}  // namespace soap
