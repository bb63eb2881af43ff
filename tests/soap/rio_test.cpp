#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "loopback_server.h"
#include "soap/errors.h"
#include "soap/rio.h"

namespace {

using testing_support::HttpReply;
using testing_support::LoopbackServer;

std::string Envelope(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
           "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>" +
           body + "</soap:Body></soap:Envelope>";
}

std::string Result(const std::string& op, const std::string& text) {
    return HttpReply("200 OK", "text/xml; charset=utf-8",
                     Envelope("<" + op + "Response xmlns=\"http://quillory.org/ocrgate/\"><" + op +
                              "Result>" + text + "</" + op + "Result></" + op + "Response>"));
}

TEST(THTTPRIO, QuilloryOnTheWire) {
    LoopbackServer server(
        {Result("quillory", "{\"words_result\":[{\"words\":\"\xe4\xb8\xad &amp; A\"}]}")});
    soap::THTTPRIO rio;
    rio.SetUseUTF8InHeader(true);
    rio.SetURL(server.Url());
    EXPECT_EQ(rio.HTTPWebNode().URL(), server.Url());
    EXPECT_EQ(rio.quillory(u"http://h/a.png?x=1&y=<2>\u00e9"),
              u"{\"words_result\":[{\"words\":\"\u4e2d & A\"}]}");
    const std::string body =
        "<?xml version=\"1.0\"?>\n"
        "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><SOAP-ENV:Body>"
        "<quillory xmlns=\"http://quillory.org/ocrgate/\"><url>http://h/a.png?x=1&amp;y=&lt;2&gt;"
        "\xc3\xa9</url></quillory></SOAP-ENV:Body></SOAP-ENV:Envelope>\n";
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0],
              "POST /ocrgate/ocrgate.asmx?WSDL HTTP/1.1\r\n"
              "Host: 127.0.0.1:" +
                  std::to_string(server.Port()) +
                  "\r\n"
                  "User-Agent: Keltrin SOAP 1.2\r\n"
                  "SOAPAction: \"http://quillory.org/ocrgate/quillory\"\r\n"
                  "Content-Type: text/xml; charset=\"utf-8\"\r\n"
                  "Content-Length: " +
                  std::to_string(body.size()) + "\r\n\r\n" + body);
}

TEST(THTTPRIO, ImgBase64ToTextStreamsALargePicture) {
    LoopbackServer server({Result("imgbase64totext", "ok")});
    soap::THTTPRIO rio;
    rio.SetUseUTF8InHeader(true);
    rio.SetURL(server.Url());
    std::vector<std::uint8_t> picture(100000);
    for (std::size_t i = 0; i < picture.size(); ++i)
        picture[i] = static_cast<std::uint8_t>(i * 7);
    EXPECT_EQ(rio.imgbase64totext(picture), u"ok");
    const std::string request = server.Requests().at(0);
    EXPECT_NE(request.find("SOAPAction: \"http://quillory.org/ocrgate/imgbase64totext\"\r\n"),
              std::string::npos);
    EXPECT_NE(request.find("<imgbase64totext xmlns=\"http://quillory.org/ocrgate/\"><img>"),
              std::string::npos);
    // 100000 bytes = 33333 groups and one byte: 133336 characters, 1754 full lines.
    const std::size_t open = request.find("<img>") + 5, close = request.find("</img>");
    const std::string text = request.substr(open, close - open);
    EXPECT_EQ(text.size(), 133336u + 2 * 1754u);
    const std::string lastLine = text.substr(text.rfind("\r\n") + 2);
    EXPECT_EQ(lastLine.size(), 133336u - 76u * 1754u);
    EXPECT_EQ(lastLine.substr(lastLine.size() - 2), "==");
    EXPECT_EQ(text.substr(76, 2), "\r\n");
}

TEST(THTTPRIO, FaultWithStatus500IsDecoded) {
    LoopbackServer server(
        {HttpReply("500 Internal Server Error", "text/xml; charset=utf-8",
                   Envelope("<soap:Fault><faultcode>soap:Server</faultcode><faultstring>no picture"
                            "</faultstring><detail/></soap:Fault>"))});
    soap::THTTPRIO rio;
    rio.SetURL(server.Url());
    try {
        rio.imgbase64totext({});
        FAIL();
    } catch (const soap::ERemotableException& e) {
        EXPECT_EQ(e.Message(), "no picture");
        EXPECT_EQ(e.FaultCode(), u"soap:Server");
        EXPECT_EQ(e.FaultDetail(), u"<detail/>");
    }
}

TEST(THTTPRIO, ErrorsReachTheCaller) {
    const struct {
        std::string reply;
        std::string what;
    } cases[] = {
        {HttpReply("404 Not Found", "", ""), "Not Found (404) - '%u'"},
        {HttpReply("200 OK", "text/xml", "<not xml"), ""},
        {HttpReply("200 OK", "text/xml", Envelope("<r/>")),
         "SOAP Response Packet: result element expected, received \"<r/>\""},
    };
    for (const auto& c : cases) {
        LoopbackServer server({c.reply});
        soap::THTTPRIO rio;
        rio.SetURL(server.Url());
        try {
            rio.HelloWorld();
            FAIL() << c.reply;
        } catch (const soap::Exception& e) {
            std::string expected = c.what;
            if (auto at = expected.find("%u"); at != std::string::npos)
                expected.replace(at, 2, server.Url());
            if (expected.empty()) {
                EXPECT_NE(dynamic_cast<const soap::EDOMParseError*>(&e), nullptr);
            } else {
                EXPECT_EQ(e.Message(), expected);
            }
        }
    }
}

}  // namespace
