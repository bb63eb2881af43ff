#include "soap/xml_writer.h"

#include <libxml/xmlwriter.h>

#include <new>

#include "soap/stream.h"
#include "base/utf.h"

namespace soap {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

int WriteToSink(void* context, const char* data, int size) {
    try {
        (*static_cast<std::function<void(const char*, std::size_t)>*>(context))(
            data, static_cast<std::size_t>(size));
        return size;
    } catch (...) {
        return -1;
    }
}

int CloseSink(void*) {
    return 0;
}

// Every libxml2 writer call reports failure the same way; the only cause here is memory.
void Check(int result) {
    if (result < 0)
        throw std::bad_alloc();
}

const xmlChar* X(const std::string& s) {
    return reinterpret_cast<const xmlChar*>(s.c_str());
}

bool XmlAllows(char32_t c) {
    return c >= 0x20 ? c != 0xFFFE && c != 0xFFFF : c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

std::string XmlSafeText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t start = at;
        const char32_t c = quillory::DecodeUtf8(utf8, at);
        const bool replaced = c == 0xFFFD && utf8.substr(start, at - start) != kReplacement;
        if (replaced || !XmlAllows(c))
            out += kReplacement;
        else
            out += utf8.substr(start, at - start);
    }
    return out;
}

XmlWriter::XmlWriter(std::string& out)
    : XmlWriter([&out](const char* data, std::size_t size) { out.append(data, size); }) {}

XmlWriter::XmlWriter(MemoryStream& out)
    : XmlWriter([&out](const char* data, std::size_t size) {
          out.Write(reinterpret_cast<const std::uint8_t*>(data), size);
      }) {}

XmlWriter::XmlWriter(std::function<void(const char*, std::size_t)> sink)
    : sink_(std::move(sink)), writer_(nullptr, xmlFreeTextWriter) {
    xmlOutputBuffer* out = xmlOutputBufferCreateIO(WriteToSink, CloseSink, &sink_, nullptr);
    if (out == nullptr)
        throw std::bad_alloc();
    writer_.reset(xmlNewTextWriter(out));  // owns `out` from here on
    if (!writer_) {
        xmlOutputBufferClose(out);
        throw std::bad_alloc();
    }
}

XmlWriter::~XmlWriter() = default;

void XmlWriter::StartDocument(std::string_view encoding) {
    const std::string name(encoding);
    Check(xmlTextWriterStartDocument(writer_.get(), "1.0", name.empty() ? nullptr : name.c_str(),
                                     nullptr));
}

void XmlWriter::StartElement(std::string_view name) {
    Check(xmlTextWriterStartElement(writer_.get(), X(std::string(name))));
}

void XmlWriter::Attribute(std::string_view name, std::string_view value) {
    Check(xmlTextWriterWriteAttribute(writer_.get(), X(std::string(name)), X(XmlSafeText(value))));
}

void XmlWriter::Text(std::string_view utf8) {
    Check(xmlTextWriterWriteString(writer_.get(), X(XmlSafeText(utf8))));
}

void XmlWriter::Raw(std::string_view text) {
    Check(xmlTextWriterWriteRawLen(writer_.get(), reinterpret_cast<const xmlChar*>(text.data()),
                                   static_cast<int>(text.size())));
}

void XmlWriter::EndElement() {
    Check(xmlTextWriterEndElement(writer_.get()));
}

void XmlWriter::EndDocument() {
    Check(xmlTextWriterEndDocument(writer_.get()));
    Check(xmlTextWriterFlush(writer_.get()));
}

}  // namespace soap
