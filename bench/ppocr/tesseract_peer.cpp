#include "tesseract_peer.h"

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>

namespace quillory::bench {
namespace {

struct PixDeleter {
    void operator()(Pix* pix) const { pixDestroy(&pix); }
};
struct TextDeleter {
    void operator()(char* text) const { delete[] text; }
};

}  // namespace

TesseractPeer::TesseractPeer() : api_(std::make_unique<tesseract::TessBaseAPI>()) {
    if (api_->Init(nullptr, "chi_sim+eng") != 0)
        throw std::runtime_error("Tesseract failed to start");
}

TesseractPeer::~TesseractPeer() {
    api_->End();
}

std::vector<ocrgated::RecognizedLine> TesseractPeer::Recognize(
    std::span<const std::uint8_t> picture) {
    std::unique_ptr<Pix, PixDeleter> pix(pixReadMem(picture.data(), picture.size()));
    if (!pix)
        throw ocrgated::BadPicture("undecodable picture");
    api_->SetImage(pix.get());
    std::unique_ptr<char, TextDeleter> text(api_->GetUTF8Text());
    std::vector<ocrgated::RecognizedLine> lines;
    std::string all = text ? text.get() : "";
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find('\n', start);
        if (end == std::string::npos)
            end = all.size();
        const std::string line = all.substr(start, end - start);
        if (line.find_first_not_of(" \t\f") != std::string::npos)
            lines.push_back({.words = line});
        start = end + 1;
    }
    return lines;
}

}  // namespace quillory::bench
