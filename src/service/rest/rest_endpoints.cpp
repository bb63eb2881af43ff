#include "service/rest/rest_endpoints.h"

#include <algorithm>

#include "service/common/memory.h"
#include "service/engines/factory/language_pools.h"
#include "service/rest/rest_call.h"
#include "service/rest/rest_error.h"
#include "service/rest/rest_reply.h"
#include "service/rest/rest_tokens.h"
#include "soap/base64.h"

namespace ocrgated {
namespace {

constexpr std::string_view kTokenPath = "/oauth/2.0/token";

HttpReply Json(std::string body, std::string operation, std::string outcome = "ok") {
    HttpReply reply;
    reply.content_type = "application/json;charset=utf-8";
    reply.body = std::move(body);
    reply.operation = std::move(operation);
    reply.outcome = std::move(outcome);
    return reply;
}

// Which counter an error falls under: the caller's, the server's, or a busy service.
std::string OutcomeOf(int code) {
    switch (code) {
        case rest_code::kQpsLimit:
        case rest_code::kUnavailable:
            return "busy";
        case rest_code::kUnknown:
        case rest_code::kInternal:
        case rest_code::kRecognizeError:
        case rest_code::kUrlDownload:
            return "server_fault";
        default:
            return "client_fault";
    }
}

// Base64 sent without URL-encoding loses its '+' to spaces; base64 has no spaces of its own.
std::optional<std::vector<std::uint8_t>> DecodeSent(std::string text) {
    std::replace(text.begin(), text.end(), ' ', '+');
    return soap::DecodeBase64(text);
}

std::vector<std::uint8_t> DecodeOrThrow(const std::string& text, const char* field) {
    auto bytes = DecodeSent(text);
    if (!bytes)
        throw RestError(rest_code::kImageFormat,
                        std::string("image format error: ") + field + " is not valid base64");
    if (bytes->empty())
        throw RestError(rest_code::kEmptyImage, "empty image");
    return std::move(*bytes);
}

// The API's least picture: 15 pixels on the shorter side.
constexpr int kMinSide = 15;

// What the call asks to read.
PageSource SourceOf(const RestCall& call) {
    // The code endpoint reads codes alone; the others text alone, the table endpoint's
    // picture as one table.
    const PageParts parts{!call.endpoint.codes, call.endpoint.codes,
                          {.one_table = call.endpoint.tables}};
    switch (call.source) {
        case RestCall::Source::Image:
            return {PageSource::Kind::Picture, DecodeOrThrow(call.data, "image"), {}, 1, kMinSide,
                    parts};
        case RestCall::Source::Pdf:
            return {PageSource::Kind::PdfPage, DecodeOrThrow(call.data, "pdf_file"), {},
                    call.pdf_page, kMinSide, parts};
        case RestCall::Source::Url:
            break;
    }
    return {PageSource::Kind::Address, {}, call.data, 1, kMinSide, parts};
}

// A failure to read the page, in the API's codes.
RestError ErrorFor(const ReadFailed& failure) {
    const std::string what = failure.what();
    switch (failure.kind()) {
        case Failure::Busy:
            return RestError(rest_code::kQpsLimit, "Open api qps request limit reached: " + what);
        case Failure::AddressNotWeb:
        case Failure::AddressPrivate:
            return RestError(rest_code::kUrlFormat, "url format illegal: " + what);
        case Failure::FetchFailed:
            return RestError(rest_code::kUrlDownload, "url download failed: " + what);
        case Failure::FetchTimeLimit:
            return RestError(rest_code::kUrlDownload, "url download timeout: " + what);
        case Failure::NotAPicture:
            return RestError(rest_code::kImageFormat, "image format error: " + what);
        case Failure::NotAPdf:
            return RestError(rest_code::kImageFormat, "image format error: pdf_file: " + what);
        case Failure::NoSuchPdfPage:
            return RestError(rest_code::kInvalidParam, "invalid param: pdf_file_num: " + what);
        case Failure::TooLarge:
        case Failure::TooSmall:
            return RestError(rest_code::kImageSize, "image size error: " + what);
        case Failure::TimeLimit:
            // The caller's kind of failure, as on the SOAP face: a smaller picture reads in time.
            return RestError(rest_code::kImageSize,
                             "image size error: recognition stopped: " + what);
        case Failure::Cancelled:
            // Nobody reads this answer: the client has gone.
            return RestError(rest_code::kInternal, "cancelled: " + what);
        case Failure::Internal:
            break;
    }
    return RestError(rest_code::kInternal, "internal error: " + what);
}

}  // namespace

HttpReply RestErrorReply(std::uint64_t log_id, int code, const std::string& message,
                         std::string operation) {
    HttpReply reply =
        Json(WriteRestError(log_id, code, message), std::move(operation), OutcomeOf(code));
    reply.reason = std::to_string(code);
    if (code == rest_code::kQpsLimit || code == rest_code::kUnavailable)
        reply.headers.emplace_back("Retry-After", "1");
    return reply;
}

HttpReply RestRefusal(int status, const std::string& reason, std::uint64_t log_id) {
    int code = rest_code::kInvalidParam;
    if (status == 413)
        code = rest_code::kImageSize;
    else if (status == 414 || status == 431)
        code = rest_code::kParamTooLong;
    else if (status == 503)
        code = rest_code::kQpsLimit;
    else if (status >= 500)
        code = rest_code::kInternal;
    HttpReply reply = RestErrorReply(log_id, code, reason, "rest");
    reply.close = true;
    return reply;
}

HttpReply RestEndpoints::Serve(const HttpRequest& request) {
    const auto mark = request.target.find('?');
    const std::string_view path = std::string_view(request.target).substr(0, mark);
    if (path == kTokenPath) {
        RestFields fields;
        if (mark != std::string::npos)
            ReadFormFields(std::string_view(request.target).substr(mark + 1), fields);
        try {
            ReadBodyFields(request.content_type, request.body, fields);
        } catch (const RestError&) {
            fields.clear();
        }
        if (!tokens_)
            return Json(R"({"error":"invalid_request","error_description":"this service is open: )"
                        R"(it needs no access_token"})",
                        "token", "client_fault");
        TokenAnswer answer = tokens_->Issue(fields);
        HttpReply reply =
            Json(std::move(answer.body), "token", answer.status == 200 ? "ok" : "client_fault");
        reply.status = answer.status;
        return reply;
    }
    return Recognize(request, path);
}

HttpReply RestEndpoints::Recognize(const HttpRequest& request, std::string_view path) {
    const std::uint64_t log_id = reader_.NextLogId();
    const auto endpoint = RestEndpointFor(path);
    const std::string operation =
        endpoint ? "rest_" + std::string(endpoint->name) : std::string("rest");
    try {
        if (!endpoint || request.method != "POST")
            throw RestError(rest_code::kUnsupportedMethod, "Unsupported openapi method");
        RestFields fields;
        ReadBodyFields(request.content_type, request.body, fields);
        if (const auto mark = request.target.find('?'); mark != std::string::npos)
            ReadFormFields(std::string_view(request.target).substr(mark + 1), fields);
        if (tokens_)
            tokens_->Check(fields);
        const RestCall call = ReadRestCall(*endpoint, fields);
        RecognitionPool* pool = Reader(call);
        PageReading page;
        try {
            page = reader_.Read(SourceOf(call), request.peer + " " + operation, request.abandoned,
                                pool);
        } catch (const ReadFailed& failure) {
            if (failure.kind() != Failure::Cancelled)
                throw ErrorFor(failure);
            const RestError error = ErrorFor(failure);
            HttpReply reply = RestErrorReply(log_id, error.code(), error.what(), operation);
            reply.outcome = "cancelled";
            return reply;
        }
        // A small file can decode to a large picture: give back what it took.
        ReturnFreeMemory();
        return Json(WriteRestReply(log_id, call, page), operation);
    } catch (const RestError& error) {
        return RestErrorReply(log_id, error.code(), error.what(), operation);
    } catch (const std::exception& error) {
        return RestErrorReply(log_id, rest_code::kInternal,
                              std::string("internal error: ") + error.what(), operation);
    }
}

RecognitionPool* RestEndpoints::Reader(const RestCall& call) {
    if (call.tesseract_languages.empty())
        return nullptr;
    const std::string missing =
        "invalid param: language_type=" + call.language_type + " is not installed on this service";
    if (languages_ == nullptr)
        throw RestError(rest_code::kInvalidParam, missing);
    try {
        return &languages_->For(call.tesseract_languages);
    } catch (const LanguageUnavailable& error) {
        throw RestError(rest_code::kInvalidParam, missing + " (" + error.what() + ")");
    }
}

}  // namespace ocrgated
