#pragma once
// Small helpers for reading little-endian picture files from a QIODevice.

#include <QByteArray>
#include <QIODevice>
#include <cstdint>
#include <cstring>

namespace pictures {

// Bytes between the device's position and its end (0 for sequential devices' unknown size).
qint64 Remaining(const QIODevice& device);

// Reads exactly `size` bytes or raises EReadError.
void ReadExact(QIODevice& device, void* buffer, qint64 size);

// Reads everything from the position to the end; the size is what the device reports.
QByteArray ReadRest(QIODevice& device);

// Writes all bytes or raises EReadError's counterpart for writes (a failed stream write).
void WriteAll(QIODevice& device, const char* data, qint64 size);
inline void WriteAll(QIODevice& device, const QByteArray& bytes) {
    WriteAll(device, bytes.constData(), bytes.size());
}

inline std::uint16_t Le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
inline std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
inline void PutLe16(QByteArray& out, std::uint32_t v) {
    out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}
inline void PutLe32(QByteArray& out, std::uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

}  // namespace pictures
