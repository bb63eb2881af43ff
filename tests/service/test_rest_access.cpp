// Access to the REST endpoints: tokens for the listed key pairs, their expiry, and a key
// file others may read refused at start.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <thread>

#include "fake_engine.h"
#include "rest_form_text.h"
#include "support/running_service.h"

namespace ocrgated::testing {

using namespace testing_support;
namespace {

// A key file readable by its owner alone, removed with the object.
struct KeyFile {
    explicit KeyFile(mode_t mode,
                     const std::string& pairs = "client-a secret-a\n\nclient-b secret-b\n",
                     const std::string& name = "rest-keys-") {
        path = ::testing::TempDir() + name + std::to_string(::getpid());
        std::ofstream(path) << "# id secret\n" << pairs;
        ::chmod(path.c_str(), mode);
    }
    ~KeyFile() { std::filesystem::remove(path); }
    std::string path;
};

ServiceOptions WithKeys(const KeyFile& keys) {
    ServiceOptions options;
    options.api_keys = keys.path;
    return options;
}

// The error code of a recognition with `token`; 0 for a result.
int CallWith(RunningService& running, const std::string& token) {
    auto result = running.Client().Post((kV1 + "general_basic?access_token=" + token).c_str(),
                                        Image("lines:a"), kForm.c_str());
    return result ? nlohmann::json::parse(result->body).value("error_code", 0) : -1;
}

TEST(RestAccess, TokensAreIssuedForListedKeysAndExpire) {
    KeyFile keys(0600);
    ServiceOptions options;
    options.api_keys = keys.path;
    options.token_lifetime = std::chrono::seconds(1);
    RunningService running(options, FakeFactory());
    const auto token = [&](const std::string& form) {
        auto result = running.Client().Post("/oauth/2.0/token", form, kForm.c_str());
        EXPECT_TRUE(result);
        return std::pair{result->status, nlohmann::json::parse(result->body)};
    };
    struct Refused {
        std::string form;
        int status;
        std::string error;
    };
    for (const auto& [form, status, error] : std::vector<Refused>{
             {"grant_type=password&client_id=client-a&client_secret=secret-a", 400,
              "unsupported_grant_type"},
             {"grant_type=client_credentials&client_id=nobody&client_secret=secret-a", 401,
              "invalid_client"},
             {"grant_type=client_credentials&client_id=client-a&client_secret=secret-b", 401,
              "invalid_client"}}) {
        const auto [answer_status, answer] = token(form);
        EXPECT_EQ(answer_status, status) << form;
        EXPECT_EQ(answer.value("error", ""), error) << form;
        EXPECT_FALSE(answer.contains("access_token"));
    }
    const auto [status, granted] =
        token("grant_type=client_credentials&client_id=client-b&client_secret=secret-b");
    ASSERT_EQ(status, 200);
    EXPECT_EQ(granted.at("expires_in"), 1);
    // The SDKs send a token only when its scope names this one.
    EXPECT_NE(granted.at("scope").get<std::string>().find("brain_all_scope"), std::string::npos);
    const std::string access = granted.at("access_token");

    const auto call = [&](const std::string& query) {
        auto result = running.Client().Post((kV1 + "general_basic" + query).c_str(),
                                            Image("lines:a"), kForm.c_str());
        return nlohmann::json::parse(result->body);
    };
    EXPECT_EQ(call("").value("error_code", 0), 100);
    EXPECT_EQ(call("?access_token=24.forged").value("error_code", 0), 110);
    EXPECT_EQ(call("?access_token=" + access).at("words_result_num"), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    EXPECT_EQ(call("?access_token=" + access).value("error_code", 0), 111);
}

TEST(RestAccess, ATokenHoldsOnEveryInstanceWithTheKeyFileAndAcrossRestarts) {
    KeyFile keys(0600);
    std::string token;
    {
        RunningService issuer(WithKeys(keys), FakeFactory());
        RunningService other(WithKeys(keys), FakeFactory());
        // The form the API's documentation shows: the fields in the query, no body and no
        // Content-Length.
        const std::string ask = "POST /oauth/2.0/token?grant_type=client_credentials&"
                                "client_id=client-a&client_secret=secret-a HTTP/1.1\r\n"
                                "Host: x\r\nConnection: close\r\n\r\n";
        const std::string answer = RawExchange(issuer.port(), ask, false);
        ASSERT_EQ(answer.substr(0, 12), "HTTP/1.1 200") << answer;
        token = nlohmann::json::parse(answer.substr(answer.find("\r\n\r\n") + 4))
                    .at("access_token");
        EXPECT_EQ(CallWith(issuer, token), 0);
        EXPECT_EQ(CallWith(other, token), 0);
    }
    // The expiry's last digit turned to another (never to itself).
    const std::size_t expiry_end = token.rfind('.') - 1;
    std::string later = token;
    later[expiry_end] = later[expiry_end] == '9' ? '8' : '9';
    KeyFile without_a(0600, "client-b secret-b\n", "rest-keys-b-");
    KeyFile other_secret(0600, "client-a another\n", "rest-keys-c-");
    const struct {
        const char* name;
        const KeyFile& keys;
        std::string token;
        int code;
    } cases[] = {
        {"after a restart", keys, token, 0},
        {"its key gone from the file", without_a, token, 110},
        {"its key's secret changed", other_secret, token, 110},
        {"its expiry changed", keys, later, 110},
        {"its signature changed", keys, token.substr(0, token.size() - 1) +
                                            (token.back() == '0' ? "1" : "0"), 110},
    };
    for (const auto& c : cases) {
        RunningService restarted(WithKeys(c.keys), FakeFactory());
        EXPECT_EQ(CallWith(restarted, c.token), c.code) << c.name;
    }
}

TEST(RestAccess, AKeyFileOthersMayReadIsRefusedAtStart) {
    for (mode_t mode : {0640, 0604}) {
        KeyFile keys(mode);
        ServiceOptions options;
        options.api_keys = keys.path;
        EXPECT_THROW(HttpService(options, FakeFactory()), std::runtime_error) << mode;
    }
}

}  // namespace
}  // namespace ocrgated::testing
