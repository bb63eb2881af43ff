#include "service/rest/rest_fields.h"

#include <nlohmann/json.hpp>

#include <cctype>

#include "service/rest/rest_error.h"

namespace ocrgated {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool HasJsonType(std::string_view content_type) {
    std::string lower(content_type.substr(0, content_type.find(';')));
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("json") != std::string::npos;
}

}  // namespace

std::string DecodeFormText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
                   HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

void ReadFormFields(std::string_view text, RestFields& fields) {
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('&'), text.size());
        const std::string_view pair = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (pair.empty())
            continue;
        const std::size_t equals = pair.find('=');
        std::string name = DecodeFormText(pair.substr(0, equals));
        std::string value = equals == std::string_view::npos
                                ? std::string()
                                : DecodeFormText(pair.substr(equals + 1));
        fields.emplace(std::move(name), std::move(value));
    }
}

void ReadJsonFields(std::string_view text, RestFields& fields) {
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos)
        return;  // no fields: the missing ones are named later
    const auto json = nlohmann::json::parse(text, nullptr, false);
    if (json.is_discarded() || !json.is_object())
        throw RestError(rest_code::kInvalidParam, "invalid param: the body is not a JSON object");
    for (const auto& [name, value] : json.items()) {
        std::string as_text;
        if (value.is_string())
            as_text = value.get<std::string>();
        else if (value.is_boolean() || value.is_number())
            as_text = value.dump();
        else if (!value.is_null())
            throw RestError(rest_code::kInvalidParam, "invalid param: " + name + " is not a text");
        fields.emplace(name, std::move(as_text));
    }
}

void ReadBodyFields(std::string_view content_type, std::string_view body, RestFields& fields) {
    if (HasJsonType(content_type))
        ReadJsonFields(body, fields);
    else
        ReadFormFields(body, fields);
}

}  // namespace ocrgated
