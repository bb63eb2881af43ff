#include "soap/stream.h"

#include <algorithm>
#include <cstring>

namespace soap {

std::size_t MemoryStream::Read(std::uint8_t* data, std::size_t size) {
    const std::size_t n = std::min(size, bytes_.size() - std::min(position_, bytes_.size()));
    if (n > 0)
        std::memcpy(data, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

void MemoryStream::Write(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return;
    if (position_ == bytes_.size()) {
        bytes_.insert(bytes_.end(), data, data + size);
    } else {
        if (position_ + size > bytes_.size())
            bytes_.resize(position_ + size);
        std::memcpy(bytes_.data() + position_, data, size);
    }
    position_ += size;
}

void MemoryStream::Seek(std::uint64_t position) {
    position_ = static_cast<std::size_t>(std::min<std::uint64_t>(position, bytes_.size()));
}

}  // namespace soap
