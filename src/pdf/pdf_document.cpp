#include "pdf/pdf_document.h"

#include <poppler-document.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace pdf {
namespace {

// Well inside the service's 50 million pixels; an A4 page at 600 dpi still fits.
constexpr double kMaxPagePixels = 36e6;
// The PNG travels as base64 inside a request the service takes (64 MiB), with room to spare.
constexpr std::size_t kMaxPngBytes = 20u << 20;

void Quiet(const std::string&, void*) {}

// Poppler reports damage on stderr by itself; the error that matters is ours.
void SilencePoppler() {
    static std::once_flag once;
    std::call_once(once, [] { poppler::set_debug_error_function(Quiet, nullptr); });
}

std::vector<std::uint8_t> EncodePng(const poppler::image& picture) {
    // ARGB32 rows are BGRA bytes in memory: OpenCV's four-channel order. A rendered page is
    // opaque, so its alpha channel goes; a page without colour goes as grey, a third the size.
    const cv::Mat rows(picture.height(), picture.width(), CV_8UC4,
                       const_cast<char*>(picture.const_data()),
                       static_cast<std::size_t>(picture.bytes_per_row()));
    cv::Mat colour;
    cv::cvtColor(rows, colour, cv::COLOR_BGRA2BGR);
    cv::Mat channels[3];
    cv::split(colour, channels);
    const bool grey = cv::countNonZero(channels[0] != channels[1]) == 0 &&
                      cv::countNonZero(channels[1] != channels[2]) == 0;
    std::vector<std::uint8_t> png;
    // Fast compression: the page is sent once and then dropped.
    if (!cv::imencode(".png", grey ? channels[0] : colour, png, {cv::IMWRITE_PNG_COMPRESSION, 1}))
        throw PdfUnreadable("Cannot encode the page as PNG");
    return png;
}

}  // namespace

PdfDocument::PdfDocument(const std::string& path) {
    SilencePoppler();
    document_.reset(poppler::document::load_from_file(path));
    Check();
}

PdfDocument::PdfDocument(std::span<const std::uint8_t> bytes) : bytes_(bytes.begin(), bytes.end()) {
    SilencePoppler();
    // Poppler reads the bytes in place for as long as the document lives.
    document_.reset(
        poppler::document::load_from_raw_data(bytes_.data(), static_cast<int>(bytes_.size())));
    Check();
}

PdfDocument::~PdfDocument() = default;

void PdfDocument::Check() const {
    if (!document_)
        throw PdfUnreadable("Not a readable PDF");
    if (document_->is_locked())
        throw PdfUnreadable("The PDF is protected by a password");
}

int PdfDocument::Count() const {
    return document_->pages();
}

RenderedPage PdfDocument::Render(int number, int dpi) const {
    const std::unique_ptr<poppler::page> page(
        number >= 1 && number <= Count() ? document_->create_page(number - 1) : nullptr);
    if (!page)
        throw PdfUnreadable("Page " + std::to_string(number) + " cannot be read");
    const poppler::rectf box = page->page_rect();
    const double points = std::max(1.0, box.width() * box.height());
    double resolution = std::min<double>(dpi, 72.0 * std::sqrt(kMaxPagePixels / points));
    poppler::page_renderer renderer;
    renderer.set_render_hints(poppler::page_renderer::antialiasing |
                              poppler::page_renderer::text_antialiasing);
    renderer.set_image_format(poppler::image::format_argb32);
    for (int attempt = 0;; ++attempt) {
        const int used = std::max(1, static_cast<int>(resolution));
        const poppler::image picture = renderer.render_page(page.get(), used, used);
        if (!picture.is_valid() || picture.width() <= 0 || picture.height() <= 0)
            throw PdfUnreadable("Page " + std::to_string(number) + " cannot be rendered");
        RenderedPage rendered{EncodePng(picture), used};
        if (rendered.png.size() <= kMaxPngBytes || attempt == 3)
            return rendered;
        // A busy page compresses badly: fewer pixels until it fits.
        resolution = used * std::sqrt(double(kMaxPngBytes) / rendered.png.size()) * 0.9;
    }
}

}  // namespace pdf
