#include "service/soap/soap_request.h"

#include <libxml/tree.h>

#include <algorithm>
#include <memory>

#include "service/soap/soap_fault.h"
#include "soap/envelope_reader.h"
#include "soap/errors.h"
#include "soap/namespaces.h"
#include "soap/xml_parse.h"

namespace ocrgated {
namespace {

std::string_view View(const xmlChar* text) {
    return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

bool InNamespace(const xmlNode* node, std::string_view ns) {
    return soap::NamespaceOf(node) == ns;
}

// Every request of this service has a handful of elements. Bounding the markup
// before parsing bounds the tree's memory (deep nesting, floods of elements) and
// the parser's quadratic check of attribute names.
void CheckMarkupVolume(std::string_view body) {
    constexpr std::ptrdiff_t kMaxMarks = 4096;
    if (std::count(body.begin(), body.end(), '<') > kMaxMarks ||
        std::count(body.begin(), body.end(), '=') > kMaxMarks) {
        throw ClientFault(
            "The request holds far more markup than any operation of this service takes");
    }
}

soap::XmlDocPtr Parse(std::string_view body) {
    CheckMarkupVolume(body);
    try {
        return soap::ParseXml({reinterpret_cast<const std::uint8_t*>(body.data()), body.size()},
                              {.largeText = true, .refuseDoctype = true});
    } catch (const soap::EDOMParseError& error) {
        const soap::ParseErrorRecord& record = error.ParseError();
        if (record.errorCode == soap::kDeclarationRefused) {
            throw ClientFault(
                "The request carries a document type declaration, which SOAP does not allow");
        }
        throw ClientFault("The request is not well-formed XML: " + record.reason + " (line " +
                          std::to_string(record.line) + ")");
    }
}

std::string ArgumentText(const xmlNode* parameter) {
    for (const xmlNode* child = parameter->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            throw ClientFault("The parameter " + std::string(View(parameter->name)) +
                              " must hold text only");
        }
    }
    const soap::XmlText content(xmlNodeGetContent(parameter));
    return std::string(View(content.get()));
}

soap::EnvelopeParts Envelope(const xmlDoc* doc) {
    try {
        return soap::ReadEnvelope(doc);
    } catch (const soap::EEnvelopeError& error) {
        using Problem = soap::EEnvelopeError::Problem;
        switch (error.What()) {
        case Problem::NoDocumentElement:
            throw ClientFault("The request has no document element");
        case Problem::NotAnEnvelope:
            throw ClientFault("The request is not a SOAP 1.1 Envelope: its document element is " +
                              soap::QualifiedName(xmlDocGetRootElement(doc)));
        case Problem::TwoHeaders:
        case Problem::TwoBodies:
            break;
        }
        throw ClientFault(error.what());
    }
}

}  // namespace

SoapRequest ReadSoapRequest(std::string_view body) {
    auto doc = Parse(body);
    const soap::EnvelopeParts parts = Envelope(doc.get());
    for (const xmlNode* entry : parts.header_entries) {
        if (soap::MustUnderstand(entry)) {
            throw SoapFault(SoapFault::Code::MustUnderstand,
                            "The header entry " + soap::QualifiedName(entry) +
                                " must be understood, and this service does not know it");
        }
    }
    if (!parts.body)
        throw ClientFault("The SOAP Envelope has no Body");

    const xmlNode* wrapper = soap::FirstElementChild(parts.body);
    if (!wrapper)
        throw ClientFault("The SOAP Body names no operation");
    const std::optional<ocrgate::OperationId> id =
        InNamespace(wrapper, ocrgate::kNamespace) ? ocrgate::FindOperation(View(wrapper->name))
                                                  : std::nullopt;
    if (!id)
        throw ClientFault("Unknown operation " + soap::QualifiedName(wrapper));
    const ocrgate::Operation* operation = &ocrgate::OperationOf(*id);

    SoapRequest request{operation, *id, std::nullopt};
    if (!operation->parameter)
        return request;

    const std::string_view name = operation->parameter->name;
    for (const xmlNode* child = wrapper->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE || View(child->name) != name)
            continue;
        // Toolkits that read the schema as unqualified leave the parameter without namespace.
        if (child->ns && !InNamespace(child, ocrgate::kNamespace))
            continue;
        request.argument = ArgumentText(child);
        return request;
    }
    throw ClientFault("Missing parameter " + std::string(name) + " of operation " +
                      std::string(operation->name));
}

}  // namespace ocrgated
