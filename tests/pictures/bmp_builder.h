#pragma once
// Builds BMP files byte by byte for the tests.

#include <QByteArray>
#include <QString>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <optional>
#include <vector>

namespace testing_bmp {

inline void Le16(QByteArray& b, std::uint32_t v) { b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); }
inline void Le32(QByteArray& b, std::uint32_t v) { Le16(b, v & 0xFFFF); Le16(b, v >> 16); }

struct Bmp {
    std::uint32_t headerSize = 40;  // 12 for the OS/2 core header
    std::int32_t width = 3;
    std::int32_t height = 2;
    std::uint16_t planes = 1;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::optional<std::uint32_t> sizeImage{};  // default: row bytes × |height|
    std::uint32_t clrUsed = 0;
    std::vector<std::uint32_t> table{};       // 0x00RRGGBB entries
    std::vector<std::uint32_t> masks{};       // after a 40-byte header, inside a larger one
    std::optional<QByteArray> pixels{};       // default: a pattern filling every row
    QByteArray gap{};                         // bytes between the table and the pixels
    QByteArray trailing{};                    // bytes behind the pixels
    std::uint16_t reserved = 0;

    int Stride() const { return ((width * bits + 31) / 32) * 4; }
    int AbsHeight() const { return height < 0 ? -height : height; }

    QByteArray PixelBytes() const {
        if (pixels) return *pixels;
        QByteArray p;
        for (int i = 0; i < Stride() * AbsHeight(); ++i) p.append(char((i * 37 + 11) & 0xFF));
        return p;
    }

    QByteArray Build() const {
        QByteArray info;
        const QByteArray px = PixelBytes();
        if (headerSize == 12) {
            Le32(info, 12);
            Le16(info, std::uint32_t(width));
            Le16(info, std::uint32_t(height));
            Le16(info, planes);
            Le16(info, bits);
            for (auto c : table) info.append(char(c & 0xFF)).append(char((c >> 8) & 0xFF)).append(char((c >> 16) & 0xFF));
        } else {
            Le32(info, headerSize);
            Le32(info, std::uint32_t(width));
            Le32(info, std::uint32_t(height));
            Le16(info, planes);
            Le16(info, bits);
            Le32(info, compression);
            Le32(info, sizeImage.value_or(std::uint32_t(px.size())));
            Le32(info, 2835);
            Le32(info, 2835);
            Le32(info, clrUsed);
            Le32(info, 0);
            if (headerSize > 40) {
                QByteArray extra;
                for (auto m : masks) Le32(extra, m);
                extra.resize(headerSize - 40, '\0');
                info.append(extra);
            } else {
                for (auto m : masks) Le32(info, m);
            }
            for (auto c : table) Le32(info, c);
        }
        QByteArray file("BM");
        const std::uint32_t offset = std::uint32_t(14 + info.size() + gap.size());
        Le32(file, offset + std::uint32_t(px.size()) + std::uint32_t(trailing.size()));
        Le16(file, reserved);
        Le16(file, 0);
        Le32(file, offset);
        return file + info + gap + px + trailing;
    }
};

inline std::vector<std::uint32_t> GreyTable(int n) {
    std::vector<std::uint32_t> t;
    for (int i = 0; i < n; ++i) {
        const std::uint32_t v = std::uint32_t(i * 255 / (n > 1 ? n - 1 : 1));
        t.push_back((v << 16) | ((255 - v) << 8) | (v / 2));
    }
    return t;
}

// Writes bytes to a file in a temporary folder and returns its path.
inline QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

}  // namespace testing_bmp
