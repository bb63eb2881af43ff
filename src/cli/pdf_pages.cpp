#include "cli/pdf_pages.h"

#include <poppler-document.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <algorithm>
#include <cmath>
#include <mutex>

#include "base/exception.h"

namespace cli {
namespace {

// Well inside the service's 50 million pixels; an A4 page at 600 dpi still fits.
constexpr double kMaxPagePixels = 36e6;
// The PNG travels as base64 inside a request of at most 32 MiB.
constexpr std::size_t kMaxPngBytes = 20u << 20;

void Quiet(const std::string&, void*) {}

// Poppler reports damage on stderr by itself; the error that matters is ours.
void SilencePoppler() {
    static std::once_flag once;
    std::call_once(once, [] { poppler::set_debug_error_function(Quiet, nullptr); });
}

std::vector<std::uint8_t> EncodePng(const poppler::image& picture) {
    // ARGB32 rows as Poppler lays them out, read in place.
    QImage image(reinterpret_cast<const uchar*>(picture.const_data()), picture.width(),
                 picture.height(), picture.bytes_per_row(), QImage::Format_RGB32);
    if (image.allGray())
        image = image.convertToFormat(QImage::Format_Grayscale8);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setCompression(1);  // fast: the page is sent once and then dropped
    if (!writer.write(image))
        throw quillory::Exception("Cannot encode the page as PNG: " +
                                  writer.errorString().toStdString());
    return {bytes.begin(), bytes.end()};
}

}  // namespace

PdfPages::PdfPages(const std::string& path) : path_(path) {
    SilencePoppler();
    document_.reset(poppler::document::load_from_file(path));
    if (!document_)
        throw quillory::Exception("Not a readable PDF");
    if (document_->is_locked())
        throw quillory::Exception("The PDF is protected by a password");
}

PdfPages::~PdfPages() = default;

int PdfPages::Count() const {
    return document_->pages();
}

RenderedPage PdfPages::Render(int number, int dpi) const {
    const std::unique_ptr<poppler::page> page(document_->create_page(number - 1));
    if (!page)
        throw quillory::Exception("Page " + std::to_string(number) + " cannot be read");
    const poppler::rectf box = page->page_rect();
    double resolution = dpi;
    const double points = std::max(1.0, box.width() * box.height());
    resolution = std::min(resolution, 72.0 * std::sqrt(kMaxPagePixels / points));
    poppler::page_renderer renderer;
    renderer.set_render_hints(poppler::page_renderer::antialiasing |
                              poppler::page_renderer::text_antialiasing);
    renderer.set_image_format(poppler::image::format_argb32);
    for (int attempt = 0;; ++attempt) {
        const int used = std::max(1, static_cast<int>(resolution));
        const poppler::image picture = renderer.render_page(page.get(), used, used);
        if (!picture.is_valid() || picture.width() <= 0 || picture.height() <= 0)
            throw quillory::Exception("Page " + std::to_string(number) + " cannot be rendered");
        RenderedPage rendered{EncodePng(picture), used};
        if (rendered.png.size() <= kMaxPngBytes || attempt == 3)
            return rendered;
        // A busy page compresses badly: fewer pixels until it fits.
        resolution = used * std::sqrt(double(kMaxPngBytes) / rendered.png.size()) * 0.9;
    }
}

}  // namespace cli
