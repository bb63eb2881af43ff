#include "soap/base64.h"

namespace soap {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::size_t kLineLength = 76;

}  // namespace

void Base64Lines::Append(std::span<const std::uint8_t> bytes, std::string& out) {
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        char group[4];
        const std::uint32_t b0 = bytes[i];
        const std::uint32_t b1 = i + 1 < n ? bytes[i + 1] : 0;
        const std::uint32_t b2 = i + 2 < n ? bytes[i + 2] : 0;
        const std::uint32_t word = (b0 << 16) | (b1 << 8) | b2;
        group[0] = kAlphabet[(word >> 18) & 0x3F];
        group[1] = kAlphabet[(word >> 12) & 0x3F];
        group[2] = i + 1 < n ? kAlphabet[(word >> 6) & 0x3F] : '=';
        group[3] = i + 2 < n ? kAlphabet[word & 0x3F] : '=';
        out.append(group, 4);
        i += 3;
        column_ += 4;
        if (column_ == kLineLength) {
            out += "\r\n";
            column_ = 0;
        }
    }
}

std::string EncodeBase64Lines(std::span<const std::uint8_t> bytes) {
    std::string out;
    out.reserve(Base64LinesSize(bytes.size()));
    Base64Lines().Append(bytes, out);
    return out;
}

std::size_t Base64LinesSize(std::size_t size) {
    const std::size_t chars = (size + 2) / 3 * 4;
    return chars + chars / kLineLength * 2;
}

}  // namespace soap
