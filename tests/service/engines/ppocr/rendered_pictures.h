#pragma once
// Pictures of known text, rendered with ImageMagick and the Noto CJK fonts, in
// the styles users send: product posters, prices, small UI text, dark mode,
// photographed signs and mixed-script lines.

#include <cstdint>
#include <string>
#include <vector>

namespace quillory::testing {

struct RenderedPicture {
    std::string style;
    std::vector<std::string> lines;  // the text drawn, top to bottom
    std::vector<std::uint8_t> png;
};

// One ImageMagick command line without the output; throws when it fails.
std::vector<std::uint8_t> RenderPng(const std::vector<std::string>& arguments);
// The same, written in ImageMagick's `format` (png, jpg…).
std::vector<std::uint8_t> RenderPicture(const std::vector<std::string>& arguments,
                                        const std::string& format);

// The test set: a few pictures per style.
std::vector<RenderedPicture> RenderTestSet();

// The two-line 1000 x 300 picture the benchmark reads.
RenderedPicture RenderBenchPicture();

}  // namespace quillory::testing
