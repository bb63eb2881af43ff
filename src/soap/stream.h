#pragma once
// Byte streams between the SOAP layer and the transport: seekable, with a known size.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace soap {

class Stream {
  public:
    virtual ~Stream() = default;
    // Reads up to `size` bytes at the position; 0 at the end.
    virtual std::size_t Read(std::uint8_t* data, std::size_t size) = 0;
    // Writes at the position, growing the stream as needed.
    virtual void Write(const std::uint8_t* data, std::size_t size) = 0;
    virtual std::uint64_t Size() const = 0;
    virtual std::uint64_t Position() const = 0;
    virtual void Seek(std::uint64_t position) = 0;
};

class MemoryStream final : public Stream {
  public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::size_t Read(std::uint8_t* data, std::size_t size) override;
    void Write(const std::uint8_t* data, std::size_t size) override;
    std::uint64_t Size() const override { return bytes_.size(); }
    std::uint64_t Position() const override { return position_; }
    void Seek(std::uint64_t position) override;

    std::span<const std::uint8_t> Bytes() const { return bytes_; }
    std::vector<std::uint8_t> Take() {
        position_ = 0;
        return std::move(bytes_);
    }
    void Reserve(std::size_t size) { bytes_.reserve(size); }

  private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

}  // namespace soap
