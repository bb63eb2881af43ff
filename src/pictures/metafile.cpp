#include "pictures/metafile.h"

#include "pictures/errors.h"
#include "pictures/stream_io.h"

namespace pictures {
namespace {

constexpr std::uint32_t kEmfSignature = 0x464D4520;
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr int kPlaceableSize = 22;
constexpr int kEmfHeaderMin = 88;
constexpr int kWmfHeaderSize = 18;
constexpr int kScreenDpi = 96;
constexpr int kHundredthMmPerInch = 2540;

[[noreturn]] void Invalid() { throw EInvalidGraphic(QString::fromLatin1(kMetafileInvalid)); }

const std::uint8_t* Bytes(const QByteArray& b) {
    return reinterpret_cast<const std::uint8_t*>(b.constData());
}

std::uint16_t Checksum(const std::uint8_t* header) {
    std::uint16_t sum = 0;
    for (int i = 0; i < 10; ++i) sum ^= Le16(header + 2 * i);
    return sum;
}

}  // namespace

void TMetafile::Assign(const TGraphic& source) {
    const auto& other = dynamic_cast<const TMetafile&>(source);
    records_ = other.records_;
    enhanced_ = other.enhanced_;
    mmWidth_ = other.mmWidth_;
    mmHeight_ = other.mmHeight_;
    inch_ = other.inch_;
    Changed();
}

void TMetafile::LoadFromStream(QIODevice& stream) {
    const QByteArray data = ReadRest(stream);
    const std::uint8_t* p = Bytes(data);
    const qint64 n = data.size();
    if (n > 100 && Le32(p) == 1 && Le32(p + 40) == kEmfSignature) {
        // The header's own sizes must fit in the data, as the platform checks them.
        const std::uint32_t headerSize = Le32(p + 4), total = Le32(p + 48);
        if (headerSize < kEmfHeaderMin || headerSize > total || total > n || total <= 100) Invalid();
        const std::int64_t frameW = std::int64_t(std::int32_t(Le32(p + 32))) - std::int32_t(Le32(p + 24));
        const std::int64_t frameH = std::int64_t(std::int32_t(Le32(p + 36))) - std::int32_t(Le32(p + 28));
        records_ = data.left(total);
        enhanced_ = true;
        mmWidth_ = int(std::clamp<std::int64_t>(frameW, 0, INT32_MAX / kScreenDpi));
        mmHeight_ = int(std::clamp<std::int64_t>(frameH, 0, INT32_MAX / kScreenDpi));
        inch_ = 0;
        Changed();
        return;
    }
    if (n < kPlaceableSize + kWmfHeaderSize || Le32(p) != kPlaceableKey ||
        Le16(p + 20) != Checksum(p)) {
        Invalid();
    }
    // The Windows metafile behind the header: type 1 or 2 and a 9-word header.
    const std::uint8_t* wmf = p + kPlaceableSize;
    const std::uint16_t type = Le16(wmf), words = Le16(wmf + 2);
    if ((type != 1 && type != 2) || words != kWmfHeaderSize / 2) Invalid();
    const qint64 available = n - kPlaceableSize;
    const qint64 declared = qint64(Le32(wmf + 6)) * 2;
    const qint64 keep = declared >= kWmfHeaderSize && declared <= available ? declared : available;
    const int left = std::int16_t(Le16(p + 6)), top = std::int16_t(Le16(p + 8));
    const int right = std::int16_t(Le16(p + 10)), bottom = std::int16_t(Le16(p + 12));
    const int inch = Le16(p + 14);
    inch_ = inch;
    const int units = inch != 0 ? inch : kScreenDpi;
    mmWidth_ = std::max(0, (right - left) * kHundredthMmPerInch / units);
    mmHeight_ = std::max(0, (bottom - top) * kHundredthMmPerInch / units);
    records_ = data.mid(kPlaceableSize, keep);
    enhanced_ = false;
    Changed();
}

void TMetafile::SaveToStream(QIODevice& stream) const {
    if (records_.isEmpty()) return;
    if (enhanced_) {
        WriteAll(stream, records_);
        return;
    }
    const int units = inch_ != 0 ? inch_ : kScreenDpi;
    QByteArray header;
    PutLe32(header, kPlaceableKey);
    PutLe16(header, 0);  // handle
    PutLe16(header, 0);
    PutLe16(header, 0);
    PutLe16(header, std::uint32_t(std::int64_t(mmWidth_) * units / kHundredthMmPerInch));
    PutLe16(header, std::uint32_t(std::int64_t(mmHeight_) * units / kHundredthMmPerInch));
    PutLe16(header, std::uint32_t(units));
    PutLe32(header, 0);  // reserved
    PutLe16(header, Checksum(Bytes(header)));
    WriteAll(stream, header);
    WriteAll(stream, records_);
}

int TMetafile::Width() const { return int(std::int64_t(mmWidth_) * kScreenDpi / kHundredthMmPerInch); }
int TMetafile::Height() const { return int(std::int64_t(mmHeight_) * kScreenDpi / kHundredthMmPerInch); }

}  // namespace pictures
