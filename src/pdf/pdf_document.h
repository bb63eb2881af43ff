#pragma once
// A PDF whose pages are rendered one at a time into PNG pictures the service reads, within
// its picture limits.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/exception.h"

namespace poppler {
class document;
}

namespace pdf {

// Not a readable PDF, protected by a password, or a page that cannot be read or rendered.
class PdfUnreadable : public quillory::Exception {
    using quillory::Exception::Exception;
};

struct RenderedPage {
    std::vector<std::uint8_t> png;
    int dpi = 0;  // the resolution used, at most the one asked for
};

class PdfDocument {
  public:
    // Opens a file, or bytes in memory (copied); throws PdfUnreadable.
    explicit PdfDocument(const std::string& path);
    explicit PdfDocument(std::span<const std::uint8_t> bytes);
    ~PdfDocument();
    PdfDocument(const PdfDocument&) = delete;
    PdfDocument& operator=(const PdfDocument&) = delete;

    int Count() const;

    // Renders page `number` (from 1) at `dpi`, lowered so that the page keeps inside 36
    // million pixels and its PNG inside 20 MiB. Throws PdfUnreadable.
    RenderedPage Render(int number, int dpi) const;

  private:
    void Check() const;

    std::vector<char> bytes_;  // what Poppler reads in place, for a document from memory
    std::unique_ptr<poppler::document> document_;
};

}  // namespace pdf
