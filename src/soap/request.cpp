#include "soap/request.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "soap/base64.h"
#include "soap/envelope.h"
#include "base/utf.h"

namespace soap {
namespace {

// Bytes of the picture encoded per step: a multiple of 3, so the pieces join seamlessly.
constexpr std::size_t kBase64Block = 510;

void WriteArgument(XmlWriter& w, const Argument& argument) {
    if (const auto* text = std::get_if<std::u16string_view>(&argument)) {
        if (text->empty())
            return;  // an element without content, never a nil marker
        w.Text(quillory::Utf16ToUtf8(*text));
    } else if (const auto* bytes = std::get_if<std::span<const std::uint8_t>>(&argument)) {
        // Base64 needs no escaping, so it goes out raw, CR LF included, block by block.
        Base64Lines encoder;
        std::string chunk;
        for (std::size_t at = 0; at < bytes->size(); at += kBase64Block) {
            chunk.clear();
            encoder.Append(bytes->subspan(at, std::min(kBase64Block, bytes->size() - at)), chunk);
            w.Raw(chunk);
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

    {
        XmlWriter w(stream);
        StartEnvelope(w, "SOAP-ENV");
        w.StartElement(operation.name);
        w.Attribute("xmlns", intf.targetNamespace);
        if (operation.parameter) {
            w.StartElement(operation.parameter->name);
            WriteArgument(w, argument);
            w.EndElement();
        }
        w.EndDocument();  // closes the wrapper, Body and Envelope
    }
    stream.Seek(0);
    return stream;
}

}  // namespace soap
