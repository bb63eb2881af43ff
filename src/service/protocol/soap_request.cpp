#include "service/protocol/soap_request.h"

#include <libxml/tree.h>

#include <algorithm>
#include <memory>

#include "service/protocol/soap_fault.h"
#include "soap/errors.h"
#include "soap/namespaces.h"
#include "soap/xml_parse.h"

namespace ocrgated {
namespace {

struct XmlFree {
    void operator()(xmlChar* text) const { xmlFree(text); }
};

std::string_view View(const xmlChar* text) {
    return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

bool InNamespace(const xmlNode* node, std::string_view ns) {
    return node->ns != nullptr && View(node->ns->href) == ns;
}

bool IsElement(const xmlNode* node, std::string_view ns, std::string_view name) {
    return node->type == XML_ELEMENT_NODE && View(node->name) == name && InNamespace(node, ns);
}

std::string Qualified(const xmlNode* node) {
    std::string name = node->ns ? "{" + std::string(View(node->ns->href)) + "}" : "";
    return name + std::string(View(node->name));
}

const xmlNode* FirstElement(const xmlNode* parent) {
    for (const xmlNode* child = parent->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE)
            return child;
    }
    return nullptr;
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

void CheckHeader(const xmlNode* header) {
    for (const xmlNode* entry = header->children; entry; entry = entry->next) {
        if (entry->type != XML_ELEMENT_NODE)
            continue;
        std::unique_ptr<xmlChar, XmlFree> must(
            xmlGetNsProp(entry, BAD_CAST "mustUnderstand", BAD_CAST soap::kSoapEnvelopeNs.data()));
        if (must && (View(must.get()) == "1" || View(must.get()) == "true")) {
            throw SoapFault(SoapFault::Code::MustUnderstand,
                            "The header entry " + Qualified(entry) +
                                " must be understood, and this service does not know it");
        }
    }
}

std::string ArgumentText(const xmlNode* parameter) {
    for (const xmlNode* child = parameter->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            throw ClientFault("The parameter " + std::string(View(parameter->name)) +
                              " must hold text only");
        }
    }
    std::unique_ptr<xmlChar, XmlFree> content(xmlNodeGetContent(parameter));
    return std::string(View(content.get()));
}

}  // namespace

SoapRequest ReadSoapRequest(std::string_view body) {
    auto doc = Parse(body);
    const xmlNode* envelope = xmlDocGetRootElement(doc.get());
    if (!envelope)
        throw ClientFault("The request has no document element");
    if (!IsElement(envelope, soap::kSoapEnvelopeNs, "Envelope")) {
        throw ClientFault("The request is not a SOAP 1.1 Envelope: its document element is " +
                          Qualified(envelope));
    }

    const xmlNode* body_element = nullptr;
    for (const xmlNode* child = envelope->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        if (IsElement(child, soap::kSoapEnvelopeNs, "Header")) {
            CheckHeader(child);
        } else if (IsElement(child, soap::kSoapEnvelopeNs, "Body")) {
            if (body_element)
                throw ClientFault("The SOAP Envelope holds more than one Body");
            body_element = child;
        }
    }
    if (!body_element)
        throw ClientFault("The SOAP Envelope has no Body");

    const xmlNode* wrapper = FirstElement(body_element);
    if (!wrapper)
        throw ClientFault("The SOAP Body names no operation");
    const ocrgate::Operation* operation = InNamespace(wrapper, ocrgate::kNamespace)
                                              ? ocrgate::FindOperation(View(wrapper->name))
                                              : nullptr;
    if (!operation)
        throw ClientFault("Unknown operation " + Qualified(wrapper));

    SoapRequest request{operation, std::nullopt};
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
