#include <QBuffer>
#include <cstring>
#include <vector>

#include "pictures/bmp_format.h"
#include "pictures/errors.h"
#include "pictures/stream_io.h"

namespace pictures {
namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic(QString::fromLatin1(kBitmapInvalid)); }

bool KnownDepth(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Refuses what the platform would refuse to make a section of.
void CheckGeometry(const DibSection& s) {
    const bool rle = s.compression == kBiRle8 || s.compression == kBiRle4;
    if (s.width <= 0 || s.height == 0 || s.height == INT32_MIN) Invalid();
    if (s.compression == kBiRgb || s.compression == kBiBitfields || rle) {
        if (!KnownDepth(s.bitCount)) Invalid();
    }
    if (s.compression == kBiBitfields && s.bitCount != 16 && s.bitCount != 32) Invalid();
    if (s.compression == kBiRle8 && (s.bitCount != 8 || s.height < 0)) Invalid();
    if (s.compression == kBiRle4 && (s.bitCount != 4 || s.height < 0)) Invalid();
    const int bits = rle ? 8 : s.bitCount;
    // Stride and height are checked apart so that their product cannot overflow.
    if (bits > 0 && std::int64_t(DibSection::StrideFor(s.width, bits)) > kMaxPixelBytes / s.AbsHeight()) {
        Invalid();
    }
}

// Reads the info header (any size) into `s`; returns its planes field.
std::uint16_t ReadHeader(QIODevice& in, DibSection& s, QByteArray& raw) {
    std::uint8_t sizeField[4];
    ReadExact(in, sizeField, 4);
    raw.append(reinterpret_cast<const char*>(sizeField), 4);
    const std::uint32_t headerSize = Le32(sizeField);
    std::uint16_t planes = 1;
    if (headerSize == 12) {
        std::uint8_t core[8];
        ReadExact(in, core, 8);
        raw.append(reinterpret_cast<const char*>(core), 8);
        s.os2 = true;
        s.width = Le16(core);
        s.height = Le16(core + 2);
        planes = Le16(core + 4);
        s.bitCount = Le16(core + 6);
    } else {
        const qint64 rest = headerSize >= 4 ? qint64(headerSize) - 4 : 0;
        if (rest > Remaining(in)) throw EReadError();
        QByteArray body(rest, Qt::Uninitialized);
        ReadExact(in, body.data(), rest);
        raw.append(body);
        std::uint8_t h[60] = {};
        std::memcpy(h, raw.constData(), std::size_t(std::min<qint64>(raw.size(), sizeof h)));
        s.width = std::int32_t(Le32(h + 4));
        s.height = std::int32_t(Le32(h + 8));
        planes = Le16(h + 12);
        s.bitCount = Le16(h + 14);
        s.compression = Le32(h + 16);
        s.xPelsPerMeter = std::int32_t(Le32(h + 24));
        s.yPelsPerMeter = std::int32_t(Le32(h + 28));
        s.clrUsed = Le32(h + 32);
        s.clrImportant = Le32(h + 36);
        if (headerSize >= 52) s.masks = {Le32(h + 40), Le32(h + 44), Le32(h + 48)};
    }
    s.pixelBits = s.bitCount;
    return planes;
}

std::uint32_t ImageSizeField(const QByteArray& raw) {
    if (raw.size() < 24) return 0;
    return Le32(reinterpret_cast<const std::uint8_t*>(raw.constData()) + 20);
}

}  // namespace

std::shared_ptr<DibSection> ReadBmp(QIODevice& stream) {
    if (Remaining(stream) == 0) return nullptr;
    auto s = std::make_shared<DibSection>();
    const qint64 start = stream.pos();
    std::uint8_t fileHeader[14];
    ReadExact(stream, fileHeader, 14);
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M') Invalid();
    QByteArray raw;
    // The planes check comes after a compressed file has been copied, as the rules order it.
    const bool planesBad = ReadHeader(stream, *s, raw) != 1;

    // A compressed file is kept whole; the rest is read from the copy.
    QBuffer copy;
    QIODevice* in = &stream;
    if (s->compression != kBiRgb && s->compression != kBiBitfields) {
        s->savedCopy.reserve(14 + raw.size() + Remaining(stream));
        s->savedCopy.append(reinterpret_cast<const char*>(fileHeader), 14).append(raw);
        const qint64 afterHeader = s->savedCopy.size();
        s->savedCopy.append(ReadRest(stream));
        copy.setData(s->savedCopy);
        copy.open(QIODevice::ReadOnly);
        copy.seek(afterHeader);
        in = &copy;
    }
    if (planesBad) Invalid();
    CheckGeometry(*s);

    if (raw.size() == 40 && (s->bitCount == 16 || s->bitCount == 32) &&
        s->compression == kBiBitfields) {
        std::uint8_t m[12];
        ReadExact(*in, m, 12);
        s->masks = {Le32(m), Le32(m + 4), Le32(m + 8)};
    }

    std::uint64_t count = s->clrUsed;
    if (count == 0 && (s->bitCount == 1 || s->bitCount == 4 || s->bitCount == 8)) {
        count = std::uint64_t(1) << s->bitCount;
    }
    const int entry = s->os2 ? 3 : 4;
    if (count * entry > std::uint64_t(Remaining(*in))) throw EReadError();
    QByteArray table(qint64(count * entry), Qt::Uninitialized);
    ReadExact(*in, table.data(), table.size());
    const std::size_t keep = s->bitCount <= 8
                                 ? std::min<std::uint64_t>(count, std::uint64_t(1) << s->bitCount)
                                 : std::min<std::uint64_t>(count, 256);
    std::vector<std::uint32_t> entries(keep);
    const auto* t = reinterpret_cast<const std::uint8_t*>(table.constData());
    for (std::size_t i = 0; i < keep; ++i) {
        const std::uint8_t* e = t + i * std::size_t(entry);
        entries[i] = (std::uint32_t(e[2]) << 16) | (std::uint32_t(e[1]) << 8) | e[0];
    }
    if (s->bitCount <= 8) {
        s->colours = std::move(entries);
    } else {
        s->palette = std::move(entries);
    }

    // Pixels that the file places further on (a gap after the table) are taken from where
    // the header says they start; an offset that points backwards or past the end is ignored.
    const qint64 here = in == &stream ? stream.pos() - start : copy.pos();
    const qint64 gap = qint64(Le32(fileHeader + 10)) - here;
    if (gap > 0 && gap < Remaining(*in) && in->skip(gap) != gap) throw EReadError();
    std::int64_t imageSize = s->os2 ? 0 : ImageSizeField(raw);
    if (imageSize == 0) {
        imageSize = std::int64_t(DibSection::StrideFor(s->width, s->bitCount)) * s->AbsHeight();
    }
    const std::int64_t available = std::min<std::int64_t>(imageSize, Remaining(*in));

    if (s->compression == kBiRgb || s->compression == kBiBitfields) {
        const std::size_t memory = s->Stride() * std::size_t(s->AbsHeight());
        s->pixels = PixelMemory(memory);
        ReadExact(*in, s->pixels.data(), std::min<std::int64_t>(available, std::int64_t(memory)));
    } else if (s->compression == kBiRle8 || s->compression == kBiRle4) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(s->savedCopy.constData()) + in->pos();
        DecodeRle(data, std::size_t(available), s->compression == kBiRle4, *s);
    }
    return s;
}

}  // namespace pictures
