#pragma once
// Small helpers for tests that read reply envelopes as text.

#include <cstdint>
#include <string>
#include <vector>

#include "soap/base64.h"

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

// In lines of 76, as the client sends them.
inline std::string Base64(const std::vector<std::uint8_t>& bytes) {
    return soap::EncodeBase64Lines(bytes);
}

inline std::string Base64(const std::string& text) {
    return Base64(std::vector<std::uint8_t>(text.begin(), text.end()));
}

}  // namespace ocrgated::testing
