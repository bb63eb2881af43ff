#include "soap/xml_parse.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <climits>
#include <mutex>
#include <new>

#include "soap/errors.h"
#include "base/utf.h"

namespace soap {
namespace {

constexpr std::size_t kSourceTextLength = 40;

struct ParserFree {
    void operator()(xmlParserCtxt* ctxt) const { xmlFreeParserCtxt(ctxt); }
};
using ParserPtr = std::unique_ptr<xmlParserCtxt, ParserFree>;

struct BufferFree {
    void operator()(xmlBuffer* b) const { xmlBufferFree(b); }
};

// Set by the entity-declaration hook; kept in the context's private slot.
struct ParseState {
    bool entityDeclared = false;
    int entityLine = 0;
    bool doctypeDeclared = false;
};

void RefuseEntity(void* ctx, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*) {
    auto* ctxt = static_cast<xmlParserCtxt*>(ctx);
    auto* state = static_cast<ParseState*>(ctxt->_private);
    if (!state->entityDeclared) {
        state->entityDeclared = true;
        state->entityLine = xmlSAX2GetLineNumber(ctxt);
    }
    xmlStopParser(ctxt);
}

void RefuseUnparsedEntity(void* ctx, const xmlChar* name, const xmlChar*, const xmlChar*,
                          const xmlChar*) {
    RefuseEntity(ctx, name, 0, nullptr, nullptr, nullptr);
}

// SOAP forbids a document type declaration; refusing it at once also keeps entity
// expansion out of the parser.
void RefuseDoctype(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
    auto* ctxt = static_cast<xmlParserCtxt*>(ctx);
    auto* state = static_cast<ParseState*>(ctxt->_private);
    state->doctypeDeclared = true;
    state->entityLine = xmlSAX2GetLineNumber(ctxt);
    xmlStopParser(ctxt);
}

// Errors are collected in the context, never printed.
void Quiet(void*, xmlError*) {}

void QuietGeneric(void*, const char*, ...) {}

// Some libxml2 errors (encoding conversion among them) bypass the context and go to the
// thread's generic handler, which prints; silence it for the parse and restore it after.
class QuietErrors {
  public:
    QuietErrors() : generic_(xmlGenericError), genericContext_(xmlGenericErrorContext) {
        xmlSetGenericErrorFunc(nullptr, QuietGeneric);
    }
    ~QuietErrors() { xmlSetGenericErrorFunc(genericContext_, generic_); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

  private:
    xmlGenericErrorFunc generic_;
    void* genericContext_;
};

void InitOnce() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

// The first characters of line `line` (1-based) of the source.
std::string SourceLine(std::span<const std::uint8_t> bytes, int line) {
    std::size_t at = 0;
    for (int n = 1; n < line && at < bytes.size(); ++at) {
        if (bytes[at] == '\n')
            ++n;
    }
    std::size_t end = at;
    while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
        ++end;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()) + at, end - at);
    return quillory::Utf8Prefix(text, kSourceTextLength);
}

std::string TrimLineEnds(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

[[noreturn]] void RaiseParseError(ParseErrorRecord record, std::span<const std::uint8_t> bytes) {
    record.srcText = SourceLine(bytes, record.line);
    std::string message =
        record.reason + "\r\nLine: " + std::to_string(record.line) + "\r\n" + record.srcText;
    throw EDOMParseError(std::move(message), std::move(record));
}

}  // namespace

XmlDocPtr ParseXml(std::span<const std::uint8_t> bytes, XmlLimits limits) {
    InitOnce();
    QuietErrors quiet;
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        RaiseParseError({XML_ERR_INTERNAL_ERROR, "Document too large", 1, 0, {}}, bytes);
    }
    ParserPtr ctxt(xmlCreateMemoryParserCtxt(reinterpret_cast<const char*>(bytes.data()),
                                             static_cast<int>(bytes.size())));
    if (!ctxt) {
        if (bytes.empty())
            RaiseParseError({XML_ERR_DOCUMENT_EMPTY, "Document is empty", 1, 0, {}}, bytes);
        throw std::bad_alloc();
    }
    ParseState state;
    ctxt->_private = &state;
    ctxt->sax->entityDecl = RefuseEntity;
    ctxt->sax->unparsedEntityDecl = RefuseUnparsedEntity;
    if (limits.refuseDoctype)
        ctxt->sax->internalSubset = RefuseDoctype;
    ctxt->sax->serror = Quiet;
    ctxt->sax->error = nullptr;
    ctxt->sax->warning = nullptr;
    // Never XML_PARSE_NOENT, XML_PARSE_DTDLOAD or XML_PARSE_DTDVALID; HUGE only on request.
    xmlCtxtUseOptions(ctxt.get(), XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR |
                                      XML_PARSE_NOWARNING |
                                      (limits.largeText ? XML_PARSE_HUGE : 0));
    xmlParseDocument(ctxt.get());
    XmlDocPtr doc(ctxt->myDoc);
    ctxt->myDoc = nullptr;

    if (state.doctypeDeclared) {
        RaiseParseError({kDeclarationRefused,
                         "Document type declarations are not accepted",
                         state.entityLine,
                         0,
                         {}},
                        bytes);
    }
    if (state.entityDeclared) {
        RaiseParseError(
            {kDeclarationRefused, "Entity declarations are not accepted", state.entityLine, 0, {}},
            bytes);
    }
    if (!ctxt->wellFormed || !doc) {
        const xmlError& err = ctxt->lastError;
        ParseErrorRecord record;
        record.errorCode = err.code;
        record.reason = err.message ? TrimLineEnds(err.message) : "Document is not well-formed";
        record.line = err.line;
        record.linePos = err.int2;
        RaiseParseError(std::move(record), bytes);
    }
    return doc;
}

std::string NodeXml(xmlNode* node) {
    std::unique_ptr<xmlBuffer, BufferFree> buffer(xmlBufferCreate());
    if (!buffer)
        throw std::bad_alloc();
    if (xmlNodeDump(buffer.get(), node->doc, node, 0, 0) < 0)
        throw std::bad_alloc();
    return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
                       static_cast<std::size_t>(xmlBufferLength(buffer.get())));
}

}  // namespace soap
