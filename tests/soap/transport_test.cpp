#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "loopback_server.h"
#include "contract/ocrgate.h"
#include "soap/errors.h"
#include "soap/http_transport.h"

namespace {

using testing_support::HttpReply;
using testing_support::LoopbackServer;

const std::string kOk = HttpReply("200 OK", "text/xml; charset=utf-8", "<ok/>");

soap::MemoryStream Body(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<std::uint8_t>('a' + i % 26);
    return soap::MemoryStream(std::move(bytes));
}

std::string Text(const soap::MemoryStream& s) {
    return {s.Bytes().begin(), s.Bytes().end()};
}

// A transport set up as the client sets it up for `quillory`.
void Prepare(soap::THTTPReqResp& t, const std::string& url) {
    t.SetURL(url);
    t.SetUseUTF8InHeader(true);
    t.PrepareCall(*ocrgate::InvRegistry::Instance().Lookup("ocrgateSoap"), 1);
}

// A stream that claims more bytes than it holds.
class ShortStream final : public soap::Stream {
  public:
    explicit ShortStream(std::size_t claimed) : claimed_(claimed) {}
    std::size_t Read(std::uint8_t* data, std::size_t size) override {
        const std::size_t n = std::min<std::size_t>(size, 10 - std::min<std::size_t>(pos_, 10));
        std::fill_n(data, n, 'x');
        pos_ += n;
        return n;
    }
    void Write(const std::uint8_t*, std::size_t) override {}
    std::uint64_t Size() const override { return claimed_; }
    std::uint64_t Position() const override { return pos_; }
    void Seek(std::uint64_t p) override { pos_ = p; }

  private:
    std::size_t claimed_;
    std::uint64_t pos_ = 0;
};

TEST(THTTPReqResp, SplitsTheEndpoint) {
    const struct {
        std::string url;
        std::string host;
        int port;
        std::string object;
    } cases[] = {
        {"http://127.0.0.1:8723/ocrgate/ocrgate.asmx?WSDL", "127.0.0.1", 8723,
         "/ocrgate/ocrgate.asmx?WSDL"},
        {"http://example.org", "example.org", 80, ""},
        {"HTTPS://example.org/x", "example.org", 443, "/x"},
        {"http://user:pw@example.org:81/a?b=/c", "example.org", 81, "/a?b=/c"},
        {"http://[::1]:9/p", "[::1]", 9, "/p"},
    };
    for (const auto& c : cases) {
        soap::THTTPReqResp t;
        t.SetURL(c.url);
        EXPECT_EQ(t.URL(), c.url);
        EXPECT_EQ(t.Endpoint().host, c.host) << c.url;
        EXPECT_EQ(t.Endpoint().port, c.port) << c.url;
        EXPECT_EQ(t.Endpoint().object, c.object) << c.url;
    }
}

TEST(THTTPReqResp, RefusesOtherSchemesBeforeAnyConnection) {
    LoopbackServer server({kOk});
    for (const std::string& url :
         {std::string("ftp://127.0.0.1:") + std::to_string(server.Port()) + "/x",
          std::string("not an address"), std::string("file:///etc/hosts"),
          std::string("http://127.0.0.1/a\r\nX-Injected: 1")}) {
        soap::THTTPReqResp t;
        try {
            t.SetURL(url);
            FAIL() << url;
        } catch (const soap::ESOAPHTTPException& e) {
            EXPECT_EQ(e.Message(),
                      "Invalid url '" + url + "' - only supports 'http' and 'https' schemes");
            EXPECT_EQ(e.StatusCode(), 0);
        }
    }
    EXPECT_EQ(server.Connections(), 0);
}

TEST(THTTPReqResp, HeadLinesInOrder) {
    LoopbackServer server({kOk});
    const struct {
        bool utf8;
        std::string action;
        std::string soapActionLine;
        std::string contentTypeLine;
    } cases[] = {
        {true, "http://quillory.org/ocrgate/quillory",
         "SOAPAction: \"http://quillory.org/ocrgate/quillory\"",
         "Content-Type: text/xml; charset=\"utf-8\""},
        {false, "", "SOAPAction: \"\"", "Content-Type: text/xml"},
    };
    for (const auto& c : cases) {
        soap::THTTPReqResp t;
        t.SetURL(server.Url());
        t.SetUseUTF8InHeader(c.utf8);
        t.SetSoapAction(c.action);
        auto request = Body(5);
        soap::MemoryStream reply;
        t.Exchange(request, reply);
        EXPECT_EQ(Text(reply), "<ok/>");
        EXPECT_EQ(server.Requests().back(),
                  "POST /ocrgate/ocrgate.asmx?WSDL HTTP/1.1\r\n"
                  "Host: 127.0.0.1:" +
                      std::to_string(server.Port()) +
                      "\r\n"
                      "User-Agent: Keltrin SOAP 1.2\r\n" +
                      c.soapActionLine + "\r\n" + c.contentTypeLine +
                      "\r\n"
                      "Content-Length: 5\r\n\r\nabcde");
    }
}

TEST(THTTPReqResp, BodiesArriveWholeWithTheirLength) {
    LoopbackServer server({kOk});
    for (std::size_t n : {0u, 32768u, 32769u, 100000u}) {
        soap::THTTPReqResp t;
        Prepare(t, server.Url());
        auto request = Body(n);
        soap::MemoryStream reply;
        t.Exchange(request, reply);
        const std::string got = server.Requests().back();
        const std::size_t head = got.find("\r\n\r\n") + 4;
        EXPECT_NE(got.find(std::string("\r\nContent-Length: ") + std::to_string(n) + "\r\n"),
                  std::string::npos);
        EXPECT_EQ(got.find("Transfer-Encoding"), std::string::npos);
        EXPECT_EQ(got.substr(head), Text(request)) << n;
    }
}

TEST(THTTPReqResp, StreamShorterThanItsSize) {
    LoopbackServer server({kOk});
    for (std::size_t claimed : {100u, 40000u}) {
        soap::THTTPReqResp t;
        Prepare(t, server.Url());
        ShortStream request(claimed);
        soap::MemoryStream reply;
        try {
            t.Exchange(request, reply);
            FAIL() << claimed;
        } catch (const soap::ESOAPHTTPException& e) {
            EXPECT_EQ(e.Message(), "Invalid HTTP Request: Length is 0");
            EXPECT_EQ(e.StatusCode(), 0);
        }
        EXPECT_FALSE(t.Connected());
    }
}

TEST(THTTPReqResp, StatusAndContentTypeRules) {
    const struct {
        std::string reply;
        std::string error;  // empty: passed on
        int status;
        std::string body;  // what reaches the reply stream
    } cases[] = {
        {HttpReply("404 Not Found", "text/html", "<p>gone</p>"), "Not Found (404) - '%u'", 404, ""},
        {HttpReply("301 Moved Permanently", "", "", "Location: /x\r\n"),
         "Moved Permanently (301) - '%u'", 301, ""},
        {HttpReply("503 Service Unavailable", "text/xml", "<x/>"),
         "Service Unavailable (503) - '%u'", 503, ""},
        {HttpReply("500 Internal Server Error", "text/xml", "<fault/>"), "", 0, "<fault/>"},
        {HttpReply("200 OK", "text/html", "<p/>"),
         "Received content of invalid Content-Type setting: text/html - SOAP expects \"text/xml\"",
         0, "<p/>"},
        {HttpReply("200 OK", "TEXT/PLAIN", "hi"),
         "Received content of invalid Content-Type setting: TEXT/PLAIN - SOAP expects \"text/xml\"",
         0, "hi"},
        {HttpReply("200 OK", "text/html; charset=utf-8", "<p/>"), "", 0, "<p/>"},
        {HttpReply("200 OK", "", "<x/>"), "", 0, "<x/>"},
    };
    for (const auto& c : cases) {
        LoopbackServer server({c.reply});
        soap::THTTPReqResp t;
        Prepare(t, server.Url());
        auto request = Body(10);
        soap::MemoryStream reply;
        std::string error;
        int status = -1;
        try {
            t.Exchange(request, reply);
        } catch (const soap::ESOAPHTTPException& e) {
            error = e.Message();
            status = e.StatusCode();
        }
        std::string expected = c.error;
        if (auto at = expected.find("%u"); at != std::string::npos)
            expected.replace(at, 2, server.Url());
        EXPECT_EQ(error, expected) << c.reply;
        if (!c.error.empty()) {
            EXPECT_EQ(status, c.status) << c.reply;
        }
        EXPECT_EQ(Text(reply), c.body) << c.reply;
        EXPECT_EQ(t.Connected(), c.error.empty()) << c.reply;
    }
}

TEST(THTTPReqResp, MultipartBoundary) {
    LoopbackServer server({HttpReply(
        "200 OK", "Multipart/Related; type=\"text/xml\"; boundary=MIME_b1; start=\"<s>\"", "--")});
    soap::THTTPReqResp t;
    Prepare(t, server.Url());
    auto request = Body(1);
    soap::MemoryStream reply;
    t.Exchange(request, reply);
    EXPECT_EQ(t.MimeBoundary(), "MIME_b1");
}

TEST(THTTPReqResp, RefusedConnectionGoesThroughTheCheckRoutine) {
    soap::THTTPReqResp t;
    const std::string url = std::string("http://127.0.0.1:") +
                            std::to_string(testing_support::ClosedPort()) +
                            "/ocrgate/ocrgate.asmx?WSDL";
    Prepare(t, url);
    auto request = Body(10);
    soap::MemoryStream reply;
    try {
        t.Exchange(request, reply);
        FAIL();
    } catch (const soap::ESOAPHTTPException& e) {
        const std::string tail =
            " - URL:" + url + " - SOAPAction:http://quillory.org/ocrgate/quillory";
        ASSERT_GT(e.Message().size(), tail.size());
        EXPECT_EQ(e.Message().substr(e.Message().size() - tail.size()), tail);
        EXPECT_EQ(e.StatusCode(), 0);
    }
    EXPECT_FALSE(t.Connected());
}

TEST(THTTPReqResp, KeepsTheConnectionAfterSuccessOnly) {
    LoopbackServer server({kOk, kOk, HttpReply("404 Not Found", "", ""), kOk});
    soap::THTTPReqResp t;
    Prepare(t, server.Url());
    auto request = Body(10);
    soap::MemoryStream reply;
    t.Exchange(request, reply);
    t.Exchange(request, reply);
    EXPECT_TRUE(t.Connected());
    EXPECT_EQ(server.Connections(), 1);
    EXPECT_THROW(t.Exchange(request, reply), soap::ESOAPHTTPException);
    EXPECT_FALSE(t.Connected());
    t.Exchange(request, reply);
    EXPECT_EQ(server.Connections(), 2);
    EXPECT_EQ(server.Requests().size(), 4u);
    // A new address starts afresh as well.
    Prepare(t, server.Url("/other"));
    EXPECT_FALSE(t.Connected());
}

TEST(THTTPReqResp, AbortFlagStopsTheTransfer) {
    // The service holds its reply back until the test ends (bounded).
    std::atomic<bool> release{false};
    LoopbackServer server(
        [&](const std::string&) {
            for (int i = 0; i < 200 && !release.load(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(25));
            return kOk;
        },
        LoopbackServer::Options());
    for (const bool setBeforehand : {false, true}) {
        SCOPED_TRACE(setBeforehand ? "set before the call" : "set during the call");
        auto flag = std::make_shared<std::atomic<bool>>(setBeforehand);
        soap::THTTPReqResp t;
        Prepare(t, server.Url());
        t.SetAbortFlag(flag);
        auto request = Body(10);
        soap::MemoryStream reply;
        std::thread raiser([flag] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            flag->store(true);
        });
        const auto start = std::chrono::steady_clock::now();
        EXPECT_THROW(t.Exchange(request, reply), soap::EAbort);
        raiser.join();
        // Soon after the flag (200 ms), not at libcurl's once-a-second progress call.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
        EXPECT_TRUE(reply.Bytes().empty());
        EXPECT_FALSE(t.Connected());
    }
    EXPECT_EQ(server.Connections(), 1);  // no connection once the flag is set
    release.store(true);
}

}  // namespace
