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
    explicit KeyFile(mode_t mode) {
        std::ofstream(path) << "# id secret\nclient-a secret-a\n\nclient-b secret-b\n";
        ::chmod(path.c_str(), mode);
    }
    ~KeyFile() { std::filesystem::remove(path); }
    std::string path = ::testing::TempDir() + "rest-keys-" + std::to_string(::getpid());
};

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
