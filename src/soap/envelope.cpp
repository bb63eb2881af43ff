#include "soap/envelope.h"

#include "soap/namespaces.h"

namespace soap {

void StartEnvelope(XmlWriter& writer, std::string_view prefix, std::string_view encoding) {
    const std::string p(prefix);
    writer.StartDocument(encoding);
    writer.StartElement(p + ":Envelope");
    writer.Attribute("xmlns:" + p, kSoapEnvelopeNs);
    writer.Attribute("xmlns:xsd", kXmlSchemaNs);
    writer.Attribute("xmlns:xsi", kXmlSchemaInstanceNs);
    writer.StartElement(p + ":Body");
}

std::string WriteResponse(std::string_view ns, std::string_view operation,
                          std::string_view result) {
    const std::string op(operation);
    std::string xml;
    XmlWriter writer(xml);
    StartEnvelope(writer, kResponsePrefix, "utf-8");
    writer.StartElement(op + "Response");
    writer.Attribute("xmlns", ns);
    writer.StartElement(op + "Result");
    writer.Text(result);
    writer.EndDocument();
    return xml;
}

std::string WriteFault(std::string_view faultcode, std::string_view faultstring,
                       const DetailEntry& detail) {
    std::string xml;
    XmlWriter writer(xml);
    StartEnvelope(writer, kResponsePrefix, "utf-8");
    writer.StartElement(std::string(kResponsePrefix) + ":Fault");
    writer.StartElement("faultcode");
    writer.Text(faultcode);
    writer.EndElement();
    writer.StartElement("faultstring");
    writer.Text(faultstring);
    writer.EndElement();
    if (!detail.name.empty()) {
        writer.StartElement("detail");
        writer.StartElement(detail.name);
        writer.Attribute("xmlns", detail.ns);
        writer.Text(detail.text);
    }
    writer.EndDocument();
    return xml;
}

}  // namespace soap
