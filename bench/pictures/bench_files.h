#pragma once
// The 6000 × 4000 pictures the picture benchmarks measure, and a best-of-N timer.

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

namespace bench_pictures {

inline constexpr int kWidth = 6000;
inline constexpr int kHeight = 4000;

// A photo-like picture: smooth gradients with fine texture, so the codecs do real work.
inline QImage Photo() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            const int noise = (x * 7919 + y * 104729) % 23;
            line[x] = qRgb((x / 24 + noise) & 0xFF, (y / 16 + noise) & 0xFF, ((x + y) / 40) & 0xFF);
        }
    }
    return image;
}

inline QString WritePhoto(const QTemporaryDir& dir, const char* name, const char* format) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    QImageWriter writer(path, format);
    writer.setQuality(90);
    if (!writer.write(Photo())) {
        std::fprintf(stderr, "cannot write %s\n", name);
        std::exit(1);
    }
    return path;
}

// Best of `runs` timings of `work`, in seconds.
inline double Best(int runs, const std::function<void()>& work) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

inline void Report(const char* name, const char* ours, double oursSeconds, const char* peer,
                   double peerSeconds) {
    std::printf("%s: %.3f ms\n%s: %.3f ms\n", ours, oursSeconds * 1e3, peer, peerSeconds * 1e3);
    std::printf("ratio %s=%.4f\n", name, oursSeconds / peerSeconds);
}

}  // namespace bench_pictures
