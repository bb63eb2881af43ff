#pragma once
// Form bodies for the REST endpoints' tests.

#include <cctype>
#include <string>

#include "soap_text.h"

namespace ocrgated::testing {

inline const std::string kForm = "application/x-www-form-urlencoded";
inline const std::string kV1 = "/rest/2.0/ocr/v1/";

inline std::string Encoded(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.')
            out += static_cast<char>(c);
        else
            out += "%" + std::string(1, "0123456789ABCDEF"[c >> 4]) + "0123456789ABCDEF"[c & 15];
    }
    return out;
}

inline std::string Image(const std::string& picture) {
    return "image=" + Encoded(Base64(picture));
}

}  // namespace ocrgated::testing
