#include "service/soap/wsdl.h"

#include "contract/contract.h"
#include "soap/namespaces.h"
#include "soap/xml_writer.h"

namespace ocrgated {
namespace {

using soap::XmlWriter;

// An element with its attributes, left open.
void Open(XmlWriter& w, std::string_view name,
          std::initializer_list<std::pair<std::string_view, std::string_view>> attributes = {}) {
    w.StartElement(name);
    for (const auto& [attribute, value] : attributes)
        w.Attribute(attribute, value);
}

// An element with its attributes and nothing inside.
void Empty(XmlWriter& w, std::string_view name,
           std::initializer_list<std::pair<std::string_view, std::string_view>> attributes) {
    Open(w, name, attributes);
    w.EndElement();
}

void SchemaElements(XmlWriter& w) {
    for (const auto& op : ocrgate::kOperations) {
        const std::string name(op.name);
        Open(w, "s:element", {{"name", name}});
        Open(w, "s:complexType");
        Open(w, "s:sequence");
        if (op.parameter) {
            const bool bytes = op.parameter->kind == ocrgate::ParameterKind::Bytes;
            Empty(w, "s:element",
                  {{"minOccurs", "0"},
                   {"maxOccurs", "1"},
                   {"name", op.parameter->name},
                   {"type", bytes ? "s:base64Binary" : "s:string"}});
        }
        w.EndElement();  // sequence
        w.EndElement();  // complexType
        w.EndElement();  // element
        Open(w, "s:element", {{"name", name + "Response"}});
        Open(w, "s:complexType");
        Open(w, "s:sequence");
        Empty(w, "s:element",
              {{"minOccurs", "0"},
               {"maxOccurs", "1"},
               {"name", name + "Result"},
               {"type", "s:string"}});
        w.EndElement();
        w.EndElement();
        w.EndElement();
    }
}

void Messages(XmlWriter& w) {
    for (const auto& op : ocrgate::kOperations) {
        const std::string name(op.name);
        for (const auto& [suffix, element] : {std::pair{"SoapIn", ""}, {"SoapOut", "Response"}}) {
            Open(w, "wsdl:message", {{"name", name + suffix}});
            Empty(w, "wsdl:part", {{"name", "parameters"}, {"element", "tns:" + name + element}});
            w.EndElement();
        }
    }
}

void PortType(XmlWriter& w) {
    Open(w, "wsdl:portType", {{"name", "ocrgateSoap"}});
    for (const auto& op : ocrgate::kOperations) {
        const std::string name(op.name);
        Open(w, "wsdl:operation", {{"name", name}});
        Empty(w, "wsdl:input", {{"message", "tns:" + name + "SoapIn"}});
        Empty(w, "wsdl:output", {{"message", "tns:" + name + "SoapOut"}});
        w.EndElement();
    }
    w.EndElement();
}

void Binding(XmlWriter& w) {
    Open(w, "wsdl:binding", {{"name", "ocrgateSoap"}, {"type", "tns:ocrgateSoap"}});
    Empty(w, "soap:binding",
          {{"transport", "http://schemas.xmlsoap.org/soap/http"}, {"style", "document"}});
    for (const auto& op : ocrgate::kOperations) {
        Open(w, "wsdl:operation", {{"name", op.name}});
        Empty(w, "soap:operation",
              {{"soapAction", ocrgate::ActionFor(ocrgate::kActionTemplate, op.name)}, {"style", "document"}});
        for (const char* direction : {"wsdl:input", "wsdl:output"}) {
            Open(w, direction);
            Empty(w, "soap:body", {{"use", "literal"}});
            w.EndElement();
        }
        w.EndElement();
    }
    w.EndElement();
}

}  // namespace

std::string WriteWsdl(std::string_view location) {
    std::string xml;
    XmlWriter w(xml);
    w.StartDocument("utf-8");
    Open(w, "wsdl:definitions",
         {{"xmlns:wsdl", "http://schemas.xmlsoap.org/wsdl/"},
          {"xmlns:soap", "http://schemas.xmlsoap.org/wsdl/soap/"},
          {"xmlns:s", soap::kXmlSchemaNs},
          {"xmlns:tns", ocrgate::kNamespace},
          {"targetNamespace", ocrgate::kNamespace}});
    Open(w, "wsdl:types");
    Open(w, "s:schema",
         {{"elementFormDefault", "qualified"}, {"targetNamespace", ocrgate::kNamespace}});
    SchemaElements(w);
    w.EndElement();
    w.EndElement();
    Messages(w);
    PortType(w);
    Binding(w);
    Open(w, "wsdl:service", {{"name", "ocrgate"}});
    Open(w, "wsdl:port", {{"name", "ocrgateSoap"}, {"binding", "tns:ocrgateSoap"}});
    Empty(w, "soap:address", {{"location", location}});
    w.EndDocument();
    xml += '\n';
    return xml;
}

}  // namespace ocrgated
