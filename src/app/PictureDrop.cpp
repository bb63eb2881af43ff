#include "PictureDrop.h"

#include <QFileInfo>
#include <QMimeData>

#include "pictures/file_formats.h"

namespace quillory {

namespace {

bool IsWebAddress(const QUrl& url) {
    return url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https") &&
           !url.host().isEmpty();
}

DropContent Refused(const QString& reason) {
    DropContent content;
    content.kind = DropContent::Kind::Refused;
    content.reason = reason;
    return content;
}

DropContent FromUrl(const QUrl& url) {
    DropContent content;
    if (IsWebAddress(url)) {
        content.kind = DropContent::Kind::WebAddress;
        content.address = url;
        return content;
    }
    if (!url.isLocalFile())
        return Refused(QStringLiteral("无法使用这个地址：%1").arg(url.toDisplayString()));
    const QString path = url.toLocalFile();
    const QFileInfo file(path);
    if (!file.isFile())
        return Refused(QStringLiteral("不是文件：%1").arg(path));
    if (!pictures::FileFormats().Find(pictures::PictureExtension(path)))
        return Refused(QStringLiteral("不是图片文件：%1（可放入 JPEG、PNG 或 BMP 图片）")
                           .arg(file.fileName()));
    content.kind = DropContent::Kind::PictureFile;
    content.path = path;
    return content;
}

}  // namespace

DropContent ReadDrop(const QMimeData* data, bool addressFirst) {
    if (!data)
        return {};
    if (addressFirst && data->hasUrls() && data->urls().size() == 1 &&
        IsWebAddress(data->urls().first()))
        return FromUrl(data->urls().first());
    // A browser hands over a picture's data beside its address; the data needs no download.
    if (data->hasImage()) {
        DropContent content;
        content.image = qvariant_cast<QImage>(data->imageData());
        if (!content.image.isNull()) {
            content.kind = DropContent::Kind::Image;
            return content;
        }
    }
    if (data->hasUrls()) {
        const QList<QUrl> urls = data->urls();
        if (urls.size() > 1)
            return Refused(
                QStringLiteral("一次只能放入一个图片文件（放入了 %1 个）").arg(urls.size()));
        if (urls.size() == 1)
            return FromUrl(urls.first());
    }
    if (data->hasText()) {
        const QUrl url(data->text().trimmed(), QUrl::StrictMode);
        if (IsWebAddress(url))
            return FromUrl(url);
    }
    return {};
}

}  // namespace quillory
