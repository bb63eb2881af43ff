#pragma once
// The errors of the REST endpoints, with the cloud API's codes: every failure of a REST
// call ends as one of these and is answered HTTP 200 with {log_id, error_code, error_msg}.

#include <stdexcept>
#include <string>

namespace ocrgated {

namespace rest_code {
constexpr int kUnknown = 1;
constexpr int kUnavailable = 2;              // shutting down
constexpr int kUnsupportedMethod = 3;        // no such endpoint
constexpr int kQpsLimit = 18;                // busy
constexpr int kInvalidTokenParameter = 100;  // no access_token where one is needed
constexpr int kTokenInvalid = 110;
constexpr int kTokenExpired = 111;
constexpr int kInvalidParam = 216100;
constexpr int kNotEnoughParam = 216101;
constexpr int kParamTooLong = 216103;
constexpr int kEmptyImage = 216200;
constexpr int kImageFormat = 216201;
constexpr int kImageSize = 216202;
constexpr int kRecognizeError = 216630;
constexpr int kInternal = 282000;
constexpr int kUrlFormat = 282111;
constexpr int kUrlDownload = 282112;
constexpr int kUrlSize = 282114;
}  // namespace rest_code

class RestError : public std::runtime_error {
  public:
    RestError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int code() const { return code_; }

  private:
    int code_;
};

}  // namespace ocrgated
