// The SOAP request reader: what standard toolkits send is read, and every
// malformed or hostile request becomes a client fault.

#include <gtest/gtest.h>

#include <string>

#include "service/soap/soap_fault.h"
#include "service/soap/soap_request.h"

namespace ocrgated {
namespace {

const std::string kEnv = "http://schemas.xmlsoap.org/soap/envelope/";

std::string Envelope(const std::string& body, const std::string& prefix = "SOAP-ENV") {
    return "<?xml version=\"1.0\"?>\r\n<" + prefix + ":Envelope xmlns:" + prefix + "=\"" + kEnv +
           "\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><" +
           prefix + ":Body>" + body + "</" + prefix + ":Body></" + prefix + ":Envelope>";
}

struct Accepted {
    const char* name;
    std::string xml;
    std::string operation;
    std::optional<std::string> argument;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const Accepted& c, std::ostream* out) {
    *out << c.name;
}

class ReadsRequest : public testing::TestWithParam<Accepted> {};

TEST_P(ReadsRequest, FindsOperationAndArgument) {
    const SoapRequest request = ReadSoapRequest(GetParam().xml);
    ASSERT_NE(request.operation, nullptr);
    EXPECT_EQ(request.operation->name, GetParam().operation);
    EXPECT_EQ(request.argument, GetParam().argument);
}

INSTANTIATE_TEST_SUITE_P(
    Toolkits, ReadsRequest,
    testing::Values(
        Accepted{"ClientQuillory",
                 Envelope("<quillory "
                          "xmlns=\"http://quillory.org/ocrgate/\"><url>http://a.example/"
                          "x?a=1&amp;b=&lt;2&gt;</url></quillory>"),
                 "quillory", "http://a.example/x?a=1&b=<2>"},
        Accepted{
            "ClientBase64WithLineBreaks",
            Envelope(
                "<imgbase64totext "
                "xmlns=\"http://quillory.org/ocrgate/\"><img>YWJj\r\nZGVm</img></imgbase64totext>"),
            "imgbase64totext", "YWJj\nZGVm"},
        Accepted{"SoapPrefixAndHelloWorld",
                 Envelope("<HelloWorld xmlns=\"http://quillory.org/ocrgate/\" />", "soap"),
                 "HelloWorld", std::nullopt},
        Accepted{"PrefixedWrapperAndParameter",
                 Envelope("<q:quillory "
                          "xmlns:q=\"http://quillory.org/ocrgate/\"><q:url>u</q:url></q:quillory>",
                          "s"),
                 "quillory", "u"},
        Accepted{"UnqualifiedParameterAndWhitespace",
                 Envelope("\n  <q:quillory xmlns:q=\"http://quillory.org/ocrgate/\">\n    "
                          "<url>u</url>\n  </q:quillory>\n"),
                 "quillory", "u"},
        Accepted{
            "EmptyParameter",
            Envelope(
                "<imgbase64totext xmlns=\"http://quillory.org/ocrgate/\"><img/></imgbase64totext>"),
            "imgbase64totext", ""},
        Accepted{"CdataAndUtf8",
                 Envelope("<quillory "
                          "xmlns=\"http://quillory.org/ocrgate/\"><url><![CDATA[http://例子.cn/"
                          "图.png]]></url></quillory>"),
                 "quillory", "http://例子.cn/图.png"},
        Accepted{"HeaderWithoutMustUnderstand",
                 "<e:Envelope xmlns:e=\"" + kEnv +
                     "\"><e:Header><t xmlns=\"urn:x\">1</t></e:Header><e:Body>"
                     "<HelloWorld xmlns=\"http://quillory.org/ocrgate/\"/></e:Body></e:Envelope>",
                 "HelloWorld", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct Refused {
    const char* name;
    std::string xml;
    SoapFault::Code code;
    std::string says;  // part of the fault string
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const Refused& c, std::ostream* out) {
    *out << c.name;
}

class RefusesRequest : public testing::TestWithParam<Refused> {};

TEST_P(RefusesRequest, WithFault) {
    try {
        ReadSoapRequest(GetParam().xml);
        FAIL() << "no fault";
    } catch (const SoapFault& fault) {
        EXPECT_EQ(fault.code(), GetParam().code);
        EXPECT_NE(std::string(fault.what()).find(GetParam().says), std::string::npos)
            << fault.what();
    }
}

std::string Nested(int depth) {
    std::string xml;
    for (int i = 0; i < depth; ++i)
        xml += "<a>";
    for (int i = 0; i < depth; ++i)
        xml += "</a>";
    return Envelope("<quillory xmlns=\"http://quillory.org/ocrgate/\"><url>" + xml +
                    "</url></quillory>");
}

const std::string kLaughs =
    "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">"
    "<!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">"
    "<!ENTITY lol2 \"&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;\">"
    "<!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;\">]>"
    "<lolz>&lol3;</lolz>";

INSTANTIATE_TEST_SUITE_P(
    Faults, RefusesRequest,
    testing::Values(
        Refused{"Empty", "", SoapFault::Code::Client, "not well-formed"},
        Refused{"NotXml", "GET / HTTP/1.0", SoapFault::Code::Client, "not well-formed"},
        Refused{"Truncated",
                Envelope("<HelloWorld xmlns=\"http://quillory.org/ocrgate/\"/>").substr(0, 80),
                SoapFault::Code::Client, "not well-formed"},
        Refused{"EntityExpansion", kLaughs, SoapFault::Code::Client, "document type declaration"},
        Refused{
            "ExternalEntity",
            "<!DOCTYPE e [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>" +
                Envelope(
                    "<quillory xmlns=\"http://quillory.org/ocrgate/\"><url>&x;</url></quillory>"),
            SoapFault::Code::Client, "document type declaration"},
        Refused{"DeepNesting", Nested(100000), SoapFault::Code::Client, "far more markup"},
        Refused{"ManyAttributes",
                Envelope("<HelloWorld xmlns=\"http://quillory.org/ocrgate/\"" +
                         [] {
                             std::string attributes;
                             for (int i = 0; i < 5000; ++i)
                                 attributes += " a" + std::to_string(i) + "=\"\"";
                             return attributes;
                         }() +
                         "/>"),
                SoapFault::Code::Client, "far more markup"},
        Refused{"Soap12Envelope",
                "<e:Envelope "
                "xmlns:e=\"http://www.w3.org/2003/05/soap-envelope\"><e:Body/></e:Envelope>",
                SoapFault::Code::Client, "not a SOAP 1.1 Envelope"},
        Refused{"NoBody", "<e:Envelope xmlns:e=\"" + kEnv + "\"><e:Header/></e:Envelope>",
                SoapFault::Code::Client, "no Body"},
        Refused{"TwoBodies", "<e:Envelope xmlns:e=\"" + kEnv + "\"><e:Body/><e:Body/></e:Envelope>",
                SoapFault::Code::Client, "more than one Body"},
        Refused{"EmptyBody", Envelope(""), SoapFault::Code::Client, "names no operation"},
        Refused{"UnknownOperation",
                Envelope("<GoodbyeWorld xmlns=\"http://quillory.org/ocrgate/\"/>"),
                SoapFault::Code::Client,
                "Unknown operation {http://quillory.org/ocrgate/}GoodbyeWorld"},
        Refused{"OperationInOtherNamespace",
                Envelope("<HelloWorld xmlns=\"http://tempuri.org/\"/>"), SoapFault::Code::Client,
                "Unknown operation {http://tempuri.org/}HelloWorld"},
        Refused{"MissingParameter", Envelope("<quillory xmlns=\"http://quillory.org/ocrgate/\"/>"),
                SoapFault::Code::Client, "Missing parameter url"},
        Refused{"ParameterInOtherNamespace",
                Envelope("<quillory xmlns=\"http://quillory.org/ocrgate/\"><url "
                         "xmlns=\"urn:x\">u</url></quillory>"),
                SoapFault::Code::Client, "Missing parameter url"},
        Refused{
            "ParameterWithMarkup",
            Envelope(
                "<quillory xmlns=\"http://quillory.org/ocrgate/\"><url><b>u</b></url></quillory>"),
            SoapFault::Code::Client, "text only"},
        Refused{"MustUnderstandHeader",
                "<e:Envelope xmlns:e=\"" + kEnv +
                    "\"><e:Header><t xmlns=\"urn:x\" e:mustUnderstand=\"1\"/></e:Header>"
                    "<e:Body><HelloWorld "
                    "xmlns=\"http://quillory.org/ocrgate/\"/></e:Body></e:Envelope>",
                SoapFault::Code::MustUnderstand, "{urn:x}t must be understood"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ocrgated
