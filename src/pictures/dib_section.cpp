#include "pictures/dib_section.h"

#include <QPainter>
#include <bit>
#include <cstring>

#include "pictures/errors.h"
#include "pictures/stream_io.h"

namespace pictures {

PixelMemory::PixelMemory(std::size_t size) : data_(static_cast<std::uint8_t*>(std::calloc(size ? size : 1, 1))), size_(size) {
    if (!data_) throw EInvalidGraphic(QString::fromLatin1(kBitmapInvalid));
}

namespace {

struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;
    explicit Channel(std::uint32_t m) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        max = m >> shift;
    }
    std::uint32_t Scale(std::uint32_t value) const {
        if (max == 0) return 0;
        return (((value & mask) >> shift) * 255 + max / 2) / max;
    }
};

std::array<std::uint32_t, 3> EffectiveMasks(const DibSection& s) {
    if (s.compression == kBiBitfields && (s.masks[0] | s.masks[1] | s.masks[2]) != 0) {
        return s.masks;
    }
    if (s.pixelBits == 16) return {0x7C00, 0x03E0, 0x001F};
    return {0xFF0000, 0xFF00, 0xFF};
}

}  // namespace

QImage DibSection::Render(QSize target, QRect visible) const {
    visible &= QRect(QPoint(0, 0), target);
    if (!HasPixels() || visible.isEmpty() || width <= 0 || height == 0) return {};
    QImage out(visible.size(), QImage::Format_RGB32);
    if (out.isNull()) return {};
    const int srcW = width, srcH = AbsHeight();
    std::vector<int> columns(std::size_t(visible.width()));
    for (int i = 0; i < visible.width(); ++i) {
        columns[std::size_t(i)] =
            int(std::int64_t(visible.x() + i) * srcW / target.width());
    }
    const auto masks = EffectiveMasks(*this);
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
    auto colour = [this](std::uint32_t index) -> QRgb {
        return index < colours.size() ? (0xFF000000u | colours[index]) : 0xFF000000u;
    };
    for (int row = 0; row < visible.height(); ++row) {
        const int sy = int(std::int64_t(visible.y() + row) * srcH / target.height());
        const std::uint8_t* src = Row(sy);
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(row));
        for (int i = 0; i < visible.width(); ++i) {
            const int x = columns[std::size_t(i)];
            QRgb c = 0;
            switch (pixelBits) {
                case 1: c = colour((src[x >> 3] >> (7 - (x & 7))) & 1); break;
                case 4: c = colour((src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF); break;
                case 8: c = colour(src[x]); break;
                case 16: {
                    const std::uint32_t v = Le16(src + 2 * x);
                    c = qRgb(int(red.Scale(v)), int(green.Scale(v)), int(blue.Scale(v)));
                    break;
                }
                case 24: c = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]); break;
                case 32: {
                    const std::uint32_t v = Le32(src + 4 * x);
                    c = qRgb(int(red.Scale(v)), int(green.Scale(v)), int(blue.Scale(v)));
                    break;
                }
                default: break;
            }
            line[i] = c;
        }
    }
    return out;
}

std::shared_ptr<DibSection> SectionFromImage(const QImage& image) {
    auto s = std::make_shared<DibSection>();
    if (image.isNull()) return s;
    const bool alpha = image.hasAlphaChannel();
    const QImage src = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    s->width = src.width();
    s->height = src.height();
    s->bitCount = alpha ? 32 : 24;
    s->pixelBits = s->bitCount;
    const std::size_t stride = s->Stride();
    if (std::int64_t(stride) * s->height > kMaxPixelBytes) {
        throw EInvalidGraphic(QString::fromLatin1(kBitmapInvalid));
    }
    s->pixels = PixelMemory(stride * std::size_t(s->height));
    for (int y = 0; y < s->height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        std::uint8_t* out = s->pixels.data() + std::size_t(s->height - 1 - y) * stride;
        for (int x = 0; x < s->width; ++x) {
            const QRgb c = in[x];
            *out++ = std::uint8_t(qBlue(c));
            *out++ = std::uint8_t(qGreen(c));
            *out++ = std::uint8_t(qRed(c));
            if (alpha) *out++ = std::uint8_t(qAlpha(c));
        }
    }
    return s;
}

QRect VisiblePart(const QPainter& painter, const QRect& target) {
    if (target.width() <= 0 || target.height() <= 0) return {};
    QRect visible = target;
    bool invertible = false;
    const QTransform inverse = painter.transform().inverted(&invertible);
    if (!invertible) return {};
    if (const QPaintDevice* device = painter.device()) {
        visible &= inverse.mapRect(QRect(0, 0, device->width(), device->height()));
    }
    if (painter.hasClipping()) visible &= painter.clipBoundingRect().toAlignedRect();
    return visible;
}

}  // namespace pictures
