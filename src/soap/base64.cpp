#include "soap/base64.h"

#include <array>

namespace soap {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::size_t kLineLength = 76;

constexpr std::array<std::int8_t, 256> MakeTable() {
    std::array<std::int8_t, 256> table{};
    for (auto& entry : table)
        entry = -1;
    constexpr std::string_view alphabet(kAlphabet);
    for (std::size_t i = 0; i < alphabet.size(); ++i) {
        table[static_cast<unsigned char>(alphabet[i])] = static_cast<std::int8_t>(i);
    }
    return table;
}

constexpr auto kTable = MakeTable();

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

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

std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text) {
    std::vector<std::uint8_t> out;
    out.reserve(text.size() / 4 * 3);
    std::uint32_t group = 0;
    int count = 0;    // characters in the current group
    int padding = 0;  // '=' seen; only whitespace may follow a padded group
    for (char c : text) {
        if (IsXmlSpace(c))
            continue;
        if (c == '=') {
            if (count < 2 || ++padding + count > 4)
                return std::nullopt;
            if (padding + count == 4) {
                if (count == 2) {
                    out.push_back(static_cast<std::uint8_t>(group >> 4));
                } else {
                    out.push_back(static_cast<std::uint8_t>(group >> 10));
                    out.push_back(static_cast<std::uint8_t>(group >> 2));
                }
                count = 4;  // group closed
            }
            continue;
        }
        const std::int8_t value = kTable[static_cast<unsigned char>(c)];
        if (value < 0 || padding > 0)
            return std::nullopt;
        group = (group << 6) | static_cast<std::uint32_t>(value);
        if (++count == 4) {
            out.push_back(static_cast<std::uint8_t>(group >> 16));
            out.push_back(static_cast<std::uint8_t>(group >> 8));
            out.push_back(static_cast<std::uint8_t>(group));
            group = 0;
            count = 0;
        }
    }
    if (padding > 0)
        return count == 4 ? std::optional(std::move(out)) : std::nullopt;
    if (count != 0)
        return std::nullopt;
    return out;
}

}  // namespace soap
