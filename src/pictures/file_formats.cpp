#include "pictures/file_formats.h"

#include <QImageReader>
#include <QImageWriter>

#include "pictures/bitmap.h"
#include "pictures/icon.h"
#include "pictures/jpeg_image.h"
#include "pictures/metafile.h"
#include "pictures/ole_graphic.h"
#include "pictures/errors.h"
#include "pictures/png_graphic.h"

namespace pictures {
namespace {

template <typename Kind>
TGraphicClass ClassOf() {
    return [] { return std::unique_ptr<TGraphic>(std::make_unique<Kind>()); };
}

}  // namespace

void TFileFormatsList::Add(const QString& extension, const QString& description,
                           TGraphicClass graphicClass) {
    entries_.append({extension.toLower(), description, std::move(graphicClass)});
}

const TFileFormat* TFileFormatsList::Find(const QString& extension) const {
    const QString lowered = extension.toLower();
    for (auto it = entries_.crbegin(); it != entries_.crend(); ++it) {
        if (it->extension == lowered) return &*it;
    }
    return nullptr;
}

TFileFormatsList& FileFormats() {
    static TFileFormatsList list = [] {
        TFileFormatsList l;
        l.Add(QStringLiteral("wmf"), QStringLiteral("Metafiles"), ClassOf<TMetafile>());
        l.Add(QStringLiteral("emf"), QStringLiteral("Enhanced Metafiles"), ClassOf<TMetafile>());
        l.Add(QStringLiteral("ico"), QStringLiteral("Icons"), ClassOf<TIcon>());
        l.Add(QStringLiteral("bmp"), QStringLiteral("Bitmaps"), ClassOf<TBitmap>());
        return l;
    }();
    return list;
}

void RegisterPictureKinds() {
    static const bool done = [] {
        TFileFormatsList& list = FileFormats();
        // The pixel limit of every picture kind applies to QtGui's readers too.
        QImageReader::setAllocationLimit(int(kMaxPixelBytesMb));
        if (QImageWriter::supportedImageFormats().contains("png")) {
            list.Add(QStringLiteral("PNG"), QStringLiteral("Portable Network Graphics"),
                     ClassOf<TPngGraphic>());
        }
        list.Add(QString(), QString(), ClassOf<TOleGraphic>());
        list.Add(QStringLiteral("jpeg"), QStringLiteral("JPEG Image File"), ClassOf<TJPEGImage>());
        list.Add(QStringLiteral("jpg"), QStringLiteral("JPEG Image File"), ClassOf<TJPEGImage>());
        return true;
    }();
    (void)done;
}

QString PictureExtension(const QString& path) {
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        const QChar c = path[i];
        if (c == u'.') return path.mid(i + 1);
        if (c == u'/' || c == u'\\' || c == u':') return {};
    }
    return {};
}

}  // namespace pictures
