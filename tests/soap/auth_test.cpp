#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "loopback_server.h"
#include "contract/ocrgate.h"
#include "soap/errors.h"
#include "soap/http_transport.h"

namespace {

using testing_support::HttpReply;
using testing_support::LoopbackServer;

const std::string kChallenge = HttpReply("401 Unauthorized", "text/html", "<p>who?</p>",
                                         "WWW-Authenticate: Basic realm=\"q\"\r\n");
const std::string kOk = HttpReply("200 OK", "text/xml", "<ok/>");

soap::MemoryStream Body(std::size_t n) {
    return soap::MemoryStream(std::vector<std::uint8_t>(n, 'z'));
}

std::string BodyOf(const std::string& request) {
    return request.substr(request.find("\r\n\r\n") + 4);
}

struct Outcome {
    std::vector<soap::AuthChallenge> challenges;
    std::string error;
    int status = 0;
    bool aborted = false;
    std::string reply;
};

Outcome Exchange(LoopbackServer& server, std::size_t bodySize,
                 std::optional<soap::Credentials> answer) {
    Outcome run;
    soap::THTTPReqResp t;
    t.SetURL(server.Url());
    t.PrepareCall(*ocrgate::InvRegistry::Instance().Lookup("ocrgateSoap"), 2);
    if (answer) {
        t.SetCredentialsCallback([&run, answer](const soap::AuthChallenge& c) {
            run.challenges.push_back(c);
            return *answer;
        });
    }
    auto request = Body(bodySize);
    soap::MemoryStream reply;
    try {
        t.Exchange(request, reply);
    } catch (const soap::EAbort& e) {
        run.aborted = true;
        run.error = e.Message();
    } catch (const soap::ESOAPHTTPException& e) {
        run.error = e.Message();
        run.status = e.StatusCode();
    }
    run.reply.assign(reply.Bytes().begin(), reply.Bytes().end());
    return run;
}

TEST(Credentials, WithoutCallbackTheStatusRulesApply) {
    LoopbackServer server({kChallenge, kOk});
    const Outcome run = Exchange(server, 10, std::nullopt);
    EXPECT_EQ(run.error, "Unauthorized (401) - '" + server.Url() + "'");
    EXPECT_EQ(run.status, 401);
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(Credentials, NothingToDo) {
    LoopbackServer server({kChallenge, kOk});
    const Outcome run = Exchange(server, 10, soap::Credentials{});
    ASSERT_EQ(run.challenges.size(), 1u);
    EXPECT_EQ(run.challenges[0].status, 401);
    EXPECT_EQ(run.challenges[0].url, server.Url());
    EXPECT_EQ(run.challenges[0].authenticate, "Basic realm=\"q\"");
    EXPECT_EQ(run.error, "Unauthorized (401) - '" + server.Url() + "'");
    EXPECT_EQ(run.status, 401);
    EXPECT_EQ(run.reply, "");  // the challenge's own body is not the reply
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(Credentials, CancelIsTheSilentAbort) {
    LoopbackServer server({kChallenge, kOk});
    const Outcome run =
        Exchange(server, 10, soap::Credentials{soap::CredentialsOutcome::Cancel, "", ""});
    EXPECT_TRUE(run.aborted);
    EXPECT_EQ(run.error, "Operation aborted");
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(Credentials, SendAgainRepeatsTheWholeBodyWithTheCredentials) {
    for (std::size_t size : {10u, 32768u, 70000u}) {
        LoopbackServer server({kChallenge, kOk});
        const Outcome run = Exchange(
            server, size, soap::Credentials{soap::CredentialsOutcome::SendAgain, "u", "p"});
        EXPECT_EQ(run.error, "") << size;
        EXPECT_EQ(run.reply, "<ok/>") << size;
        EXPECT_EQ(run.challenges.size(), 1u);
        const auto requests = server.Requests();
        ASSERT_EQ(requests.size(), 2u) << size;
        EXPECT_EQ(requests[0].find("Authorization:"), std::string::npos);
        EXPECT_NE(requests[1].find("\r\nAuthorization: Basic dTpw\r\n"), std::string::npos);
        EXPECT_EQ(BodyOf(requests[0]), std::string(size, 'z'));
        EXPECT_EQ(BodyOf(requests[1]), std::string(size, 'z'));
    }
}

TEST(Credentials, WrongCredentialsAskAgain) {
    LoopbackServer server({kChallenge, kChallenge, kOk});
    const Outcome run =
        Exchange(server, 10, soap::Credentials{soap::CredentialsOutcome::SendAgain, "u", "p"});
    EXPECT_EQ(run.challenges.size(), 2u);
    EXPECT_EQ(run.reply, "<ok/>");
}

}  // namespace
