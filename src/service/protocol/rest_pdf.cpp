#include "service/protocol/rest_pdf.h"

#include <poppler-document.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <opencv2/imgcodecs.hpp>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <string>

#include "service/protocol/rest_error.h"

namespace ocrgated {
namespace {

// The command line's resolution; a page larger than A4 is rendered with fewer dots.
constexpr double kDpi = 200;
constexpr double kMaxPagePixels = 36e6;

void Quiet(const std::string&, void*) {}

// Poppler reports damage on stderr by itself; the error that matters is ours.
void SilencePoppler() {
    static std::once_flag once;
    std::call_once(once, [] { poppler::set_debug_error_function(Quiet, nullptr); });
}

}  // namespace

std::vector<std::uint8_t> RenderPdfPage(std::span<const std::uint8_t> pdf, int number) {
    SilencePoppler();
    // Poppler reads the bytes in place for as long as the document lives.
    std::vector<char> bytes(pdf.begin(), pdf.end());
    const std::unique_ptr<poppler::document> document(
        poppler::document::load_from_raw_data(bytes.data(), static_cast<int>(bytes.size())));
    if (!document)
        throw RestError(rest_code::kImageFormat,
                        "image format error: pdf_file is not a readable PDF");
    if (document->is_locked())
        throw RestError(rest_code::kImageFormat,
                        "image format error: the PDF is protected by a password");
    if (number < 1 || number > document->pages())
        throw RestError(rest_code::kInvalidParam,
                        "invalid param: pdf_file_num=" + std::to_string(number) +
                            " but the PDF has " + std::to_string(document->pages()) + " pages");
    const std::unique_ptr<poppler::page> page(document->create_page(number - 1));
    if (!page)
        throw RestError(rest_code::kImageFormat, "image format error: the page cannot be read");
    const poppler::rectf box = page->page_rect();
    const double points = std::max(1.0, box.width() * box.height());
    const double dpi = std::max(1.0, std::min(kDpi, 72.0 * std::sqrt(kMaxPagePixels / points)));
    poppler::page_renderer renderer;
    renderer.set_render_hints(poppler::page_renderer::antialiasing |
                              poppler::page_renderer::text_antialiasing);
    renderer.set_image_format(poppler::image::format_argb32);
    poppler::image picture = renderer.render_page(page.get(), dpi, dpi);
    if (!picture.is_valid() || picture.width() <= 0 || picture.height() <= 0)
        throw RestError(rest_code::kImageFormat, "image format error: the page cannot be rendered");
    // ARGB32 rows are BGRA bytes in memory: OpenCV's four-channel order.
    const cv::Mat rows(picture.height(), picture.width(), CV_8UC4, picture.data(),
                       static_cast<std::size_t>(picture.bytes_per_row()));
    // A rendered page is opaque: its alpha channel would only cost the decoder a pass.
    cv::Mat colour(rows.size(), CV_8UC3);
    const int from_to[] = {0, 0, 1, 1, 2, 2};
    cv::mixChannels(&rows, 1, &colour, 1, from_to, 3);
    std::vector<std::uint8_t> png;
    // Fast compression: the page is decoded once, moments later.
    if (!cv::imencode(".png", colour, png, {cv::IMWRITE_PNG_COMPRESSION, 1}))
        throw RestError(rest_code::kInternal, "internal error: the page cannot be encoded");
    return png;
}

}  // namespace ocrgated
