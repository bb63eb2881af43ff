#include "pictures/graphic.h"

#include <QBuffer>
#include <QFile>

#include "pictures/errors.h"

namespace pictures {

std::unique_ptr<TGraphic> TGraphic::Clone() const {
    auto copy = Create();
    copy->Assign(*this);
    return copy;
}

void TGraphic::LoadFromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw EFOpenError(path, file.errorString());
    LoadFromStream(file);
}

void TGraphic::SaveToFile(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        throw EFOpenError(path, file.errorString());
    }
    SaveToStream(file);
}

QByteArray TGraphic::SaveToBytes() const {
    QByteArray bytes;
    bytes.reserve(SavedSize());
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    SaveToStream(buffer);
    return bytes;
}

void TGraphic::SetTransparent(bool transparent) {
    if (transparent == transparent_) return;
    transparent_ = transparent;
    Changed();
}

void TGraphic::Changed() {
    modified_ = true;
    if (onChange_) onChange_();
}

}  // namespace pictures
