#include "soap/request.h"

#include <libxml/xmlwriter.h>

#include <algorithm>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include "soap/base64.h"
#include "soap/namespaces.h"
#include "soap/utf.h"

namespace soap {
namespace {

// Bytes of the picture encoded per step: a multiple of 3, so the pieces join seamlessly.
constexpr std::size_t kBase64Block = 510;

struct WriterFree {
    void operator()(xmlTextWriter* w) const { xmlFreeTextWriter(w); }
};
using WriterPtr = std::unique_ptr<xmlTextWriter, WriterFree>;

int WriteToStream(void* context, const char* data, int size) {
    try {
        static_cast<MemoryStream*>(context)->Write(reinterpret_cast<const std::uint8_t*>(data),
                                                   static_cast<std::size_t>(size));
        return size;
    } catch (...) {
        return -1;
    }
}

int CloseStream(void*) {
    return 0;
}

const xmlChar* X(const char* s) {
    return reinterpret_cast<const xmlChar*>(s);
}

// Every libxml2 writer call reports failure the same way; the only cause here is memory.
void Check(int result) {
    if (result < 0)
        throw std::bad_alloc();
}

void WriteArgument(xmlTextWriter* w, const Argument& argument) {
    if (const auto* text = std::get_if<std::u16string_view>(&argument)) {
        if (text->empty())
            return;  // an element without content, never a nil marker
        const std::string utf8 = Utf16ToUtf8(*text);
        Check(xmlTextWriterWriteString(w, X(utf8.c_str())));
    } else if (const auto* bytes = std::get_if<std::span<const std::uint8_t>>(&argument)) {
        // Base64 needs no escaping, so it goes out raw, CR LF included, block by block.
        Base64Lines encoder;
        std::string chunk;
        for (std::size_t at = 0; at < bytes->size(); at += kBase64Block) {
            chunk.clear();
            encoder.Append(bytes->subspan(at, std::min(kBase64Block, bytes->size() - at)), chunk);
            Check(xmlTextWriterWriteRawLen(w, X(chunk.c_str()), static_cast<int>(chunk.size())));
        }
    }
}

bool Matches(const ocrgate::Parameter& parameter, const Argument& argument) {
    switch (parameter.kind) {
        case ocrgate::ParameterKind::Text:
            return std::holds_alternative<std::u16string_view>(argument);
        case ocrgate::ParameterKind::Bytes:
            return std::holds_alternative<std::span<const std::uint8_t>>(argument);
    }
    return false;
}

}  // namespace

MemoryStream BuildRequest(const ocrgate::InterfaceInfo& intf, const ocrgate::Operation& operation,
                          const Argument& argument) {
    if (operation.parameter ? !Matches(*operation.parameter, argument)
                            : !std::holds_alternative<std::monostate>(argument)) {
        throw std::invalid_argument("argument does not fit the operation's parameter");
    }

    MemoryStream stream;
    if (const auto* bytes = std::get_if<std::span<const std::uint8_t>>(&argument)) {
        stream.Reserve(Base64LinesSize(bytes->size()) + 512 + 2 * intf.targetNamespace.size());
    }

    xmlOutputBuffer* out = xmlOutputBufferCreateIO(WriteToStream, CloseStream, &stream, nullptr);
    if (out == nullptr)
        throw std::bad_alloc();
    WriterPtr writer(xmlNewTextWriter(out));  // owns `out` from here on
    if (!writer) {
        xmlOutputBufferClose(out);
        throw std::bad_alloc();
    }
    xmlTextWriter* w = writer.get();

    const std::string ns = intf.targetNamespace;
    const std::string wrapper(operation.name);
    Check(xmlTextWriterStartDocument(w, "1.0", nullptr, nullptr));
    Check(xmlTextWriterStartElement(w, X("SOAP-ENV:Envelope")));
    Check(xmlTextWriterWriteAttribute(w, X("xmlns:SOAP-ENV"), X(kSoapEnvelopeNs.data())));
    Check(xmlTextWriterWriteAttribute(w, X("xmlns:xsd"), X(kXmlSchemaNs.data())));
    Check(xmlTextWriterWriteAttribute(w, X("xmlns:xsi"), X(kXmlSchemaInstanceNs.data())));
    Check(xmlTextWriterStartElement(w, X("SOAP-ENV:Body")));
    Check(xmlTextWriterStartElement(w, X(wrapper.c_str())));
    Check(xmlTextWriterWriteAttribute(w, X("xmlns"), X(ns.c_str())));
    if (operation.parameter) {
        const std::string name(operation.parameter->name);
        Check(xmlTextWriterStartElement(w, X(name.c_str())));
        WriteArgument(w, argument);
        Check(xmlTextWriterEndElement(w));
    }
    Check(xmlTextWriterEndDocument(w));  // closes wrapper, Body and Envelope
    Check(xmlTextWriterFlush(w));
    writer.reset();
    stream.Seek(0);
    return stream;
}

}  // namespace soap
