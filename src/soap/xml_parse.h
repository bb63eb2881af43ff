#pragma once
// Safe parsing of reply bodies: no network, no DTD loading, no external entities, and no
// entity declarations at all, so nothing can expand; libxml2's size limits stay in force.

#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace soap {

struct XmlDocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using XmlDocPtr = std::unique_ptr<xmlDoc, XmlDocFree>;

struct XmlLimits {
    // Lifts libxml2's 10 MB bound on one text node (a large picture's base64); the caller
    // bounds the document's size itself.
    bool largeText = false;
    // Refuses any document type declaration, not only one that declares entities.
    bool refuseDoctype = false;
};

// The error code of a refused declaration.
inline constexpr int kDeclarationRefused = XML_ERR_ENTITY_PE_INTERNAL;

// Parses `bytes`, finding the encoding from a byte-order mark or the declaration and
// dropping whitespace-only text between elements. Raises EDOMParseError when the bytes
// are not a well-formed document or declare what the limits refuse.
XmlDocPtr ParseXml(std::span<const std::uint8_t> bytes, XmlLimits limits = {});

// The node as the serialiser writes it, markup included.
std::string NodeXml(xmlNode* node);

}  // namespace soap
