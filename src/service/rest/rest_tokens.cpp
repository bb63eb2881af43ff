#include "service/rest/rest_tokens.h"

#include <sys/stat.h>

#include <nlohmann/json.hpp>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <cstdint>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <stdexcept>

#include "service/rest/rest_error.h"

namespace ocrgated {
namespace {

// The label a signing key is derived under, so that a token's MAC never equals anything
// else computed from the secret.
constexpr std::string_view kKeyLabel = "ocrgated access token v1";
constexpr std::string_view kTokenPrefix = "24.";
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

std::string Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char c : bytes) {
        text += kDigits[c >> 4];
        text += kDigits[c & 15];
    }
    return text;
}

std::optional<std::string> Unhex(std::string_view text) {
    if (text.size() % 2 != 0)
        return std::nullopt;
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        int value = 0;
        for (char c : text.substr(i, 2)) {
            const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + digit;
        }
        bytes += static_cast<char>(value);
    }
    return bytes;
}

// HMAC-SHA256 of `message` under `key`, as raw bytes.
std::string Mac(std::string_view key, std::string_view message) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
              reinterpret_cast<const unsigned char*>(message.data()), message.size(), digest,
              &length))
        throw std::runtime_error("HMAC-SHA256 failed");
    return std::string(reinterpret_cast<const char*>(digest), length);
}

std::int64_t UnixMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// "24.<id in hex>.<expiry, Unix milliseconds>."; the MAC in hex follows.
std::string SignedPart(std::string_view id, std::int64_t expiry) {
    return std::string(kTokenPrefix) + Hex(id) + "." + std::to_string(expiry) + ".";
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
    for (const auto& [id, secret] : secrets_)
        signing_keys_[id] = Mac(secret, kKeyLabel);
}

TokenAnswer TokenIssuer::Issue(const RestFields& fields) const {
    if (FieldOf(fields, "grant_type") != "client_credentials")
        return OAuthError(400, "unsupported_grant_type",
                          "The authorization grant type is not supported");
    const std::string id = FieldOf(fields, "client_id");
    const auto key = secrets_.find(id);
    if (key == secrets_.end())
        return OAuthError(401, "invalid_client", "unknown client id");
    if (FieldOf(fields, "client_secret") != key->second)
        return OAuthError(401, "invalid_client", "Client authentication failed");

    const std::string signed_part = SignedPart(id, UnixMilliseconds() + lifetime_.count() * 1000);
    const std::string token = signed_part + Hex(Mac(signing_keys_.at(id), signed_part));
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

void TokenIssuer::Check(const RestFields& fields) const {
    const auto token = fields.find("access_token");
    if (token == fields.end() || token->second.empty())
        throw RestError(rest_code::kInvalidTokenParameter,
                        "Invalid parameter: access_token is required");
    // The cloud API's Node.js SDK appends a second query to the token ("…?aipSdk=node").
    std::string_view sent = std::string_view(token->second).substr(0, token->second.find('?'));
    const RestError invalid(rest_code::kTokenInvalid, "Access token invalid or no longer valid");
    if (!sent.starts_with(kTokenPrefix))
        throw invalid;
    // 24.<id>.<expiry>.<mac>
    const std::string_view rest = sent.substr(kTokenPrefix.size());
    const std::size_t first = rest.find('.');
    const std::size_t second = first == std::string_view::npos ? first : rest.find('.', first + 1);
    if (second == std::string_view::npos)
        throw invalid;
    const auto id = Unhex(rest.substr(0, first));
    const std::string_view expiry_text = rest.substr(first + 1, second - first - 1);
    const auto mac = Unhex(rest.substr(second + 1));
    const auto key = id ? signing_keys_.find(*id) : signing_keys_.end();
    if (!mac || key == signing_keys_.end() || expiry_text.empty() || expiry_text.size() > 18 ||
        expiry_text.find_first_not_of("0123456789") != std::string_view::npos)
        throw invalid;
    const std::int64_t expiry = std::stoll(std::string(expiry_text));
    const std::string expected = Mac(key->second, SignedPart(*id, expiry));
    if (mac->size() != expected.size() ||
        CRYPTO_memcmp(mac->data(), expected.data(), expected.size()) != 0)
        throw invalid;
    if (expiry <= UnixMilliseconds())
        throw RestError(rest_code::kTokenExpired, "Access token expired");
}

}  // namespace ocrgated
