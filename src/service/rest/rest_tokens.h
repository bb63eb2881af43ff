#pragma once
// Access to the REST endpoints: key pairs read from a file at start, access tokens issued
// for them at /oauth/2.0/token (client_credentials) and checked on every call. A token is
// signed, not stored: it names its key and its expiry and carries an HMAC over both with a
// key derived from the key pair's secret, so every instance that holds the same key file
// takes it, across restarts, until it expires or its key leaves the file.

#include <chrono>
#include <cstddef>
#include <map>
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
    TokenAnswer Issue(const RestFields& fields) const;
    // Throws RestError: no token (100), an unknown or forged one (110) or an expired one (111).
    void Check(const RestFields& fields) const;

    std::size_t keys() const { return signing_keys_.size(); }

  private:
    std::map<std::string, std::string, std::less<>> secrets_;       // id -> secret
    std::map<std::string, std::string, std::less<>> signing_keys_;  // id -> derived key
    std::chrono::seconds lifetime_;
};

}  // namespace ocrgated
