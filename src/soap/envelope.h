#pragma once
// SOAP 1.1 envelopes as both sides write them: the Envelope and Body every message
// shares, an operation's response and a fault. Requests are built on the same opening
// (request.h); every envelope is read with ParseXml (xml_parse.h).

#include <string>
#include <string_view>

#include "soap/xml_writer.h"

namespace soap {

// The prefix of the envelope namespace in responses and faults.
inline constexpr std::string_view kResponsePrefix = "soap";

// Writes the XML declaration, then opens <{prefix}:Envelope> declaring the envelope,
// schema and schema-instance namespaces, and <{prefix}:Body>. EndDocument closes both.
void StartEnvelope(XmlWriter& writer, std::string_view prefix, std::string_view encoding = {});

// <{op}Response xmlns="{ns}"><{op}Result>{result}</{op}Result></{op}Response> in a Body.
std::string WriteResponse(std::string_view ns, std::string_view operation, std::string_view result);

// One element of a fault's detail: <{name} xmlns="{ns}">{text}</{name}>.
struct DetailEntry {
    std::string_view ns, name, text;
};

// A Fault; `faultcode` is qualified with kResponsePrefix, such as "soap:Client". A detail
// entry without a name leaves the detail out.
std::string WriteFault(std::string_view faultcode, std::string_view faultstring,
                       const DetailEntry& detail = {});

}  // namespace soap
