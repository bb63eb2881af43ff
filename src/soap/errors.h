#pragma once
// The errors of the service client. Every one carries its message; `EAbort` is the silent
// one, raised when the user called the operation off.

#include <string>

#include "base/exception.h"

namespace soap {

// The system's one error base; messages are UTF-8.
using Exception = quillory::Exception;

class EAbort : public Exception {
  public:
    EAbort() : Exception("Operation aborted") {}
};

// A transport failure; the status code is the HTTP status when one caused it, else 0.
// Beside the message, what tells causes apart: the HTTP client's own error code (0 when
// none), and the service's stable reason for a refusal, when its reply named one.
class ESOAPHTTPException : public Exception {
  public:
    ESOAPHTTPException(const std::string& message, int statusCode, int transportCode = 0,
                       std::string serviceReason = {})
        : Exception(message),
          statusCode_(statusCode),
          transportCode_(transportCode),
          serviceReason_(std::move(serviceReason)) {}
    int StatusCode() const noexcept { return statusCode_; }
    int TransportCode() const noexcept { return transportCode_; }
    const std::string& ServiceReason() const noexcept { return serviceReason_; }

  private:
    int statusCode_;
    int transportCode_;
    std::string serviceReason_;
};

// A reply that breaks the envelope rules, or one without a result element.
class ESOAPDomConvertError : public Exception {
  public:
    using Exception::Exception;
};

// A SOAP fault, or a mandatory header entry nobody handled.
class ERemotableException : public Exception {
  public:
    ERemotableException(const std::string& message, std::u16string faultCode,
                        std::u16string faultActor, std::u16string faultDetail)
        : Exception(message),
          faultCode_(std::move(faultCode)),
          faultActor_(std::move(faultActor)),
          faultDetail_(std::move(faultDetail)) {}
    const std::u16string& FaultCode() const noexcept { return faultCode_; }
    const std::u16string& FaultActor() const noexcept { return faultActor_; }
    const std::u16string& FaultDetail() const noexcept { return faultDetail_; }

  private:
    std::u16string faultCode_, faultActor_, faultDetail_;
};

// What the XML parser said about a body that is not well-formed.
struct ParseErrorRecord {
    int errorCode = 0;
    std::string reason;
    int line = 0;
    int linePos = 0;
    std::string srcText;  // the start of the offending line
};

class EDOMParseError : public Exception {
  public:
    EDOMParseError(const std::string& message, ParseErrorRecord record)
        : Exception(message), record_(std::move(record)) {}
    const ParseErrorRecord& ParseError() const noexcept { return record_; }

  private:
    ParseErrorRecord record_;
};

// A fault part that holds more than a single text.
class EXMLDocError : public Exception {
  public:
    using Exception::Exception;
};

}  // namespace soap
