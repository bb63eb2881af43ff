#include "service/rest/rest_call.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "service/rest/rest_error.h"

namespace ocrgated {
namespace {

constexpr std::string_view kRestPrefix = "/rest/2.0/ocr/v1/";
constexpr std::array<RestEndpoint, 6> kEndpoints{{
    {"general_basic", false, false, false},
    {"accurate_basic", false, false, false},
    {"general", true, false, false},
    {"accurate", true, false, false},
    {"qrcode", false, true, false},
    {"table", false, false, true},
}};

// The API documents addresses up to 1024 bytes.
constexpr std::size_t kMaxUrl = 1024;

// The languages the cloud API names for these endpoints and what reads each: the
// service's own engine (empty), or Tesseract with these language packs. Scripts other
// than Latin keep English beside them, as their pages often carry some.
struct RestLanguage {
    std::string_view type;
    std::string_view tesseract;
};
constexpr std::array<RestLanguage, 12> kLanguages{{
    {"CHN_ENG", ""},
    {"ENG", ""},
    {"auto_detect", ""},
    {"JAP", "jpn+eng"},
    {"KOR", "kor+eng"},
    {"FRE", "fra"},
    {"SPA", "spa"},
    {"POR", "por"},
    {"GER", "deu"},
    {"ITA", "ita"},
    {"RUS", "rus+eng"},
    {"CHN_TRA", "chi_tra+eng"},
}};

const std::string* Field(const RestFields& fields, std::string_view name) {
    const auto found = fields.find(name);
    return found == fields.end() ? nullptr : &found->second;
}

bool Flag(const RestFields& fields, std::string_view name) {
    const std::string* value = Field(fields, name);
    if (!value || value->empty() || *value == "false" || *value == "False" || *value == "0")
        return false;
    if (*value == "true" || *value == "True" || *value == "1")
        return true;
    throw RestError(rest_code::kInvalidParam,
                    "invalid param: " + std::string(name) + " must be true or false");
}

std::string Choice(const RestFields& fields, std::string_view name, std::string_view fallback,
                   std::initializer_list<std::string_view> allowed) {
    const std::string* value = Field(fields, name);
    if (!value || value->empty())
        return std::string(fallback);
    for (std::string_view choice : allowed)
        if (*value == choice)
            return *value;
    throw RestError(rest_code::kInvalidParam,
                    "invalid param: " + std::string(name) + "=" + value->substr(0, 64));
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

std::optional<RestEndpoint> RestEndpointFor(std::string_view path) {
    if (path.substr(0, kRestPrefix.size()) != kRestPrefix)
        return std::nullopt;
    path.remove_prefix(kRestPrefix.size());
    for (const RestEndpoint& endpoint : kEndpoints)
        if (endpoint.name == path)
            return endpoint;
    return std::nullopt;
}

bool IsRestPath(std::string_view path) {
    return path.substr(0, 6) == "/rest/" || path == "/oauth/2.0/token";
}

std::string RestLanguagesHelp() {
    std::string help;
    for (const RestLanguage& language : kLanguages) {
        help += help.empty() ? "" : ", ";
        help += language.type;
        help += language.tesseract.empty() ? " (the service's engine)"
                                           : " (Tesseract " + std::string(language.tesseract) + ")";
    }
    return help;
}

RestCall ReadRestCall(const RestEndpoint& endpoint, const RestFields& fields) {
    RestCall call;
    call.endpoint = endpoint;
    // The API's order of precedence: image, then url, then pdf_file.
    if (const std::string* image = Field(fields, "image")) {
        call.source = RestCall::Source::Image;
        call.data = *image;
        if (call.data.empty())
            throw RestError(rest_code::kEmptyImage, "empty image");
    } else if (const std::string* url = Field(fields, "url")) {
        call.source = RestCall::Source::Url;
        call.data = Trimmed(*url);
        if (call.data.empty() || call.data.size() > kMaxUrl)
            throw RestError(rest_code::kUrlSize,
                            "url size error: the address is empty or longer "
                            "than 1024 bytes");
    } else if (const std::string* pdf = Field(fields, "pdf_file")) {
        call.source = RestCall::Source::Pdf;
        call.data = *pdf;
        if (call.data.empty())
            throw RestError(rest_code::kEmptyImage, "empty image: pdf_file is empty");
        if (const std::string* page = Field(fields, "pdf_file_num"); page && !page->empty()) {
            const auto [end, error] =
                std::from_chars(page->data(), page->data() + page->size(), call.pdf_page);
            if (error != std::errc() || end != page->data() + page->size() || call.pdf_page < 1)
                throw RestError(rest_code::kInvalidParam,
                                "invalid param: pdf_file_num must be a page number from 1");
        }
    } else {
        throw RestError(rest_code::kNotEnoughParam,
                        "not enough param: image, url or pdf_file is required");
    }

    if (endpoint.codes) {
        call.code_location = Flag(fields, "location");
        return call;
    }
    if (endpoint.tables) {
        call.cell_contents = Flag(fields, "cell_contents");
        call.return_excel = Flag(fields, "return_excel");
        return call;
    }
    if (const std::string* language = Field(fields, "language_type");
        language && !language->empty())
        call.language_type = *language;
    const auto known =
        std::find_if(kLanguages.begin(), kLanguages.end(),
                     [&](const RestLanguage& entry) { return entry.type == call.language_type; });
    if (known == kLanguages.end())
        throw RestError(rest_code::kInvalidParam,
                        "invalid param: language_type=" + call.language_type.substr(0, 64));
    call.tesseract_languages = known->tesseract;
    call.detect_direction = Flag(fields, "detect_direction");
    call.detect_language = Flag(fields, "detect_language");
    call.paragraph = Flag(fields, "paragraph");
    call.probability = Flag(fields, "probability");
    // Placing members belong to the endpoints that give locations.
    call.vertexes_location = Flag(fields, "vertexes_location") && endpoint.with_location;
    call.chars = Choice(fields, "recognize_granularity", "big", {"big", "small"}) == "small" &&
                 endpoint.with_location;
    // Latin characters are placed one by one whichever it asks for.
    (void)Choice(fields, "eng_granularity", "word", {"word", "letter"});
    return call;
}

}  // namespace ocrgated
