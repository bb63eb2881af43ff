#pragma once
// Access to the REST endpoints: key pairs read from a file at start, access tokens issued
// for them at /oauth/2.0/token (client_credentials) and checked on every call.

#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "service/rest/rest_fields.h"

namespace ocrgated {

struct TokenAnswer {
    int status = 200;
    std::string body;  // JSON, the token or {"error", "error_description"}
};

class TokenIssuer {
  public:
    // Reads `path`: one "id secret" per line, blank lines and lines from '#' skipped.
    // Throws std::runtime_error when the file cannot be read, may be read by its group or
    // others, or holds no key pair.
    TokenIssuer(const std::string& path, std::chrono::seconds lifetime);

    // Answers a token request's fields: grant_type, client_id, client_secret.
    TokenAnswer Issue(const RestFields& fields);
    // Throws RestError: no token (100), an unknown one (110) or an expired one (111).
    void Check(const RestFields& fields);

    std::size_t keys() const { return secrets_.size(); }

  private:
    using Clock = std::chrono::steady_clock;
    std::map<std::string, std::string, std::less<>> secrets_;  // id -> secret
    std::chrono::seconds lifetime_;
    std::mutex mutex_;
    std::map<std::string, Clock::time_point, std::less<>> tokens_;  // token -> expiry
};

}  // namespace ocrgated
