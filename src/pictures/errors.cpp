#include "pictures/errors.h"

namespace pictures {

EPictureError::EPictureError(const QString& message)
    : std::runtime_error(message.toUtf8().toStdString()) {}

EJPEG::EJPEG(int code) : EPictureError(QStringLiteral("JPEG error #%1").arg(code)), code_(code) {}

EGdipError::EGdipError(int status)
    : EPictureError(QStringLiteral("Invalid operation in GDI+ (Code: %1)").arg(status)),
      status_(status) {}

EFOpenError::EFOpenError(const QString& path, const QString& systemText)
    : EPictureError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, systemText)) {}

EReadError::EReadError() : EPictureError(QStringLiteral("Stream read error")) {}

}  // namespace pictures
