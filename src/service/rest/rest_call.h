#pragma once
// What one REST recognition call asks for: its endpoint, its picture and its options,
// checked as the cloud API checks them.

#include <optional>
#include <string>
#include <string_view>

#include "service/rest/rest_fields.h"

namespace ocrgated {

struct RestEndpoint {
    std::string_view name;  // "general_basic"…
    bool with_location = false;
    bool codes = false;   // reads the picture's QR codes and barcodes, not its text
    bool tables = false;  // answers the page's tables, not its lines
};

// The endpoint a path names ("/rest/2.0/ocr/v1/general"), or nothing.
std::optional<RestEndpoint> RestEndpointFor(std::string_view path);
// True for every path the REST side answers, recognition and token alike.
bool IsRestPath(std::string_view path);

struct RestCall {
    RestEndpoint endpoint;
    enum class Source { Image, Url, Pdf } source = Source::Image;
    std::string data;  // the base64 text (image, pdf_file) or the address (url)
    int pdf_page = 1;  // pdf_file_num, from 1
    std::string language_type = "CHN_ENG";
    std::string tesseract_languages;  // what reads language_type; empty: the service's engine
    bool detect_direction = false;
    bool detect_language = false;
    bool paragraph = false;
    bool probability = false;
    bool vertexes_location = false;  // the four corners of each line
    bool chars = false;              // recognize_granularity=small
    bool code_location = false;      // location=true on the code endpoint
    bool cell_contents = false;      // each table cell's lines with their places
    bool return_excel = false;       // the tables as a workbook, base64, in excel_file
};

// Reads the fields of a call to `endpoint`; throws RestError with the API's code for a
// missing picture, a bad option or an unknown language.
RestCall ReadRestCall(const RestEndpoint& endpoint, const RestFields& fields);

// What reads each language_type, for --help: "JAP (Tesseract jpn+eng), …".
std::string RestLanguagesHelp();

}  // namespace ocrgated
