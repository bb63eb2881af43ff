#include "service/protocol/dispatcher.h"

#include <algorithm>
#include <chrono>
#include <random>

#include "service/protocol/fault_reply.h"
#include "service/protocol/reply_json.h"
#include "service/protocol/soap_fault.h"
#include "service/protocol/soap_request.h"
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

std::uint64_t FirstLogId() {
    std::random_device random;
    return (std::uint64_t{random()} << 32 | random()) & 0x0000'FFFF'FFFF'FFFFull;
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

// Counts one piece of work in `count` for as long as it lives.
class Counted {
  public:
    explicit Counted(std::atomic<std::size_t>& count) : count_(count) { ++count_; }
    ~Counted() { --count_; }
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;

  private:
    std::atomic<std::size_t>& count_;
};

}  // namespace

DispatchResult Dispatcher::Dispatch(std::string_view body, std::string_view soap_action,
                                    std::string_view peer, CancelFlag cancel) {
    namespace reason = ocrgate::reason;
    DispatchResult result{200, {}, "-", "ok", {}, {}};
    try {
        const SoapRequest request = ReadSoapRequest(body);
        const ocrgate::Operation& operation = *request.operation;
        result.operation = std::string(operation.name);
        CheckAction(soap_action, operation);
        if (request.id == ocrgate::OperationId::Quillory)
            result.host = HostOf(request.argument.value_or(""));
        result.envelope = soap::WriteResponse(ocrgate::kNamespace, operation.name,
                                              Run(request.id, request.argument.value_or(""),
                                                  std::string(peer) + " " + result.operation,
                                                  cancel));
    } catch (const ServerBusy& busy) {
        const SoapFault fault = ServerFault(std::string("Server busy: ") + busy.what(), reason::kBusy);
        result = {503,         WriteFaultEnvelope(fault), result.operation, "busy",
                  result.host, std::string(fault.reason())};
    } catch (const SoapFault& fault) {
        result = {500,
                  WriteFaultEnvelope(fault),
                  result.operation,
                  fault.code() == SoapFault::Code::Server ? "server_fault" : "client_fault",
                  result.host,
                  std::string(fault.reason())};
    } catch (const std::exception& error) {
        const SoapFault fault = ServerFault(std::string("Internal error: ") + error.what());
        result = {500,         WriteFaultEnvelope(fault), result.operation, "server_fault",
                  result.host, std::string(fault.reason())};
    }
    return result;
}

std::size_t Dispatcher::WorkersBusy() const {
    const std::size_t running = recognising_ - std::min<std::size_t>(recognising_, pool_.waiting());
    return std::min<std::size_t>(running, static_cast<std::size_t>(pool_.threads()));
}

std::string Dispatcher::Run(ocrgate::OperationId operation, const std::string& argument,
                            const std::string& request, const CancelFlag& cancel) {
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
        return Recognize(std::move(*picture), request, cancel);
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
    return Fetch(url, request, cancel);
}

std::vector<std::uint8_t> Dispatcher::FetchForRecognition(const std::string& url) {
    const auto count = [this](const char* outcome) {
        if (metrics_)
            metrics_->CountFetch(outcome);
    };
    std::vector<std::uint8_t> picture;
    {
        Counted fetch(fetching_);
        if (fetching_ > options_.max_fetches || pool_.waiting() >= options_.queue_capacity) {
            count("busy");
            throw ServerBusy("too many pictures are being fetched or waiting; try again shortly");
        }
        try {
            picture = FetchPicture(url, options_.fetch);
        } catch (const AddressRefused&) {
            count("refused");
            throw;
        } catch (const FetchFailed&) {
            count("failed");
            throw;
        } catch (const PictureTooLarge&) {
            count("too_large");
            throw;
        }
    }
    count("ok");
    return picture;
}

std::string Dispatcher::Fetch(const std::string& url, const std::string& request,
                              const CancelFlag& cancel) {
    namespace reason = ocrgate::reason;
    std::vector<std::uint8_t> picture;
    try {
        picture = FetchForRecognition(url);
    } catch (const AddressRefused& error) {
        const bool not_web = dynamic_cast<const AddressNotWeb*>(&error) != nullptr;
        throw ClientFault(std::string("Address refused: ") + error.what(),
                          not_web ? reason::kAddressScheme : reason::kAddressPrivate);
    } catch (const FetchFailed& error) {
        const bool late = dynamic_cast<const FetchTimedOut*>(&error) != nullptr;
        throw ServerFault(std::string("Fetch failed: ") + error.what(),
                          late ? reason::kFetchTimeLimit : reason::kFetchFailed);
    } catch (const PictureTooLarge& error) {
        throw ClientFault(std::string("Picture too large: ") + error.what(), reason::kTooLarge);
    }
    return Recognize(std::move(picture), request, cancel);
}

PageReading Dispatcher::ReadPage(std::vector<std::uint8_t> picture, const std::string& request,
                                 const CancelFlag& cancel, RecognitionPool* pool) {
    RecognitionPool& reader = pool != nullptr ? *pool : pool_;
    if (metrics_)
        metrics_->CountPictureBytes(picture.size());
    Counted recognition(recognising_);
    const auto start = std::chrono::steady_clock::now();
    // ServerBusy when the queue is full
    auto pending = reader.Submit(std::move(picture), request, cancel);
    try {
        PageReading page = pending.get();
        if (metrics_)
            metrics_->ObserveRecognition(reader.EngineName(),
                                         std::chrono::steady_clock::now() - start);
        return page;
    } catch (const RecognitionCancelled&) {
        if (metrics_)
            metrics_->CountCancelledRecognition();
        throw;
    }
}

std::uint64_t Dispatcher::NextLogId() {
    static const std::uint64_t first = FirstLogId();
    return first + next_log_id_++;
}

std::string Dispatcher::Recognize(std::vector<std::uint8_t> picture, const std::string& request,
                                  const CancelFlag& cancel) {
    namespace reason = ocrgate::reason;
    PageReading page;
    try {
        page = ReadPage(std::move(picture), request, cancel);
    } catch (const ServerBusy&) {
        throw;
    } catch (const BadPicture& error) {
        throw ClientFault(std::string("Not a picture we can read: ") + error.what(),
                          reason::kNotAPicture);
    } catch (const PictureTooLarge& error) {
        throw ClientFault(std::string("Picture too large: ") + error.what(), reason::kTooLarge);
    } catch (const RecognitionTimedOut& error) {
        // The same picture would take as long again: a smaller or plainer one is the remedy.
        throw ClientFault(std::string("Recognition stopped: ") + error.what(),
                          reason::kTimeLimit);
    } catch (const RecognitionCancelled& error) {
        throw ServerFault(std::string("Recognition cancelled: ") + error.what(),
                          reason::kCancelled);
    } catch (const std::exception& error) {
        throw ServerFault(std::string("Recognition failed: ") + error.what());
    }
    return WriteReplyJson(NextLogId(), page.lines, page.tables);
}

}  // namespace ocrgated
