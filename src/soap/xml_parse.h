#pragma once
// Safe parsing of reply bodies: no network, no DTD loading, no external entities, and no
// entity declarations at all, so nothing can expand; libxml2's size limits stay in force.

#include <libxml/tree.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace soap {

struct XmlDocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using XmlDocPtr = std::unique_ptr<xmlDoc, XmlDocFree>;

// Parses `bytes`, finding the encoding from a byte-order mark or the declaration and
// dropping whitespace-only text between elements. Raises EDOMParseError when the bytes
// are not a well-formed document or declare entities.
XmlDocPtr ParseXml(std::span<const std::uint8_t> bytes);

// The node as the serialiser writes it, markup included.
std::string NodeXml(xmlNode* node);

}  // namespace soap
