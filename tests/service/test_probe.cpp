// ocrgated probed as an attacker and a load tester would, on loopback: slow
// clients, a burst of connections, more recognitions than it has room for,
// and a SIGTERM while a client trickles. Each phase is bounded in time.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <future>

#include "soap_text.h"
#include "support/render.h"
#include "support/running_service.h"
#include "support/service_process.h"

namespace ocrgated::testing {

using namespace testing_support;
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A connection that sends a request head one header line at a time and never finishes it.
class Trickler {
  public:
    explicit Trickler(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        Send("POST /ocrgate/ocrgate.asmx HTTP/1.1\r\nHost: x\r\n");
    }
    ~Trickler() { close(fd_); }
    Trickler(const Trickler&) = delete;
    Trickler& operator=(const Trickler&) = delete;

    // False once the server has closed the connection.
    bool Send(const std::string& text) {
        return connected_ && send(fd_, text.data(), text.size(), MSG_NOSIGNAL) > 0;
    }
    bool connected() const { return connected_; }

  private:
    int fd_;
    bool connected_ = false;
};

milliseconds Timed(const std::function<bool()>& call, bool& ok) {
    const auto start = Clock::now();
    ok = call();
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

TEST(Probe, HoldsUnderHostileLoad) {
    ServiceProcess daemon(OCRGATED_BINARY, EphemeralArgs(2, {"--queue", "8", "--drain-delay", "1",
                                                             "--drain-timeout", "10"}));
    ASSERT_TRUE(daemon.WaitUntilHealthy()) << daemon.Output();
    const int port = daemon.Port();
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(60, 0);

    {
        SCOPED_TRACE("50 trickling connections hold no thread");
        std::vector<std::unique_ptr<Trickler>> tricklers;
        for (int i = 0; i < 50; ++i)
            tricklers.push_back(std::make_unique<Trickler>(port));
        for (int round = 0; round < 3; ++round) {
            for (auto& trickler : tricklers)
                trickler->Send("X-Slow: " + std::to_string(round) + "\r\n");
            bool ok = false;
            const auto health = Timed(
                [&] {
                    auto result = client.Get("/healthz");
                    return result && result->status == 200;
                },
                ok);
            EXPECT_TRUE(ok);
            EXPECT_LT(health, milliseconds(200));
            const auto hello = Timed(
                [&] {
                    auto result =
                        client.Post("/ocrgate/ocrgate.asmx", SoapRequest("HelloWorld"), "text/xml");
                    return result && result->status == 200;
                },
                ok);
            EXPECT_TRUE(ok);
            EXPECT_LT(hello, milliseconds(200));
            std::this_thread::sleep_for(milliseconds(300));
        }
    }
    {
        SCOPED_TRACE("an address request is logged with its host, never its credentials");
        client.Post("/ocrgate/ocrgate.asmx",
                    SoapRequest("quillory", "url", "http://user:pw@127.0.0.1:9/x.png?key=k"),
                    "text/xml");
        const std::string log =
            daemon.ReadUntil(std::regex(" quillory 500 .* host=127\\.0\\.0\\.1\n"));
        EXPECT_TRUE(std::regex_search(log, std::regex(" quillory 500 .* host=127\\.0\\.0\\.1\n")))
            << log;
        EXPECT_EQ(log.find("pw"), std::string::npos);
        EXPECT_EQ(log.find("key=k"), std::string::npos);
    }
    {
        SCOPED_TRACE("2,000 HelloWorld at concurrency 64, a new connection each");
        std::atomic<int> next{0}, failed{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 64; ++t) {
            threads.emplace_back([&] {
                while (next++ < 2000) {
                    httplib::Client one("127.0.0.1", port);
                    one.set_read_timeout(30, 0);
                    auto result =
                        one.Post("/ocrgate/ocrgate.asmx", SoapRequest("HelloWorld"), "text/xml");
                    if (!result || result->status != 200)
                        ++failed;
                }
            });
        }
        for (auto& thread : threads)
            thread.join();
        EXPECT_EQ(failed, 0);
    }
    {
        SCOPED_TRACE("40 recognitions at once: each a result or a busy fault");
        const std::string request = SoapRequest(
            "imgbase64totext", "img", Base64(Render({400, 80, kSansCjk, 36, {"Probe 探测"}})));
        std::vector<std::future<int>> answers;
        for (int i = 0; i < 40; ++i) {
            answers.push_back(std::async(std::launch::async, [&] {
                httplib::Client one("127.0.0.1", port);
                one.set_read_timeout(120, 0);
                auto result = one.Post("/ocrgate/ocrgate.asmx", request, "text/xml");
                if (!result)
                    return 0;
                const bool busy = result->status == 503 &&
                                  result->get_header_value("Retry-After") == "1" &&
                                  result->body.find("busy") != std::string::npos;
                return result->status == 200 || busy ? result->status : -result->status;
            }));
        }
        int recognised = 0, busy = 0;
        for (auto& answer : answers) {
            const int status = answer.get();
            EXPECT_TRUE(status == 200 || status == 503) << status;
            recognised += status == 200;
            busy += status == 503;
        }
        // The queue's eight at least: the workers take theirs from it, and on a busy machine
        // a burst can fill it before a worker wakes.
        EXPECT_GE(recognised, 8);
        EXPECT_EQ(recognised + busy, 40);
    }
    {
        SCOPED_TRACE("SIGTERM with a trickling client: exit 0 within the drain timeout");
        Trickler trickler(port);
        ASSERT_TRUE(trickler.connected());
        const auto start = Clock::now();
        daemon.Signal(SIGTERM);
        EXPECT_EQ(daemon.Wait(std::chrono::seconds(15)), 0) << daemon.Output();
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
        EXPECT_FALSE(trickler.Send("X-Late: 1\r\n") && trickler.Send("X-Later: 1\r\n"));
    }
}

}  // namespace
}  // namespace ocrgated::testing
