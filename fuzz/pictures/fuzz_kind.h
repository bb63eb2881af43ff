#pragma once
// Shared body of the picture fuzz targets: load the input as one kind, then save and draw
// whatever loaded. Errors of the kind's own classes are the expected outcome of bad input.

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <cstdint>
#include <cstdlib>

#include "pictures/errors.h"
#include "pictures/file_formats.h"

namespace fuzz_pictures {

inline void Start(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    pictures::RegisterPictureKinds();
    // QtGui's readers may claim up to the library's limit; the fuzzer keeps them smaller so
    // that its memory limit is about our code.
    QImageReader::setAllocationLimit(64);
}

// Saving or decoding a picture of many megapixels is slow but sound; the fuzzer stops after
// loading those to keep its pace and memory.
inline constexpr std::int64_t kMaxDrawnPixels = 4'000'000;

// `exactSize`: the saved picture reloads with the same size (a metafile's header rounds it).
template <typename Kind>
void Exercise(const std::uint8_t* data, std::size_t size, bool exactSize = true) {
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    Kind kind;
    try {
        kind.LoadFromStream(in);
    } catch (const pictures::EPictureError&) {
        return;
    }
    if (std::int64_t(kind.Width()) * kind.Height() > kMaxDrawnPixels) return;
    try {
        const QByteArray saved = kind.SaveToBytes();
        // A saved picture must load again as the same kind with the same size.
        QBuffer again;
        again.setData(saved);
        again.open(QIODevice::ReadOnly);
        Kind reloaded;
        reloaded.LoadFromStream(again);
        if (exactSize && (reloaded.Width() != kind.Width() || reloaded.Height() != kind.Height())) {
            std::abort();
        }
    } catch (const pictures::EPictureError&) {
        if (kind.Empty()) return;
        std::abort();
    }
    QImage target(48, 32, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter painter(&target);
    try {
        kind.Draw(painter, target.rect());
        kind.Draw(painter, QRect(-7, -3, std::min(kind.Width(), 4096) + 1, std::min(kind.Height(), 4096) + 1));
    } catch (const pictures::EPictureError&) {
    }
}

}  // namespace fuzz_pictures
