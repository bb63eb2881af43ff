#include "service/protocol/soap_request.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <memory>
#include <mutex>

#include "service/protocol/soap_fault.h"

namespace ocrgated {
namespace {

struct DocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
struct CtxtFree {
    void operator()(xmlParserCtxt* ctxt) const { xmlFreeParserCtxt(ctxt); }
};
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

// SOAP forbids a document type declaration; refusing it while parsing also keeps
// entity expansion (and its amplification attacks) out of the parser entirely.
void RefuseDoctype(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
    auto* ctxt = static_cast<xmlParserCtxt*>(ctx);
    *static_cast<bool*>(ctxt->_private) = true;
    xmlStopParser(ctxt);
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

void Silent(void*, const char*, ...) {}

std::unique_ptr<xmlDoc, DocFree> Parse(std::string_view body) {
    CheckMarkupVolume(body);
    static std::once_flag init;
    std::call_once(init, [] { xmlInitParser(); });
    // The reason reaches the client in the fault; keep libxml2's own reports
    // (encoding errors among them) off stderr. The handler is per thread.
    xmlSetGenericErrorFunc(nullptr, Silent);

    std::unique_ptr<xmlParserCtxt, CtxtFree> ctxt(xmlNewParserCtxt());
    if (!ctxt)
        throw ServerFault("Out of memory while reading the request");
    bool doctype = false;
    ctxt->_private = &doctype;
    ctxt->sax->internalSubset = RefuseDoctype;

    if (body.size() > static_cast<std::size_t>(INT32_MAX))
        throw ClientFault("The request is too large");
    // HUGE lifts the 10 MB limit on one text node (a large picture's base64); the
    // body size itself is bounded before we get here.
    constexpr int kOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                             XML_PARSE_HUGE | XML_PARSE_NOCDATA;
    std::unique_ptr<xmlDoc, DocFree> doc(xmlCtxtReadMemory(
        ctxt.get(), body.data(), static_cast<int>(body.size()), nullptr, nullptr, kOptions));
    if (doctype)
        throw ClientFault(
            "The request carries a document type declaration, which SOAP does not allow");
    if (!doc || !ctxt->wellFormed) {
        std::string reason = "The request is not well-formed XML";
        const xmlError* error = xmlCtxtGetLastError(ctxt.get());
        if (error && error->message) {
            std::string detail(error->message);
            while (!detail.empty() && (detail.back() == '\n' || detail.back() == '\r'))
                detail.pop_back();
            reason += ": " + detail + " (line " + std::to_string(error->line) + ")";
        }
        throw ClientFault(reason);
    }
    if (doc->intSubset)
        throw ClientFault(
            "The request carries a document type declaration, which SOAP does not allow");
    return doc;
}

void CheckHeader(const xmlNode* header) {
    for (const xmlNode* entry = header->children; entry; entry = entry->next) {
        if (entry->type != XML_ELEMENT_NODE)
            continue;
        std::unique_ptr<xmlChar, XmlFree> must(
            xmlGetNsProp(entry, BAD_CAST "mustUnderstand", BAD_CAST kSoap11Envelope.data()));
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
    if (!IsElement(envelope, kSoap11Envelope, "Envelope")) {
        throw ClientFault("The request is not a SOAP 1.1 Envelope: its document element is " +
                          Qualified(envelope));
    }

    const xmlNode* body_element = nullptr;
    for (const xmlNode* child = envelope->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        if (IsElement(child, kSoap11Envelope, "Header")) {
            CheckHeader(child);
        } else if (IsElement(child, kSoap11Envelope, "Body")) {
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
