#pragma once
// The one error type that reaches the HTTP boundary: every failure inside the
// service ends up as a SoapFault and is written as a SOAP 1.1 Fault.

#include <stdexcept>
#include <string>
#include <string_view>

namespace ocrgated {

class SoapFault : public std::runtime_error {
  public:
    enum class Code { Client, Server, MustUnderstand };

    SoapFault(Code code, const std::string& message) : std::runtime_error(message), code_(code) {}

    Code code() const { return code_; }

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
};

inline SoapFault ClientFault(const std::string& message) {
    return SoapFault(SoapFault::Code::Client, message);
}

inline SoapFault ServerFault(const std::string& message) {
    return SoapFault(SoapFault::Code::Server, message);
}

}  // namespace ocrgated
