#include "soap/reply.h"

#include <strings.h>

#include <string_view>
#include <vector>

#include "base/utf.h"
#include "soap/envelope_reader.h"
#include "soap/errors.h"
#include "soap/namespaces.h"
#include "soap/xml_parse.h"

namespace soap {
namespace {

// Return names used when the interface declares none.
constexpr std::string_view kDefaultReturnNames = "Result;Return";

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string Content(const xmlNode* node) {
    return node->content ? reinterpret_cast<const char*>(node->content) : std::string();
}

bool IsTextLike(const xmlNode* node) {
    return node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE;
}

// A list such as "Result;Return" holds names separated by ";", ",", "/" or ":".
bool InNameList(std::string_view name, std::string_view list) {
    while (!list.empty()) {
        const std::size_t end = list.find_first_of(";,/:");
        if (SameText(name, list.substr(0, end)))
            return true;
        if (end == std::string_view::npos)
            break;
        list.remove_prefix(end + 1);
    }
    return false;
}

xmlNode* ChooseResult(xmlNode* reply, std::string_view returnNames) {
    const std::vector<xmlNode*> elements = ElementChildren(reply);
    if (elements.size() == 1)
        return elements.front();
    if (elements.size() >= 2) {
        for (xmlNode* e : elements) {
            if (InNameList(LocalName(e), returnNames))
                return e;
        }
    }
    throw ESOAPDomConvertError("SOAP Response Packet: result element expected, received \"" +
                               NodeXml(reply) + "\"");
}

std::u16string ResultText(xmlNode* result) {
    xmlNode* first = result->children;
    if (first == nullptr)
        return {};
    if (first->next == nullptr && first->type == XML_TEXT_NODE)
        return quillory::Utf8ToUtf16(Content(first));
    std::string xml;
    for (xmlNode* c = first; c; c = c->next)
        xml += NodeXml(c);
    return quillory::Utf8ToUtf16(xml);
}

// The text of a fault part: its single text or CDATA child, or empty when it has none.
std::string PartText(xmlNode* part) {
    xmlNode* first = part->children;
    if (first == nullptr)
        return {};
    if (first->next == nullptr && IsTextLike(first))
        return Content(first);
    throw EXMLDocError("Element does not contain a single text node");
}

[[noreturn]] void RaiseFault(xmlNode* fault) {
    std::string code, message, actor, detail;
    for (xmlNode* c = fault->children; c; c = c->next) {
        if (c->type != XML_ELEMENT_NODE)
            continue;
        const std::string_view name = LocalName(c);
        if (SameText(name, "faultcode")) {
            code = PartText(c);
        } else if (SameText(name, "faultstring")) {
            message = PartText(c);
        } else if (SameText(name, "faultactor")) {
            actor = PartText(c);
        } else if (SameText(name, "detail")) {
            detail = NodeXml(c);
        }
    }
    throw ERemotableException(std::move(message), quillory::Utf8ToUtf16(code), quillory::Utf8ToUtf16(actor),
                              quillory::Utf8ToUtf16(detail));
}

}  // namespace

std::u16string ReadReply(std::span<const std::uint8_t> reply, const ocrgate::InterfaceInfo& intf,
                         const ocrgate::Operation&) {
    XmlDocPtr doc = ParseXml(reply);
    EnvelopeParts parts;
    try {
        parts = ReadEnvelope(doc.get());
    } catch (const EEnvelopeError& error) {
        if (error.What() == EEnvelopeError::Problem::NoDocumentElement)
            throw ESOAPDomConvertError("Invalid SOAP Response");
        if (error.What() != EEnvelopeError::Problem::NotAnEnvelope)
            throw ESOAPDomConvertError("Invalid SOAP response");
        throw ESOAPDomConvertError("DocumentElement " + std::string(kSoapEnvelopeNs) +
                                   ":Envelope expected, " + std::string(error.FoundNamespace()) +
                                   ":" + std::string(error.FoundName()) + " found");
    }
    if (parts.envelope->children == nullptr)
        throw ESOAPDomConvertError("Invalid SOAP response");
    // No header types or handlers are declared, so only mustUnderstand matters.
    for (const xmlNode* entry : parts.header_entries) {
        if (MustUnderstand(entry)) {
            throw ERemotableException("Soap header " + std::string(LocalName(entry)) +
                                          " with attribute 'mustUnderstand' set to true was not "
                                          "handled",
                                      u"MustUnderstand", {}, {});
        }
    }
    std::u16string result;
    xmlNode* replyElement = parts.body ? FirstElementChild(parts.body) : nullptr;
    if (replyElement == nullptr)
        return result;
    if (LocalName(replyElement) == "Fault")
        RaiseFault(replyElement);
    const std::string_view returnNames =
        intf.returnNames.empty() ? kDefaultReturnNames : std::string_view(intf.returnNames);
    result = ResultText(ChooseResult(replyElement, returnNames));
    return result;
}

std::u16string ReadReply(Stream& reply, const ocrgate::InterfaceInfo& intf,
                         const ocrgate::Operation& operation) {
    if (auto* memory = dynamic_cast<MemoryStream*>(&reply)) {
        return ReadReply(memory->Bytes(), intf, operation);
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(reply.Size()));
    reply.Seek(0);
    std::size_t got = 0;
    while (got < bytes.size()) {
        const std::size_t n = reply.Read(bytes.data() + got, bytes.size() - got);
        if (n == 0)
            break;
        got += n;
    }
    bytes.resize(got);
    return ReadReply(std::span<const std::uint8_t>(bytes), intf, operation);
}

}  // namespace soap
