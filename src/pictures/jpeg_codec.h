#pragma once
// libjpeg behind the JPEG kind: the header at load, the full decoding at first draw.

#include <QByteArray>
#include <memory>

#include "pictures/dib_section.h"

namespace pictures {

struct JpegHeader {
    int width = 0;
    int height = 0;
    bool greyscale = false;
    bool progressive = false;
};

// Reads the header of the JPEG data. Raises EJPEG with libjpeg's message code.
JpegHeader ReadJpegHeader(const QByteArray& data);

// Decodes the data at full scale into a top-down section: 24 bits, or 8-bit grey for a
// greyscale picture. A truncated file decodes what it can. Raises EJPEG.
std::shared_ptr<DibSection> DecodeJpeg(const QByteArray& data);

}  // namespace pictures
