#include "jpeg/decoder.h"

// clang-format off
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

namespace jpeg {
namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    int code;
    bool stopped;  // cut short by the scan limit, not an error
    char message[JMSG_LENGTH_MAX];
    const Limits* limits;
};

void OnError(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    errors->code = errors->base.msg_code;
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// Trace messages (level >= 0) are dropped; the first warning of a picture goes to the
// caller's callback, as libjpeg itself would print only that one.
void OnMessage(j_common_ptr info, int level) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    if (level >= 0 || errors->base.num_warnings++ > 0 || !errors->limits->on_warning)
        return;
    char message[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, message);
    errors->limits->on_warning(message);
}

void OnProgress(j_common_ptr info) {
    auto* d = reinterpret_cast<j_decompress_ptr>(info);
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    if (errors->limits->max_scans > 0 && d->input_scan_number > errors->limits->max_scans) {
        errors->stopped = true;
        std::longjmp(errors->jump, 1);
    }
}

// Adobe's CMYK JPEGs store their inks inverted. Narrowed in place to three bytes a pixel.
void CmykToColour(JSAMPROW row, JDIMENSION width, bool inverted, bool bgr) {
    for (JDIMENSION x = 0; x < width; ++x) {
        int c = row[4 * x], m = row[4 * x + 1], y = row[4 * x + 2], k = row[4 * x + 3];
        if (!inverted)
            c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        const JSAMPLE red = JSAMPLE(c * k / 255), green = JSAMPLE(m * k / 255),
                      blue = JSAMPLE(y * k / 255);
        row[3 * x] = bgr ? blue : red;
        row[3 * x + 1] = green;
        row[3 * x + 2] = bgr ? red : blue;
    }
}

}  // namespace

struct Decoder::State {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    jpeg_progress_mgr progress{};
    Limits limits;
    bool created = false, cmyk_out = false, bgr = false, done = false;

    ~State() {
        if (created)
            jpeg_destroy_decompress(&info);
    }

    [[noreturn]] void Raise() const { throw Error(errors.code, errors.message); }
};

// Every libjpeg call runs in a frame that holds nothing with a destructor, so that its
// errors may jump back there; the jump becomes an exception once back.
#define JPEG_GUARDED(state, call)                  \
    do {                                           \
        if (setjmp((state).errors.jump)) {         \
            if ((state).errors.stopped)            \
                (state).done = true;               \
            else                                   \
                (state).Raise();                   \
        } else {                                   \
            call;                                  \
        }                                          \
    } while (0)

Decoder::Decoder(std::span<const std::uint8_t> bytes, Limits limits)
    : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.limits = std::move(limits);
    s.info.err = jpeg_std_error(&s.errors.base);
    s.errors.base.error_exit = OnError;
    s.errors.base.emit_message = OnMessage;
    s.errors.limits = &s.limits;
    s.progress.progress_monitor = OnProgress;
    JPEG_GUARDED(s, jpeg_create_decompress(&s.info));
    s.created = true;
    s.info.progress = &s.progress;
    if (s.limits.max_memory > 0)
        s.info.mem->max_memory_to_use = s.limits.max_memory;
    // An empty source is libjpeg's "empty input" error, raised here the same way.
    if (bytes.empty()) {
        s.errors.code = JERR_INPUT_EMPTY;
        std::snprintf(s.errors.message, sizeof s.errors.message, "Empty input file");
        s.Raise();
    }
    JPEG_GUARDED(s, jpeg_mem_src(&s.info, bytes.data(), static_cast<unsigned long>(bytes.size()));
                 jpeg_read_header(&s.info, TRUE));
    header_.width = int(s.info.image_width);
    header_.height = int(s.info.image_height);
    header_.components = s.info.num_components;
    header_.greyscale = s.info.jpeg_color_space == JCS_GRAYSCALE;
    header_.cmyk = s.info.jpeg_color_space == JCS_CMYK || s.info.jpeg_color_space == JCS_YCCK;
    header_.progressive = jpeg_has_multiple_scans(&s.info);
}

Decoder::~Decoder() = default;

void Decoder::Start(Output colour, int eighths) {
    State& s = *state_;
    const bool grey = colour == Output::Grey || s.info.num_components == 1;
    s.cmyk_out = !grey && header_.cmyk;
    s.bgr = colour == Output::Bgr;
    s.info.out_color_space = grey ? JCS_GRAYSCALE
                             : s.cmyk_out ? JCS_CMYK
                             : s.bgr      ? JCS_EXT_BGR
                                          : JCS_RGB;
    s.info.scale_num = static_cast<unsigned>(eighths);
    s.info.scale_denom = 8;
    JPEG_GUARDED(s, jpeg_start_decompress(&s.info));
}

int Decoder::OutputWidth() const {
    return int(state_->info.output_width);
}

int Decoder::OutputHeight() const {
    return int(state_->info.output_height);
}

int Decoder::OutputChannels() const {
    return state_->info.out_color_space == JCS_GRAYSCALE ? 1 : 3;
}

std::size_t Decoder::RowBytes() const {
    return std::size_t(state_->info.output_width) * (state_->cmyk_out ? 4 : OutputChannels());
}

bool Decoder::ReadRow(std::uint8_t* row) {
    State& s = *state_;
    if (s.done || s.info.output_scanline >= s.info.output_height)
        return false;
    JSAMPROW rows[1] = {row};
    JPEG_GUARDED(s, jpeg_read_scanlines(&s.info, rows, 1));
    if (s.done)
        return false;
    if (s.cmyk_out)
        CmykToColour(row, s.info.output_width, s.info.saw_Adobe_marker, s.bgr);
    return true;
}

void Decoder::Finish() {
    State& s = *state_;
    if (!s.done)
        JPEG_GUARDED(s, jpeg_finish_decompress(&s.info));
    s.done = true;
}

bool IsProgressive(std::span<const std::uint8_t> bytes) {
    // Segments from the start of the file to the first frame header: SOF2, 6, 10 and 14
    // start progressive frames.
    std::size_t at = 2;
    while (at + 4 <= bytes.size() && bytes[at] == 0xFF) {
        const std::uint8_t marker = bytes[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame)
            return (marker & 0x03) == 0x02;
        if (marker == 0xDA)
            return false;
        at += 2 + (std::size_t(bytes[at + 2]) << 8 | bytes[at + 3]);
    }
    return false;
}

}  // namespace jpeg
