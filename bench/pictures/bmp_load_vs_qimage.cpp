// Loading a 6000 × 4000 24-bit BMP with TBitmap against QImage::load of the same file.
#include <QGuiApplication>

#include "bench_files.h"
#include "pictures/bitmap.h"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = bench_pictures::WritePhoto(dir, "photo.bmp", "bmp");
    const double ours = bench_pictures::Best(7, [&] {
        pictures::TBitmap bitmap;
        bitmap.LoadFromFile(path);
    });
    const double peer = bench_pictures::Best(7, [&] {
        QImage image;
        image.load(path);
    });
    bench_pictures::Report("bmp_load_vs_qimage", "TBitmap load", ours, "QImage::load", peer);
}
