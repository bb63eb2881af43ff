// Serialising a loaded 6000 × 4000 24-bit BMP against copying the file's bytes.
#include <QGuiApplication>

#include "bench_files.h"
#include "pictures/bitmap.h"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = bench_pictures::WritePhoto(dir, "photo.bmp", "bmp");
    pictures::TBitmap bitmap;
    bitmap.LoadFromFile(path);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    qint64 sink = 0;
    const double ours = bench_pictures::Best(9, [&] { sink += bitmap.SaveToBytes().size(); });
    const double peer = bench_pictures::Best(9, [&] {
        QByteArray copy(bytes.constData(), bytes.size());
        sink += copy.size();
    });
    if (sink != 18 * bytes.size()) return 1;  // both must produce the whole file every time
    bench_pictures::Report("bmp_save_vs_copy", "TBitmap save", ours, "byte copy", peer);
}
