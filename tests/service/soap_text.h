#pragma once
// Small helpers for tests that read reply envelopes as text.

#include <cstdint>
#include <string>
#include <vector>

namespace ocrgated::testing {

inline std::string Between(const std::string& text, const std::string& open,
                           const std::string& close) {
    const auto start = text.find(open);
    if (start == std::string::npos)
        return "<missing " + open + ">";
    const auto end = text.find(close, start + open.size());
    if (end == std::string::npos)
        return "<missing " + close + ">";
    return text.substr(start + open.size(), end - start - open.size());
}

inline std::string Unescape(std::string text) {
    const std::pair<std::string, std::string> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#13;", "\r"}, {"&amp;", "&"}};
    for (const auto& [entity, plain] : entities) {
        for (auto at = text.find(entity); at != std::string::npos;
             at = text.find(entity, at + plain.size())) {
            text.replace(at, entity.size(), plain);
        }
    }
    return text;
}

inline std::string ResultOf(const std::string& envelope, const std::string& operation) {
    return Unescape(Between(envelope, "<" + operation + "Result>", "</" + operation + "Result>"));
}

inline std::string Base64(const std::vector<std::uint8_t>& bytes) {
    static const char* kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::uint32_t group = std::uint32_t(bytes[i]) << 16 |
                                    (i + 1 < bytes.size() ? std::uint32_t(bytes[i + 1]) << 8 : 0) |
                                    (i + 2 < bytes.size() ? bytes[i + 2] : 0);
        out += kAlphabet[group >> 18 & 63];
        out += kAlphabet[group >> 12 & 63];
        out += i + 1 < bytes.size() ? kAlphabet[group >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[group & 63] : '=';
        if (out.size() % 78 == 76)
            out += "\r\n";  // lines of 76, as the client sends them
    }
    return out;
}

inline std::string Base64(const std::string& text) {
    return Base64(std::vector<std::uint8_t>(text.begin(), text.end()));
}

}  // namespace ocrgated::testing
