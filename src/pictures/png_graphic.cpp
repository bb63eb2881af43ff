#include "pictures/png_graphic.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

#include "pictures/bmp_format.h"
#include "pictures/errors.h"
#include "pictures/image_decode.h"
#include "pictures/stream_io.h"

namespace pictures {
namespace {

// BMP data under a png name: the BMP reader's pixels as 32-bit values, opaque unless the
// bitmap has 32 bits per pixel with any alpha set (a 32-bit file whose alpha bytes are all
// zero is an ordinary opaque picture, not an invisible one).
QImage FromBmp(QIODevice& stream) {
    const auto section = ReadBmp(stream);
    if (!section || !section->HasPixels()) throw EGdipError(kGdipInvalidParameter);
    // The 32-bit copy obeys the same limit as QtGui's readers.
    const qint64 limit = qint64(QImageReader::allocationLimit()) << 20;
    if (limit > 0 && qint64(section->width) * section->AbsHeight() > limit / 4) {
        throw EGdipError(kGdipOutOfMemory);
    }
    QImage image = section->ToImage();
    if (image.isNull()) throw EGdipError(kGdipInvalidParameter);
    if (section->pixelBits == 32 && section->compression == kBiRgb) {
        QImage alpha(image.size(), QImage::Format_ARGB32);
        bool anyAlpha = false;
        for (int y = 0; y < image.height(); ++y) {
            const std::uint8_t* src = section->Row(y);
            const auto* rgb = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            auto* out = reinterpret_cast<QRgb*>(alpha.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int a = src[4 * x + 3];
                anyAlpha = anyAlpha || a != 0;
                out[x] = (rgb[x] & 0xFFFFFFu) | (QRgb(a) << 24);
            }
        }
        if (anyAlpha) return alpha;
    }
    return image;
}

}  // namespace

void TPngGraphic::Assign(const TGraphic& source) {
    image_ = dynamic_cast<const TPngGraphic&>(source).image_;
    Changed();
}

void TPngGraphic::LoadFromStream(QIODevice& stream) {
    const qint64 size = Remaining(stream);
    if (size == 0) {
        image_ = QImage();
        Changed();
        return;
    }
    // Too short to be any picture; refused before anything is replaced.
    if (size < 14) throw EGdipError(kGdipInvalidParameter);
    const QByteArray head = stream.peek(2);
    QImage decoded;
    if (head == "BM") {
        decoded = FromBmp(stream);
    } else {
        decoded = DecodeByContent(ReadRest(stream));
        if (decoded.isNull()) throw EGdipError(kGdipInvalidParameter);
    }
    image_ = std::move(decoded);
    Changed();
}

void TPngGraphic::SaveToStream(QIODevice& stream) const {
    if (image_.isNull()) return;
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image_)) throw EGdipError(kGdipWin32Error);
    WriteAll(stream, encoded);
}

void TPngGraphic::Draw(QPainter& painter, const QRect& target) {
    if (Empty() || target.width() < 1 || target.height() < 1) return;
    if (VisiblePart(painter, target).isEmpty()) return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, image_);
    painter.restore();
}

QImage TPngGraphic::ToImage() {
    if (Empty()) return {};
    QImage out(image_.size(), QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.drawImage(0, 0, image_);
    return out;
}

}  // namespace pictures
