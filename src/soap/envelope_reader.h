#pragma once
// One reader of SOAP 1.1 envelopes for both sides: the client reading replies and the
// service reading requests find the Envelope, its header entries and its Body the same
// way, and each turns a broken envelope into its own error.

#include <libxml/tree.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "soap/errors.h"

namespace soap {

struct XmlTextFree {
    void operator()(xmlChar* text) const { xmlFree(text); }
};
// A string libxml2 allocated for us.
using XmlText = std::unique_ptr<xmlChar, XmlTextFree>;

std::string_view LocalName(const xmlNode* node);
std::string_view NamespaceOf(const xmlNode* node);
// "{namespace}name", or "name" outside any namespace.
std::string QualifiedName(const xmlNode* node);
std::vector<xmlNode*> ElementChildren(const xmlNode* node);
xmlNode* FirstElementChild(const xmlNode* node);

struct EnvelopeParts {
    xmlNode* envelope = nullptr;
    std::vector<xmlNode*> header_entries;  // the Header's elements, in order
    xmlNode* body = nullptr;               // nullptr when the Envelope has none
};

// Why an envelope could not be read.
class EEnvelopeError : public Exception {
  public:
    enum class Problem { NoDocumentElement, NotAnEnvelope, TwoHeaders, TwoBodies };
    EEnvelopeError(Problem problem, const xmlNode* found);
    Problem What() const noexcept { return problem_; }
    // The namespace and name of the document element when it is not an Envelope.
    std::string_view FoundNamespace() const noexcept { return found_namespace_; }
    std::string_view FoundName() const noexcept { return found_name_; }

  private:
    Problem problem_;
    std::string found_namespace_, found_name_;
};

// The parts of `doc`'s SOAP 1.1 Envelope; Header and Body count only in the envelope
// namespace, other children are skipped. Throws EEnvelopeError.
EnvelopeParts ReadEnvelope(const xmlDoc* doc);

// Whether a header entry says it must be understood ("1" or "true", in any case).
bool MustUnderstand(const xmlNode* entry);

}  // namespace soap
