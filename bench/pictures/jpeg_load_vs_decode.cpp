// Loading a 6000 × 4000 JPEG (its bytes and header) against decoding it fully.
#include <QGuiApplication>

#include "bench_files.h"
#include "pictures/jpeg_image.h"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = bench_pictures::WritePhoto(dir, "photo.jpg", "jpeg");
    const double load = bench_pictures::Best(20, [&] {
        pictures::TJPEGImage jpeg;
        jpeg.LoadFromFile(path);
    });
    const double decode = bench_pictures::Best(3, [&] {
        pictures::TJPEGImage jpeg;
        jpeg.LoadFromFile(path);
        jpeg.Bitmap();
    });
    bench_pictures::Report("jpeg_load_vs_decode", "TJPEGImage load", load, "load and full decode",
                           decode);
}
