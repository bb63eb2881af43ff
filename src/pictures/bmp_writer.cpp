#include "pictures/bmp_format.h"
#include "pictures/stream_io.h"

namespace pictures {
namespace {

// The header, masks and colour table between the file header and the pixels.
QByteArray InfoBytes(const DibSection& s, std::uint32_t imageSize) {
    std::vector<std::uint32_t> table = s.colours;
    if (s.clrUsed != 0 && s.clrUsed < table.size()) table.resize(s.clrUsed);
    if (table.empty() && !s.os2 && !s.palette.empty()) table = s.palette;

    std::array<std::uint32_t, 3> masks = s.masks;
    if (s.compression == kBiBitfields && (masks[0] | masks[1] | masks[2]) == 0) {
        masks = s.bitCount == 16 ? std::array<std::uint32_t, 3>{0xF800, 0x07E0, 0x001F}
                                 : std::array<std::uint32_t, 3>{0xFF0000, 0xFF00, 0xFF};
    }
    const std::uint32_t clrUsed = table.empty() ? s.clrUsed : std::uint32_t(table.size());

    QByteArray info;
    if (s.os2) {
        PutLe32(info, 12);
        PutLe16(info, std::uint32_t(s.width));
        PutLe16(info, std::uint32_t(s.height));
        PutLe16(info, 1);
        PutLe16(info, s.bitCount);
        for (std::uint32_t c : table) {
            info.append(char(c & 0xFF)).append(char((c >> 8) & 0xFF)).append(char((c >> 16) & 0xFF));
        }
    } else {
        PutLe32(info, 40);
        PutLe32(info, std::uint32_t(s.width));
        PutLe32(info, std::uint32_t(s.height));
        PutLe16(info, 1);
        PutLe16(info, s.bitCount);
        PutLe32(info, s.compression);
        PutLe32(info, imageSize);
        PutLe32(info, std::uint32_t(s.xPelsPerMeter));
        PutLe32(info, std::uint32_t(s.yPelsPerMeter));
        PutLe32(info, clrUsed);
        PutLe32(info, s.clrImportant);
        if (s.bitCount > 8 && s.compression == kBiBitfields) {
            for (std::uint32_t m : masks) PutLe32(info, m);
        }
        for (std::uint32_t c : table) PutLe32(info, c);
    }
    return info;
}

std::uint32_t ImageSize(const DibSection& s) {
    return std::uint32_t(s.Stride() * std::size_t(s.AbsHeight()));
}

}  // namespace

qint64 BmpSize(const DibSection& s) {
    if (!s.savedCopy.isEmpty()) return s.savedCopy.size();
    if (!s.HasPixels() || s.width <= 0 || s.height == 0) return 0;
    return 14 + InfoBytes(s, ImageSize(s)).size() + qint64(ImageSize(s));
}

void WriteBmp(const DibSection& s, QIODevice& stream) {
    if (!s.savedCopy.isEmpty()) {
        WriteAll(stream, s.savedCopy);
        return;
    }
    if (!s.HasPixels() || s.width <= 0 || s.height == 0) return;
    const std::uint32_t imageSize = ImageSize(s);
    const QByteArray info = InfoBytes(s, imageSize);

    QByteArray header;
    header.append("BM");
    PutLe32(header, std::uint32_t(14 + info.size() + imageSize));
    PutLe32(header, 0);
    PutLe32(header, std::uint32_t(14 + info.size()));
    WriteAll(stream, header);
    WriteAll(stream, info);
    WriteAll(stream, reinterpret_cast<const char*>(s.pixels.data()), imageSize);
}

}  // namespace pictures
