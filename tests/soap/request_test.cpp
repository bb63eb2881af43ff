#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <string>
#include <vector>

#include "contract/ocrgate.h"
#include "soap/request.h"

namespace {

const std::string kHead =
    "<?xml version=\"1.0\"?>\n"
    "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><SOAP-ENV:Body>";
const std::string kTail = "</SOAP-ENV:Body></SOAP-ENV:Envelope>\n";

ocrgate::InterfaceInfo Interface() {
    return *ocrgate::InvRegistry::Instance().Lookup("ocrgateSoap");
}

std::string Text(const soap::MemoryStream& stream) {
    const auto bytes = stream.Bytes();
    return std::string(bytes.begin(), bytes.end());
}

std::string Quillory(std::u16string_view url) {
    const auto intf = Interface();
    return Text(soap::BuildRequest(intf, intf.operations[1], url));
}

std::string Img(const std::vector<std::uint8_t>& bytes) {
    const auto intf = Interface();
    return Text(soap::BuildRequest(intf, intf.operations[2], std::span<const std::uint8_t>(bytes)));
}

std::string Quads(int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += "QUFB";
    return out;
}

TEST(BuildRequest, QuilloryBytes) {
    const struct {
        std::u16string url;
        std::string content;
    } cases[] = {
        {u"http://example.org/a.png", "<url>http://example.org/a.png</url>"},
        // "&" and "<" escaped; characters outside ASCII go out as UTF-8, no byte-order mark.
        {u"http://h/p?a=1&b=<2>\u00e9\u4e2d",
         "<url>http://h/p?a=1&amp;b=&lt;2&gt;\xc3\xa9\xe4\xb8\xad</url>"},
        {u"\U0001F600", "<url>\xf0\x9f\x98\x80</url>"},
        {u"", "<url/>"},  // no content and no nil marker
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Quillory(c.url), kHead + "<quillory xmlns=\"http://quillory.org/ocrgate/\">" +
                                       c.content + "</quillory>" + kTail);
    }
}

TEST(BuildRequest, ImgBytes) {
    const struct {
        std::vector<std::uint8_t> img;
        std::string content;
    } cases[] = {
        {{}, "<img/>"},
        {{'a', 'b', 'c'}, "<img>YWJj</img>"},
        {std::vector<std::uint8_t>(57, 'A'), "<img>" + Quads(19) + "\r\n</img>"},
        {std::vector<std::uint8_t>(58, 'A'), "<img>" + Quads(19) + "\r\nQQ==</img>"},
        // Four leading zero bytes are still sent as base64, never as a nil element.
        {{0, 0, 0, 0}, "<img>AAAAAA==</img>"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Img(c.img), kHead + "<imgbase64totext xmlns=\"http://quillory.org/ocrgate/\">" +
                                  c.content + "</imgbase64totext>" + kTail);
    }
}

TEST(BuildRequest, HelloWorldHasAnEmptyWrapper) {
    const auto intf = Interface();
    EXPECT_EQ(Text(soap::BuildRequest(intf, intf.operations[0], std::monostate{})),
              kHead + "<HelloWorld xmlns=\"http://quillory.org/ocrgate/\"/>" + kTail);
}

TEST(BuildRequest, AnyTextSurvivesAParse) {
    // Whatever the serialiser escapes beyond "&" and "<", a parser must get the text back.
    const std::u16string url = u"a]]>b\r\nc\"d'e>f&amp;g\t\u00a0";
    const std::string bytes = Quillory(url);
    xmlDoc* doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr, 0);
    ASSERT_NE(doc, nullptr);
    xmlNode* node = xmlDocGetRootElement(doc)->children->children->children;  // Body/quillory/url
    xmlChar* text = xmlNodeGetContent(node);
    EXPECT_STREQ(reinterpret_cast<const char*>(text), "a]]>b\r\nc\"d'e>f&amp;g\t\xc2\xa0");
    xmlFree(text);
    xmlFreeDoc(doc);
}

TEST(BuildRequest, RefusesAnArgumentOfTheWrongKind) {
    const auto intf = Interface();
    EXPECT_THROW(soap::BuildRequest(intf, intf.operations[1], std::monostate{}),
                 std::invalid_argument);
    EXPECT_THROW(soap::BuildRequest(intf, intf.operations[2], std::u16string_view(u"x")),
                 std::invalid_argument);
}

}  // namespace
