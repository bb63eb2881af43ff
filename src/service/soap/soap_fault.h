#pragma once
// The one error type that reaches the HTTP boundary: every failure inside the
// service ends up as a SoapFault and is written as a SOAP 1.1 Fault.

#include <stdexcept>
#include <string>
#include <string_view>

#include "contract/fault_reason.h"

namespace ocrgated {

class SoapFault : public std::runtime_error {
  public:
    enum class Code { Client, Server, MustUnderstand };

    // `reason` is the stable word a client tells the fault by (ocrgate/fault_reason.h);
    // empty: the general one of its code.
    SoapFault(Code code, const std::string& message, std::string_view reason = {})
        : std::runtime_error(message), code_(code), reason_(reason) {}

    Code code() const { return code_; }
    std::string_view reason() const {
        if (!reason_.empty())
            return reason_;
        return code_ == Code::Server ? ocrgate::reason::kServerError
                                     : ocrgate::reason::kBadRequest;
    }

    // The qualified faultcode as written in the reply, with the envelope's prefix.
    std::string_view faultcode() const {
        switch (code_) {
            case Code::Client:
                return "soap:Client";
            case Code::Server:
                return "soap:Server";
            case Code::MustUnderstand:
                return "soap:MustUnderstand";
        }
        return "soap:Server";
    }

  private:
    Code code_;
    std::string reason_;
};

inline SoapFault ClientFault(const std::string& message, std::string_view reason = {}) {
    return SoapFault(SoapFault::Code::Client, message, reason);
}

inline SoapFault ServerFault(const std::string& message, std::string_view reason = {}) {
    return SoapFault(SoapFault::Code::Server, message, reason);
}

}  // namespace ocrgated
