#pragma once
// The REST face of ocrgated beside the SOAP endpoint: the cloud API's recognition
// endpoints and its token endpoint, on the same engines, limits and metrics.

#include <cstdint>
#include <string>

#include "service/http/http_server.h"
#include "service/recognition/page_reader.h"

namespace ocrgated {

class LanguagePools;
class TokenIssuer;
struct RestCall;

class RestEndpoints {
  public:
    // `tokens` null: the endpoints are open. `languages` null: only the languages the
    // service's own engine reads.
    RestEndpoints(PageReader& reader, TokenIssuer* tokens, LanguagePools* languages = nullptr)
        : reader_(reader), tokens_(tokens), languages_(languages) {}

    // Any path IsRestPath accepts. Every answer is JSON; errors are HTTP 200 with the
    // API's error code, as its clients expect.
    HttpReply Serve(const HttpRequest& request);

  private:
    HttpReply Recognize(const HttpRequest& request, std::string_view path);
    RecognitionPool* Reader(const RestCall& call);

    PageReader& reader_;
    TokenIssuer* tokens_;
    LanguagePools* languages_;
};

// The answer to a REST request refused before it reached its handler (too large, busy,
// starting, shutting down): an error in the API's shape, never a SOAP fault.
HttpReply RestRefusal(int status, const std::string& reason, std::uint64_t log_id);

// The error reply itself, for the endpoint's own errors.
HttpReply RestErrorReply(std::uint64_t log_id, int code, const std::string& message,
                         std::string operation);

}  // namespace ocrgated
