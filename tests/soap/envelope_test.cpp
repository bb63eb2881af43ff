// The envelopes the service writes, read back by the client's reader.

#include <gtest/gtest.h>

#include "contract/contract.h"
#include "contract/ocrgate.h"
#include "soap/envelope.h"
#include "soap/errors.h"
#include "soap/reply.h"
#include "base/utf.h"

namespace {

std::u16string Read(const std::string& xml) {
    const auto intf = *ocrgate::InvRegistry::Instance().Lookup("ocrgateSoap");
    return soap::ReadReply(std::span(reinterpret_cast<const std::uint8_t*>(xml.data()), xml.size()),
                           intf, intf.operations[0]);
}

TEST(Envelope, ResponsesCarryAnyTextTheReaderGetsBack) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"Hello World", "Hello World"},
        {"a&b<c>]]>\"'", "a&b<c>]]>\"'"},
        {"line\r\nnext\ttab", "line\r\nnext\ttab"},  // CR survives end-of-line handling
        {"{\"words\":\"中文\"}", "{\"words\":\"中文\"}"},
        {std::string("nul\0bad\xC3(", 9),
         "nul\xEF\xBF\xBD"
         "bad\xEF\xBF\xBD("},
    };
    for (const auto& [text, expected] : cases) {
        const std::string xml = soap::WriteResponse(ocrgate::kNamespace, "HelloWorld", text);
        EXPECT_EQ(Read(xml), quillory::Utf8ToUtf16(expected)) << xml;
    }
}

TEST(Envelope, FaultsReachTheReaderAsRemotableErrors) {
    try {
        Read(soap::WriteFault("soap:Client", "The url <parameter> & more"));
        FAIL() << "no fault raised";
    } catch (const soap::ERemotableException& fault) {
        EXPECT_STREQ(fault.what(), "The url <parameter> & more");
        EXPECT_EQ(fault.FaultCode(), u"soap:Client");
    }
}

}  // namespace
