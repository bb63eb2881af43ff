#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "contract/ocrgate.h"
#include "soap/errors.h"
#include "soap/reply.h"

namespace {

const std::string kEnvOpen =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">";
const std::string kEnvClose = "</soap:Envelope>";

std::string Env(const std::string& children) {
    return kEnvOpen + children + kEnvClose;
}
std::string Body(const std::string& content) {
    return Env("<soap:Body>" + content + "</soap:Body>");
}

std::u16string Read(const std::string& xml) {
    const auto intf = *ocrgate::InvRegistry::Instance().Lookup("ocrgateSoap");
    soap::MemoryStream reply(std::vector<std::uint8_t>(xml.begin(), xml.end()));
    reply.Seek(reply.Size());  // reading starts at the beginning whatever the position
    return soap::ReadReply(reply, intf, intf.operations[1]);
}

enum class Kind { Result, DomConvert, Remotable, DomParse, XmlDoc };

// Runs the reader and names what came out: the result, or the error class and message.
std::pair<Kind, std::string> Outcome(const std::string& xml) {
    try {
        const std::u16string r = Read(xml);
        std::string narrow;
        for (char16_t c : r)
            narrow += c < 0x80 ? static_cast<char>(c) : '?';
        return {Kind::Result, narrow};
    } catch (const soap::ESOAPDomConvertError& e) {
        return {Kind::DomConvert, e.Message()};
    } catch (const soap::ERemotableException& e) {
        return {Kind::Remotable, e.Message()};
    } catch (const soap::EDOMParseError& e) {
        return {Kind::DomParse, e.Message()};
    } catch (const soap::EXMLDocError& e) {
        return {Kind::XmlDoc, e.Message()};
    }
}

TEST(ReadReply, Table) {
    const std::string resp = "<quilloryResponse xmlns=\"http://quillory.org/ocrgate/\">";
    const std::string bad = "SOAP Response Packet: result element expected, received \"";
    const struct {
        const char* name;
        std::string xml;
        Kind kind;
        std::string text;
    } cases[] = {
        {"single child of any name",
         Body(resp + "<whatever>{\"a\":1}</whatever></quilloryResponse>"), Kind::Result,
         "{\"a\":1}"},
        {"entities decoded", Body("<r><x>a &amp; b &lt; c &#65;&#x42;</x></r>"), Kind::Result,
         "a & b < c AB"},
        {"Return among two", Body("<r><extra>1</extra><Return>2</Return></r>"), Kind::Result, "2"},
        {"result in any case", Body("<r><extra>1</extra><RESULT>3</RESULT></r>"), Kind::Result,
         "3"},
        {"first match wins", Body("<r><x/><return>4</return><Result>5</Result></r>"), Kind::Result,
         "4"},
        {"none matching", Body("<r><a>1</a><b>2</b></r>"), Kind::DomConvert,
         bad + "<r><a>1</a><b>2</b></r>\""},
        {"no element child", Body("<r>text</r>"), Kind::DomConvert, bad + "<r>text</r>\""},
        {"empty reply element", Body("<r/>"), Kind::DomConvert, bad + "<r/>\""},
        {"CDATA keeps delimiters", Body("<r><x><![CDATA[<b>&]]></x></r>"), Kind::Result,
         "<![CDATA[<b>&]]>"},
        {"mixed content as XML", Body("<r><x>a<b>c</b></x></r>"), Kind::Result, "a<b>c</b>"},
        {"empty result element", Body("<r><x/></r>"), Kind::Result, ""},
        {"empty Body", Body(""), Kind::Result, ""},
        {"Header only", Env("<soap:Header><h>1</h></soap:Header>"), Kind::Result, ""},
        {"unknown children skipped", Env("<other/><soap:Body><r><x>6</x></r></soap:Body>"),
         Kind::Result, "6"},
        {"two Bodies", Env("<soap:Body><r><x>1</x></r></soap:Body><soap:Body/>"), Kind::DomConvert,
         "Invalid SOAP response"},
        {"two Headers", Env("<soap:Header/><soap:Header/>"), Kind::DomConvert,
         "Invalid SOAP response"},
        {"Envelope without children",
         "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"/>",
         Kind::DomConvert, "Invalid SOAP response"},
        {"SOAP 1.2 envelope",
         "<e:Envelope xmlns:e=\"http://www.w3.org/2003/05/soap-envelope\"><e:Body/></e:Envelope>",
         Kind::DomConvert,
         "DocumentElement http://schemas.xmlsoap.org/soap/envelope/:Envelope expected, "
         "http://www.w3.org/2003/05/soap-envelope:Envelope found"},
        {"not an envelope", "<html><body/></html>", Kind::DomConvert,
         "DocumentElement http://schemas.xmlsoap.org/soap/envelope/:Envelope expected, :html "
         "found"},
        {"fault",
         Body("<soap:Fault><faultcode>soap:Server</faultcode><faultstring>boom</faultstring>"
              "</soap:Fault>"),
         Kind::Remotable, "boom"},
        {"fault without string", Body("<soap:Fault/>"), Kind::Remotable, ""},
        {"fault string as CDATA",
         Body("<soap:Fault><FaultString><![CDATA[a<b]]></FaultString></soap:Fault>"),
         Kind::Remotable, "a<b"},
        {"later fault part wins",
         Body("<soap:Fault><faultstring>one</faultstring><faultstring>two</faultstring></"
              "soap:Fault>"),
         Kind::Remotable, "two"},
        {"fault part with markup",
         Body("<soap:Fault><faultstring>a<b/></faultstring></soap:Fault>"), Kind::XmlDoc,
         "Element does not contain a single text node"},
        {"mustUnderstand 1",
         Env("<soap:Header><Session "
             "soap:mustUnderstand=\"1\">x</Session></soap:Header><soap:Body/>"),
         Kind::Remotable,
         "Soap header Session with attribute 'mustUnderstand' set to true was not handled"},
        {"mustUnderstand TRUE after the Body",
         Env("<soap:Body><r><x>1</x></r></soap:Body><soap:Header><T mustUnderstand=\"TRUE\"/>"
             "</soap:Header>"),
         Kind::Remotable,
         "Soap header T with attribute 'mustUnderstand' set to true was not handled"},
        {"mustUnderstand 0 ignored",
         Env("<soap:Header><T soap:mustUnderstand=\"0\"/></soap:Header><soap:Body><r><x>7</x></r>"
             "</soap:Body>"),
         Kind::Result, "7"},
        {"not well-formed", Body("<r><x>1</y></r>"), Kind::DomParse, ""},
        {"empty body", "", Kind::DomParse, ""},
        {"undeclared entity", Body("<r><x>&foo;</x></r>"), Kind::DomParse, ""},
    };
    for (const auto& c : cases) {
        const auto [kind, text] = Outcome(c.xml);
        EXPECT_EQ(kind, c.kind) << c.name << ": " << text;
        if (c.kind != Kind::DomParse) {
            EXPECT_EQ(text, c.text) << c.name;
        }
    }
}

TEST(ReadReply, FaultCarriesCodeActorAndDetail) {
    const std::string xml = Body(
        "<soap:Fault><faultcode>soap:Client</faultcode><faultstring>bad \xe4\xb8\xad</faultstring>"
        "<faultactor>http://a/</faultactor><detail><e:code xmlns:e=\"urn:e\">42</e:code></detail>"
        "</soap:Fault>");
    try {
        Read(xml);
        FAIL() << "no fault raised";
    } catch (const soap::ERemotableException& e) {
        EXPECT_EQ(e.Message(), "bad \xe4\xb8\xad");  // kept whole, never narrowed
        EXPECT_EQ(e.FaultCode(), u"soap:Client");
        EXPECT_EQ(e.FaultActor(), u"http://a/");
        EXPECT_EQ(e.FaultDetail(), u"<detail><e:code xmlns:e=\"urn:e\">42</e:code></detail>");
    }
}

TEST(ReadReply, MustUnderstandFaultCode) {
    try {
        Read(Env("<soap:Header><S soap:mustUnderstand=\"true\"/></soap:Header>"));
        FAIL() << "no error raised";
    } catch (const soap::ERemotableException& e) {
        EXPECT_EQ(e.FaultCode(), u"MustUnderstand");
    }
}

TEST(ReadReply, ParseErrorNamesReasonLineAndSource) {
    const std::string xml = kEnvOpen + "\n<soap:Body>\n  <r><x>1</y></r></soap:Body>" + kEnvClose;
    try {
        Read(xml);
        FAIL() << "no error raised";
    } catch (const soap::EDOMParseError& e) {
        EXPECT_EQ(e.ParseError().line, 3);
        EXPECT_EQ(e.ParseError().srcText, "  <r><x>1</y></r></soap:Body></soap:Enve");
        EXPECT_EQ(e.Message(), e.ParseError().reason + "\r\nLine: 3\r\n" + e.ParseError().srcText);
        EXPECT_FALSE(e.ParseError().reason.empty());
    }
}

TEST(ReadReply, EntityDeclarationsAreRefusedNeverExpanded) {
    std::string laughs = "<!DOCTYPE soap:Envelope [<!ENTITY a \"aaaaaaaaaa\">";
    for (char c = 'b'; c <= 'k'; ++c) {
        std::string tenRefs;
        for (int i = 0; i < 10; ++i)
            tenRefs += std::string("&") + static_cast<char>(c - 1) + ";";
        laughs += std::string("<!ENTITY ") + c + " \"" + tenRefs + "\">";
    }
    laughs += "]>";
    const struct {
        const char* name;
        std::string doctype;
        std::string ref;
    } attacks[] = {
        {"billion laughs", laughs, "&k;"},
        {"external file", "<!DOCTYPE e [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>", "&x;"},
        {"parameter entity", "<!DOCTYPE e [<!ENTITY % p SYSTEM \"http://127.0.0.1:9/x\"> %p;]>",
         ""},
        {"unused declaration", "<!DOCTYPE e [<!ENTITY x \"y\">]>", ""},
    };
    for (const auto& a : attacks) {
        const std::string xml =
            "<?xml version=\"1.0\"?>" + a.doctype +
            "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">"
            "<soap:Body><r><x>" +
            a.ref + "</x></r></soap:Body></soap:Envelope>";
        EXPECT_EQ(Outcome(xml).first, Kind::DomParse) << a.name;
    }
}

TEST(ReadReply, EncodingComesFromTheBytes) {
    // UTF-16 with a byte-order mark, and a declared Latin-1.
    const std::string utf8 = Body("<r><x>\xc3\xa9</x></r>");
    std::string utf16 = "\xff\xfe";
    for (unsigned char c : utf8) {
        utf16 += static_cast<char>(c);
        utf16 += '\0';
    }
    // Only ASCII in the template apart from "é", written in UTF-16 as E9 00.
    utf16.replace(utf16.find(std::string("\xc3\0\xa9\0", 4)), 4, std::string("\xe9\0", 2));
    utf16.replace(utf16.find(std::string("u\0t\0f\0-\0\x38\0", 10)), 10,
                  std::string("u\0t\0f\0-\0\x31\0\x36\0", 12));
    EXPECT_EQ(Read(utf16), u"\u00e9");
    const std::string latin1 =
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"
        "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">"
        "<soap:Body><r><x>\xe9</x></r></soap:Body></soap:Envelope>";
    EXPECT_EQ(Read(latin1), u"\u00e9");
}

}  // namespace

namespace {

TEST(ReadReply, UndecodableBytesAreAQuietParseError) {
    const std::string cases[] = {
        std::string("<?xml version=\"1.0\" encoding=\"UTF-16\"?><a>\0\0\0\0</a>", 48),
        "<?xml version=\"1.0\" encoding=\"no-such-charset\"?><a/>",
        "<?xml version=\"1.0\"?><a>\xff\xfe\xc3</a>",
        std::string("\xff\xfe<\0a\0>\0\0\xd8\0\0", 12),  // UTF-16 with a lone surrogate
    };
    for (const auto& xml : cases) {
        testing::internal::CaptureStderr();
        const auto kind = Outcome(xml).first;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(kind, Kind::DomParse) << xml;
    }
}

}  // namespace
