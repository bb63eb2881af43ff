#include "service/protocol/base64.h"

#include <array>

namespace ocrgated {
namespace {

constexpr std::array<std::int8_t, 256> MakeTable() {
    std::array<std::int8_t, 256> table{};
    for (auto& entry : table)
        entry = -1;
    constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < kAlphabet.size(); ++i) {
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::int8_t>(i);
    }
    return table;
}

constexpr auto kTable = MakeTable();

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

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

}  // namespace ocrgated
