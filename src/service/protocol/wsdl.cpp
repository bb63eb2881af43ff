#include "service/protocol/wsdl.h"

#include "ocrgate/contract.h"
#include "service/protocol/soap_response.h"

namespace ocrgated {
namespace {

std::string SchemaElements() {
    std::string xml;
    for (const auto& op : ocrgate::kOperations) {
        const std::string name(op.name);
        xml += "<s:element name=\"" + name + "\"><s:complexType>";
        if (op.parameter) {
            const char* type =
                op.parameter->kind == ocrgate::ParameterKind::Bytes ? "s:base64Binary" : "s:string";
            xml += "<s:sequence><s:element minOccurs=\"0\" maxOccurs=\"1\" name=\"" +
                   std::string(op.parameter->name) + "\" type=\"" + type + "\"/></s:sequence>";
        } else {
            xml += "<s:sequence/>";
        }
        xml += "</s:complexType></s:element>";
        xml += "<s:element name=\"" + name +
               "Response\"><s:complexType><s:sequence>"
               "<s:element minOccurs=\"0\" maxOccurs=\"1\" name=\"" +
               name + "Result\" type=\"s:string\"/></s:sequence></s:complexType></s:element>";
    }
    return xml;
}

std::string Messages() {
    std::string xml;
    for (const auto& op : ocrgate::kOperations) {
        const std::string name(op.name);
        xml += "<wsdl:message name=\"" + name +
               "SoapIn\"><wsdl:part name=\"parameters\" element=\"tns:" + name +
               "\"/></wsdl:message>";
        xml += "<wsdl:message name=\"" + name +
               "SoapOut\"><wsdl:part name=\"parameters\" element=\"tns:" + name +
               "Response\"/></wsdl:message>";
    }
    return xml;
}

std::string PortType() {
    std::string xml = "<wsdl:portType name=\"ocrgateSoap\">";
    for (const auto& op : ocrgate::kOperations) {
        const std::string name(op.name);
        xml += "<wsdl:operation name=\"" + name + "\"><wsdl:input message=\"tns:" + name +
               "SoapIn\"/><wsdl:output message=\"tns:" + name + "SoapOut\"/></wsdl:operation>";
    }
    return xml + "</wsdl:portType>";
}

std::string Binding() {
    std::string xml =
        "<wsdl:binding name=\"ocrgateSoap\" type=\"tns:ocrgateSoap\">"
        "<soap:binding transport=\"http://schemas.xmlsoap.org/soap/http\" style=\"document\"/>";
    for (const auto& op : ocrgate::kOperations) {
        xml += "<wsdl:operation name=\"" + std::string(op.name) +
               "\"><soap:operation soapAction=\"" +
               XmlEscape(ocrgate::SoapActionFor(op.name), true) +
               "\" style=\"document\"/><wsdl:input><soap:body use=\"literal\"/></wsdl:input>"
               "<wsdl:output><soap:body use=\"literal\"/></wsdl:output></wsdl:operation>";
    }
    return xml + "</wsdl:binding>";
}

}  // namespace

std::string WriteWsdl(std::string_view location) {
    const std::string ns = XmlEscape(ocrgate::kNamespace, true);
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    xml +=
        "<wsdl:definitions xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\" "
        "xmlns:soap=\"http://schemas.xmlsoap.org/wsdl/soap/\" "
        "xmlns:s=\"http://www.w3.org/2001/XMLSchema\" "
        "xmlns:tns=\"" +
        ns + "\" targetNamespace=\"" + ns + "\">";
    xml += "<wsdl:types><s:schema elementFormDefault=\"qualified\" targetNamespace=\"" + ns + "\">";
    xml += SchemaElements();
    xml += "</s:schema></wsdl:types>";
    xml += Messages();
    xml += PortType();
    xml += Binding();
    xml +=
        "<wsdl:service name=\"ocrgate\"><wsdl:port name=\"ocrgateSoap\" "
        "binding=\"tns:ocrgateSoap\">"
        "<soap:address location=\"" +
        XmlEscape(location, true) + "\"/></wsdl:port></wsdl:service>";
    xml += "</wsdl:definitions>\n";
    return xml;
}

}  // namespace ocrgated
