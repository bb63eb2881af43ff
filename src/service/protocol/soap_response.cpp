#include "service/protocol/soap_response.h"

#include <cstdint>

#include "ocrgate/contract.h"
#include "service/protocol/soap_request.h"

namespace ocrgated {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Length of the valid UTF-8 sequence at text[i], or 0.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, code = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, code = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, code = lead & 0x07;
    else
        return 0;
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    if (overlong || surrogate || code > 0x10FFFF || code == 0xFFFE || code == 0xFFFF)
        return 0;
    return length;
}

constexpr std::string_view kEnvelopeOpen =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"><soap:Body>";
constexpr std::string_view kEnvelopeClose = "</soap:Body></soap:Envelope>";

}  // namespace

std::string XmlEscape(std::string_view text, bool attribute) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        switch (c) {
            case '&':
                out += "&amp;";
                ++i;
                continue;
            case '<':
                out += "&lt;";
                ++i;
                continue;
            case '>':
                out += "&gt;";
                ++i;
                continue;
            case '"':
                out += attribute ? "&quot;" : "\"";
                ++i;
                continue;
            case '\r':
                out += "&#13;";
                ++i;
                continue;  // survives end-of-line normalisation
            case '\t':
                out += attribute ? "&#9;" : "\t";
                ++i;
                continue;
            case '\n':
                out += attribute ? "&#10;" : "\n";
                ++i;
                continue;
            default:
                break;
        }
        if (static_cast<unsigned char>(c) < 0x20) {
            out += kReplacement;
            ++i;
            continue;
        }
        const std::size_t length = Utf8Length(text, i);
        if (length == 0) {
            out += kReplacement;
            ++i;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

std::string WriteResultEnvelope(std::string_view operation, std::string_view result) {
    std::string op(operation);
    std::string xml(kEnvelopeOpen);
    xml +=
        "<" + op + "Response xmlns=\"" + std::string(ocrgate::kNamespace) + "\"><" + op + "Result>";
    xml += XmlEscape(result);
    xml += "</" + op + "Result></" + op + "Response>";
    xml += kEnvelopeClose;
    return xml;
}

std::string WriteFaultEnvelope(const SoapFault& fault) {
    std::string xml(kEnvelopeOpen);
    xml += "<soap:Fault><faultcode>";
    xml += fault.faultcode();
    xml += "</faultcode><faultstring>";
    xml += XmlEscape(fault.what());
    xml += "</faultstring></soap:Fault>";
    xml += kEnvelopeClose;
    return xml;
}

}  // namespace ocrgated
