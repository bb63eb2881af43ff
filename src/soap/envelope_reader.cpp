#include "soap/envelope_reader.h"

#include <strings.h>

#include "soap/namespaces.h"

namespace soap {
namespace {

std::string_view View(const xmlChar* text) {
    return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

bool IsEnvelopeElement(const xmlNode* node, std::string_view name) {
    return node->type == XML_ELEMENT_NODE && LocalName(node) == name &&
           NamespaceOf(node) == kSoapEnvelopeNs;
}

const char* Describe(EEnvelopeError::Problem problem) {
    switch (problem) {
    case EEnvelopeError::Problem::NoDocumentElement:
        return "The document has no document element";
    case EEnvelopeError::Problem::NotAnEnvelope:
        return "The document element is not a SOAP 1.1 Envelope";
    case EEnvelopeError::Problem::TwoHeaders:
        return "The SOAP Envelope holds more than one Header";
    case EEnvelopeError::Problem::TwoBodies:
        return "The SOAP Envelope holds more than one Body";
    }
    return "Invalid SOAP envelope";
}

}  // namespace

std::string_view LocalName(const xmlNode* node) {
    return View(node->name);
}

std::string_view NamespaceOf(const xmlNode* node) {
    return node->ns ? View(node->ns->href) : std::string_view();
}

std::string QualifiedName(const xmlNode* node) {
    std::string name = node->ns ? "{" + std::string(NamespaceOf(node)) + "}" : "";
    return name + std::string(LocalName(node));
}

std::vector<xmlNode*> ElementChildren(const xmlNode* node) {
    std::vector<xmlNode*> out;
    for (xmlNode* c = node->children; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE)
            out.push_back(c);
    }
    return out;
}

xmlNode* FirstElementChild(const xmlNode* node) {
    for (xmlNode* c = node->children; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE)
            return c;
    }
    return nullptr;
}

EEnvelopeError::EEnvelopeError(Problem problem, const xmlNode* found)
    : Exception(Describe(problem)), problem_(problem) {
    if (found) {
        found_namespace_ = NamespaceOf(found);
        found_name_ = LocalName(found);
    }
}

EnvelopeParts ReadEnvelope(const xmlDoc* doc) {
    EnvelopeParts parts;
    parts.envelope = xmlDocGetRootElement(doc);
    if (parts.envelope == nullptr)
        throw EEnvelopeError(EEnvelopeError::Problem::NoDocumentElement, nullptr);
    if (!IsEnvelopeElement(parts.envelope, "Envelope"))
        throw EEnvelopeError(EEnvelopeError::Problem::NotAnEnvelope, parts.envelope);
    bool seen_header = false;
    for (xmlNode* child = parts.envelope->children; child; child = child->next) {
        if (IsEnvelopeElement(child, "Header")) {
            if (seen_header)
                throw EEnvelopeError(EEnvelopeError::Problem::TwoHeaders, child);
            seen_header = true;
            parts.header_entries = ElementChildren(child);
        } else if (IsEnvelopeElement(child, "Body")) {
            if (parts.body)
                throw EEnvelopeError(EEnvelopeError::Problem::TwoBodies, child);
            parts.body = child;
        }
    }
    return parts;
}

bool MustUnderstand(const xmlNode* entry) {
    for (const xmlAttr* a = entry->properties; a; a = a->next) {
        if (View(a->name) != "mustUnderstand")
            continue;
        const XmlText value(xmlNodeListGetString(entry->doc, a->children, 1));
        const std::string_view text = View(value.get());
        return text == "1" || (text.size() == 4 && strncasecmp(text.data(), "true", 4) == 0);
    }
    return false;
}

}  // namespace soap
