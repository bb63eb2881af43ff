#pragma once
// The one wrapper of libjpeg: a decompressor owned for one picture, whose errors come
// out as exceptions instead of libjpeg's jumps. The picture kinds and the service both
// decode through it.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>

namespace jpeg {

// libjpeg refused the data: its message code and text.
class Error : public std::runtime_error {
  public:
    Error(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int Code() const noexcept { return code_; }

  private:
    int code_;
};

struct Header {
    int width = 0, height = 0;
    int components = 0;
    bool greyscale = false;  // one grey channel
    bool cmyk = false;       // CMYK or YCCK inks
    bool progressive = false;
};

enum class Output { Grey, Rgb, Bgr };

struct Limits {
    long max_memory = 0;  // libjpeg's own working memory; 0 leaves its default
    // A progressive file may announce far more scans than any encoder writes; past this
    // the decoding ends quietly with what it has. 0: no limit.
    int max_scans = 0;
    // Called with each warning libjpeg gives (a truncated file, a damaged marker).
    std::function<void(const std::string&)> on_warning;
};

class Decoder {
  public:
    // Reads the header; throws Error. The bytes must outlive the decoder.
    Decoder(std::span<const std::uint8_t> bytes, Limits limits = {});
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    const Header& header() const { return header_; }

    // Starts decoding at `eighths`/8 of the picture's size (1 to 8); grey pictures come
    // out grey whatever `colour` says, CMYK inks as `colour`. Throws Error.
    void Start(Output colour, int eighths = 8);
    int OutputWidth() const;
    int OutputHeight() const;
    int OutputChannels() const;  // 1 or 3
    // Decodes the next row into `row` (OutputWidth() * OutputChannels() bytes, plus one
    // more byte a pixel while CMYK is decoded); false once every row is read or the scan
    // limit stopped the decoding. Throws Error.
    bool ReadRow(std::uint8_t* row);
    // Reads the file to its end once every row is read; throws Error.
    void Finish();
    // Bytes a row needs while it is decoded.
    std::size_t RowBytes() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
    Header header_;
};

// True when the JPEG is progressive, from its markers alone: libjpeg then holds every
// DCT coefficient of the picture, 2 bytes a sample, whatever the scale it decodes at.
bool IsProgressive(std::span<const std::uint8_t> bytes);

}  // namespace jpeg
