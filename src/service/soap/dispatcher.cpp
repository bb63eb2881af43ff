#include "service/soap/dispatcher.h"

#include "service/soap/fault_reply.h"
#include "service/soap/reply_json.h"
#include "service/soap/soap_fault.h"
#include "service/soap/soap_request.h"
#include "soap/base64.h"
#include "soap/envelope.h"

namespace ocrgated {
namespace {

std::string_view Unquote(std::string_view action) {
    while (!action.empty() && (action.front() == ' ' || action.front() == '\t'))
        action.remove_prefix(1);
    while (!action.empty() && (action.back() == ' ' || action.back() == '\t'))
        action.remove_suffix(1);
    if (action.size() >= 2 && action.front() == '"' && action.back() == '"') {
        action = action.substr(1, action.size() - 2);
    }
    return action;
}

void CheckAction(std::string_view header, const ocrgate::Operation& operation) {
    const std::string_view action = Unquote(header);
    if (action.empty())
        return;  // no intent stated; the Body decides
    const std::string expected = ocrgate::ActionFor(ocrgate::kActionTemplate, operation.name);
    if (action != expected) {
        throw ClientFault("The SOAPAction " + std::string(action) +
                          " does not match the operation " + std::string(operation.name) +
                          " in the Body (expected " + expected + ")");
    }
}

// Longer addresses are refused before anything is fetched.
constexpr std::size_t kMaxUrl = 8192;

// The host of an address as the log shows it: no credentials, port, path or query.
std::string HostOf(std::string_view url) {
    const auto scheme = url.find("://");
    url.remove_prefix(scheme == std::string_view::npos ? 0 : scheme + 3);
    url = url.substr(0, url.find_first_of("/?#"));
    if (const auto at = url.rfind('@'); at != std::string_view::npos)
        url.remove_prefix(at + 1);
    if (!url.empty() && url.front() != '[')
        url = url.substr(0, url.find(':'));
    return std::string(url.substr(0, 255));
}

// A failure to read the page, as the fault that says it: a client fault where the request
// or its picture is the cause, a server fault where the service or the web is.
SoapFault FaultFor(const ReadFailed& failure) {
    namespace reason = ocrgate::reason;
    const std::string what = failure.what();
    switch (failure.kind()) {
        case Failure::Busy:
            return ServerFault("Server busy: " + what, reason::kBusy);
        case Failure::AddressNotWeb:
            return ClientFault("Address refused: " + what, reason::kAddressScheme);
        case Failure::AddressPrivate:
            return ClientFault("Address refused: " + what, reason::kAddressPrivate);
        case Failure::FetchFailed:
            return ServerFault("Fetch failed: " + what, reason::kFetchFailed);
        case Failure::FetchTimeLimit:
            return ServerFault("Fetch failed: " + what, reason::kFetchTimeLimit);
        case Failure::NotAPicture:
        case Failure::NotAPdf:
        case Failure::NoSuchPdfPage:
            return ClientFault("Not a picture we can read: " + what, reason::kNotAPicture);
        case Failure::TooLarge:
            return ClientFault("Picture too large: " + what, reason::kTooLarge);
        case Failure::TooSmall:
            return ClientFault("Picture too small: " + what, reason::kNotAPicture);
        case Failure::TimeLimit:
            // The same picture would take as long again: a smaller or plainer one is the remedy.
            return ClientFault("Recognition stopped: " + what, reason::kTimeLimit);
        case Failure::Cancelled:
            return ServerFault("Recognition cancelled: " + what, reason::kCancelled);
        case Failure::Internal:
            break;
    }
    return ServerFault("Recognition failed: " + what);
}

}  // namespace

DispatchResult Dispatcher::Dispatch(std::string_view body, std::string_view soap_action,
                                    std::string_view peer, CancelFlag cancel,
                                    SoapAsks asks) {
    namespace reason = ocrgate::reason;
    DispatchResult result{200, {}, "-", "ok", {}, {}};
    try {
        const SoapRequest request = ReadSoapRequest(body);
        const ocrgate::Operation& operation = *request.operation;
        result.operation = std::string(operation.name);
        CheckAction(soap_action, operation);
        if (request.id == ocrgate::OperationId::Quillory)
            result.host = HostOf(request.argument.value_or(""));
        // The text and its codes: the window lists a page's codes after its lines.
        result.envelope = soap::WriteResponse(ocrgate::kNamespace, operation.name,
                                              Run(request.id, request.argument.value_or(""),
                                                  std::string(peer) + " " + result.operation,
                                                  cancel, asks));
    } catch (const SoapFault& fault) {
        const bool busy = fault.reason() == reason::kBusy;
        result = {busy ? 503 : 500,
                  WriteFaultEnvelope(fault),
                  result.operation,
                  busy                                        ? "busy"
                  : fault.reason() == reason::kCancelled      ? "cancelled"
                  : fault.code() == SoapFault::Code::Server ? "server_fault"
                                                              : "client_fault",
                  result.host,
                  std::string(fault.reason())};
    } catch (const std::exception& error) {
        const SoapFault fault = ServerFault(std::string("Internal error: ") + error.what());
        result = {500,         WriteFaultEnvelope(fault), result.operation, "server_fault",
                  result.host, std::string(fault.reason())};
    }
    return result;
}

std::string Dispatcher::Run(ocrgate::OperationId operation, const std::string& argument,
                            const std::string& request, const CancelFlag& cancel,
                            const SoapAsks& asks) {
    const PageParts parts{true, true, asks.hints};
    namespace reason = ocrgate::reason;
    switch (operation) {
    case ocrgate::OperationId::HelloWorld:
        return "Hello World";
    case ocrgate::OperationId::ImgBase64ToText: {
        auto picture = soap::DecodeBase64(argument);
        if (!picture)
            throw ClientFault("The img parameter is not valid base64");
        if (picture->empty())
            throw ClientFault("The img parameter is empty: no picture was sent", reason::kEmpty);
        return Recognize({PageSource::Kind::Picture, std::move(*picture), {}, 1, 0, parts},
                         request, cancel, asks.characters);
    }
    case ocrgate::OperationId::Quillory:
        break;
    }
    // An address pasted with surrounding blanks is still the address.
    const auto first = argument.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        throw ClientFault("The url parameter is empty: no address was sent", reason::kEmpty);
    const std::string url =
        argument.substr(first, argument.find_last_not_of(" \t\r\n") - first + 1);
    if (url.size() > kMaxUrl)
        throw ClientFault("The address is longer than " + std::to_string(kMaxUrl) + " characters");
    return Recognize({PageSource::Kind::Address, {}, url, 1, 0, parts}, request, cancel,
                     asks.characters);
}

std::string Dispatcher::Recognize(PageSource source, const std::string& request,
                                  const CancelFlag& cancel, bool characters) {
    try {
        const PageReading page = reader_.Read(std::move(source), request, cancel);
        return WriteReplyJson(reader_.NextLogId(), page.lines, page.tables, page.codes,
                              characters);
    } catch (const ReadFailed& failure) {
        throw FaultFor(failure);
    }
}

}  // namespace ocrgated
