#pragma once
// The pages of a PDF rendered one at a time into PNG pictures the service accepts.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace poppler {
class document;
}

namespace cli {

struct RenderedPage {
    std::vector<std::uint8_t> png;
    int dpi = 0;  // the resolution used, at most the one asked for
};

class PdfPages {
  public:
    // Opens the document; throws quillory::Exception when it is not a readable PDF or is
    // protected by a password.
    explicit PdfPages(const std::string& path);
    ~PdfPages();
    PdfPages(const PdfPages&) = delete;
    PdfPages& operator=(const PdfPages&) = delete;

    int Count() const;

    // Renders page `number` (1-based) at `dpi`, lowered so that the page stays inside the
    // service's picture limits. Throws quillory::Exception.
    RenderedPage Render(int number, int dpi) const;

  private:
    std::string path_;
    std::unique_ptr<poppler::document> document_;
};

}  // namespace cli
