#pragma once
// Errors raised by the picture kinds. Every class carries its message; the texts are
// the fixed ones the window shows to the user.

#include <QString>

#include "base/exception.h"

namespace pictures {

// Base of every picture error, under the system's one error base.
class EPictureError : public quillory::Exception {
  public:
    explicit EPictureError(const QString& message);
    QString Message() const { return QString::fromUtf8(what()); }
};

class EInvalidGraphic : public EPictureError {
  public:
    using EPictureError::EPictureError;
};

class EInvalidGraphicOperation : public EPictureError {
  public:
    using EPictureError::EPictureError;
};

class EJPEG : public EPictureError {
  public:
    explicit EJPEG(int code);
    int Code() const { return code_; }

  private:
    int code_;
};

class EGdipError : public EPictureError {
  public:
    explicit EGdipError(int status);
    int Status() const { return status_; }

  private:
    int status_;
};

class EFOpenError : public EPictureError {
  public:
    EFOpenError(const QString& path, const QString& systemText);
};

class EReadError : public EPictureError {
  public:
    EReadError();
};

// The fixed texts, for the throw sites and the tests.
inline const char* const kUnknownExtension = "Unknown picture file extension (.%1)";
inline const char* const kBitmapInvalid = "Bitmap image is not valid";
inline const char* const kIconInvalid = "Icon image is not valid";
inline const char* const kMetafileInvalid = "Metafile is not valid";
inline const char* const kJpegSizeChange = "Cannot change the size of a JPEG image";

// libjpeg message codes the kinds raise themselves.
inline constexpr int kJpegInputEmpty = 42;
inline constexpr int kJpegNoSoi = 53;
inline constexpr int kJpegOutOfMemory = 54;

// Status codes of the PNG kind's failures.
inline constexpr int kGdipInvalidParameter = 2;
inline constexpr int kGdipOutOfMemory = 3;
inline constexpr int kGdipWin32Error = 7;

// Largest pixel memory a picture may claim; larger headers are refused as invalid.
inline constexpr qint64 kMaxPixelBytes = qint64(1) << 30;
inline constexpr qint64 kMaxPixelBytesMb = kMaxPixelBytes >> 20;

}  // namespace pictures
