#include "service/rest/rest_tokens.h"

#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "service/rest/rest_error.h"

namespace ocrgated {
namespace {

// Tokens kept at once; beyond it the one that expires first goes.
constexpr std::size_t kMaxTokens = 65536;
// The scope the cloud API's SDKs look for before they send a token.
constexpr std::string_view kScope = "public brain_all_scope vis-ocr_ocr";

std::string RandomHex(std::size_t bytes) {
    static thread_local std::random_device random;
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < bytes; ++i) {
        const unsigned value = random() & 0xFF;
        text += kDigits[value >> 4];
        text += kDigits[value & 15];
    }
    return text;
}

TokenAnswer OAuthError(int status, std::string_view error, std::string_view description) {
    return {status, nlohmann::json{{"error", error}, {"error_description", description}}.dump()};
}

std::string FieldOf(const RestFields& fields, std::string_view name) {
    const auto found = fields.find(name);
    return found == fields.end() ? std::string() : found->second;
}

}  // namespace

TokenIssuer::TokenIssuer(const std::string& path, std::chrono::seconds lifetime)
    : lifetime_(lifetime) {
    std::ifstream file(path);
    struct stat status {};
    if (!file || ::stat(path.c_str(), &status) != 0)
        throw std::runtime_error("--api-keys: cannot read " + path);
    if (status.st_mode & (S_IRWXG | S_IRWXO))
        throw std::runtime_error("--api-keys: " + path +
                                 " may be read by its group or others; chmod 600 it");
    std::string line;
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string id, secret, extra;
        if (!(words >> id))
            continue;
        if (!(words >> secret) || (words >> extra))
            throw std::runtime_error("--api-keys: " + path + " line " + std::to_string(number) +
                                     ": expected \"id secret\"");
        secrets_[id] = secret;
    }
    if (secrets_.empty())
        throw std::runtime_error("--api-keys: " + path + " holds no key pair");
}

TokenAnswer TokenIssuer::Issue(const RestFields& fields) {
    if (FieldOf(fields, "grant_type") != "client_credentials")
        return OAuthError(400, "unsupported_grant_type",
                          "The authorization grant type is not supported");
    const std::string id = FieldOf(fields, "client_id");
    const auto key = secrets_.find(id);
    if (key == secrets_.end())
        return OAuthError(401, "invalid_client", "unknown client id");
    if (FieldOf(fields, "client_secret") != key->second)
        return OAuthError(401, "invalid_client", "Client authentication failed");

    const std::string token =
        "24." + RandomHex(16) + "." + std::to_string(lifetime_.count()) + "." + RandomHex(16);
    const auto now = Clock::now();
    {
        std::lock_guard lock(mutex_);
        std::erase_if(tokens_, [&](const auto& entry) { return entry.second + lifetime_ < now; });
        if (tokens_.size() >= kMaxTokens)
            tokens_.erase(
                std::min_element(tokens_.begin(), tokens_.end(),
                                 [](const auto& a, const auto& b) { return a.second < b.second; }));
        tokens_[token] = now + lifetime_;
    }
    const nlohmann::json answer = {
        {"refresh_token", "25." + RandomHex(16)},
        {"expires_in", lifetime_.count()},
        {"session_key", RandomHex(16)},
        {"access_token", token},
        {"scope", kScope},
        {"session_secret", RandomHex(16)},
    };
    return {200, answer.dump()};
}

void TokenIssuer::Check(const RestFields& fields) {
    const auto token = fields.find("access_token");
    if (token == fields.end() || token->second.empty())
        throw RestError(rest_code::kInvalidTokenParameter,
                        "Invalid parameter: access_token is required");
    // The cloud API's Node.js SDK appends a second query to the token ("…?aipSdk=node").
    const std::string_view sent =
        std::string_view(token->second).substr(0, token->second.find('?'));
    std::lock_guard lock(mutex_);
    const auto found = tokens_.find(sent);
    if (found == tokens_.end())
        throw RestError(rest_code::kTokenInvalid, "Access token invalid or no longer valid");
    if (found->second <= Clock::now())
        throw RestError(rest_code::kTokenExpired, "Access token expired");
}

}  // namespace ocrgated
