#define ZX_USE_UTF8 1
#include "service/codes/code_finder.h"

#include <ZXing/ReadBarcode.h>

#include <opencv2/imgcodecs.hpp>

#include <algorithm>
#include <climits>

#include "service/common/picture_errors.h"
#include "service/pictures/picture_decoder.h"

namespace ocrgated {
namespace {

// The names the cloud API's code endpoint gives each kind.
std::string TypeName(ZXing::BarcodeFormat format) {
    using F = ZXing::BarcodeFormat;
    switch (format) {
        case F::QRCode:
            return "QR_CODE";
        case F::MicroQRCode:
            return "MICRO_QR_CODE";
        case F::DataMatrix:
            return "DATA_MATRIX";
        case F::Aztec:
            return "AZTEC";
        case F::PDF417:
            return "PDF_417";
        case F::MaxiCode:
            return "MAXICODE";
        case F::EAN8:
            return "EAN_8";
        case F::EAN13:
            return "EAN_13";
        case F::UPCA:
            return "UPC_A";
        case F::UPCE:
            return "UPC_E";
        case F::Code39:
            return "CODE_39";
        case F::Code93:
            return "CODE_93";
        case F::Code128:
            return "CODE_128";
        case F::ITF:
            return "ITF";
        case F::Codabar:
            return "CODABAR";
        case F::DataBar:
            return "RSS_14";
        case F::DataBarExpanded:
            return "RSS_EXPANDED";
        default:
            return ZXing::ToString(format);
    }
}

}  // namespace

std::vector<RecognizedCode> FindCodes(std::span<const std::uint8_t> picture,
                                      std::uint64_t full_pixels) {
    // Measured before decoding: a small file may claim a huge picture.
    const auto size = PictureSize(picture);
    if (!size)
        throw BadPicture("The data is not a picture whose size can be read");
    const std::uint64_t pixels = std::uint64_t(size->first) * std::uint64_t(size->second);
    if (pixels > kMaxPicturePixels)
        throw PictureTooLarge("The picture has " + std::to_string(pixels) +
                              " pixels; at most " + std::to_string(kMaxPicturePixels) +
                              " are read");
    const int reduced = pixels > full_pixels ? 2 : 1;
    if (picture.size() > std::size_t(INT_MAX))
        throw PictureTooLarge("The picture is too large to search for codes");
    const cv::Mat encoded(1, int(picture.size()), CV_8UC1,
                          const_cast<std::uint8_t*>(picture.data()));
    cv::Mat grey;
    try {
        grey = cv::imdecode(encoded,
                            reduced == 2 ? cv::IMREAD_REDUCED_GRAYSCALE_2 : cv::IMREAD_GRAYSCALE);
    } catch (const cv::Exception&) {
        grey.release();
    }
    if (grey.empty())
        throw BadPicture("The picture cannot be decoded to search for codes");

    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::Any);
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    const ZXing::ImageView view(grey.data, grey.cols, grey.rows, ZXing::ImageFormat::Lum,
                                int(grey.step));
    std::vector<RecognizedCode> codes;
    for (const ZXing::Result& result : ZXing::ReadBarcodes(view, hints)) {
        if (!result.isValid())
            continue;
        const ZXing::Position& at = result.position();
        int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
        for (const ZXing::PointI& p : at) {
            left = std::min(left, p.x);
            top = std::min(top, p.y);
            right = std::max(right, p.x);
            bottom = std::max(bottom, p.y);
        }
        RecognizedCode code{TypeName(result.format()), result.text(), left * reduced,
                            top * reduced, (right - left + 1) * reduced,
                            (bottom - top + 1) * reduced};
        codes.push_back(std::move(code));
    }
    std::stable_sort(codes.begin(), codes.end(), [](const RecognizedCode& a, const RecognizedCode& b) {
        return a.top != b.top ? a.top < b.top : a.left < b.left;
    });
    return codes;
}

}  // namespace ocrgated
