#include "service/ppocr/pp_ocr_recognizer.h"

#include "service/pictures/picture_decoder.h"
#include "service/ppocr/line_geometry.h"
#include "service/ppocr/line_reader.h"
#include "service/ppocr/text_detector.h"

#include <leptonica/allheaders.h>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <limits>
#include <numeric>

namespace ocrgated::ppocr {
namespace {

// The service's decoder refuses oversized pictures from their header, before
// any pixel is decoded, and gives 8-bit grey or 32-bit RGB without alpha.
cv::Mat DecodeToBgr(std::span<const std::uint8_t> bytes) {
    const PixPtr pix = DecodePicture(bytes);
    const int width = pixGetWidth(pix.get()), height = pixGetHeight(pix.get());
    const int words_per_line = pixGetWpl(pix.get());
    const bool grey = pixGetDepth(pix.get()) == 8;
    cv::Mat picture(height, width, CV_8UC3);
    for (int y = 0; y < height; ++y) {
        const l_uint32* line =
            pixGetData(pix.get()) + static_cast<std::ptrdiff_t>(y) * words_per_line;
        auto* out = picture.ptr<cv::Vec3b>(y);
        for (int x = 0; x < width; ++x) {
            if (grey) {
                const auto value = static_cast<std::uint8_t>(GET_DATA_BYTE(line, x));
                out[x] = {value, value, value};
            } else {
                const l_uint32 rgb = line[x];
                out[x] = {static_cast<std::uint8_t>(rgb >> L_BLUE_SHIFT),
                          static_cast<std::uint8_t>(rgb >> L_GREEN_SHIFT),
                          static_cast<std::uint8_t>(rgb >> L_RED_SHIFT)};
            }
        }
    }
    return picture;
}

void FillConfidence(RecognizedLine& line, const std::vector<float>& probabilities) {
    const double n = static_cast<double>(probabilities.size());
    line.average = std::accumulate(probabilities.begin(), probabilities.end(), 0.0) / n;
    line.min = *std::min_element(probabilities.begin(), probabilities.end());
    double squares = 0;
    for (float p : probabilities)
        squares += (p - line.average) * (p - line.average);
    line.variance = squares / n;
}

}  // namespace

struct PpOcrRecognizer::Impl {
    Impl(std::shared_ptr<const PpOcrModels> models, const PpOcrOptions& options)
        : options(options),
          detector(models->detection, DetectorOptions{}),
          reader(models, options.classify_direction) {}

    PpOcrOptions options;
    TextDetector detector;
    LineReader reader;
};

PpOcrRecognizer::PpOcrRecognizer(std::shared_ptr<const PpOcrModels> models, PpOcrOptions options) {
    try {
        impl_ = std::make_unique<Impl>(std::move(models), options);
    } catch (const cv::Exception& e) {
        throw ModelsUnavailable(std::string("PP-OCR models failed to load: ") + e.err);
    }
}

PpOcrRecognizer::~PpOcrRecognizer() = default;

std::vector<RecognizedLine> PpOcrRecognizer::Recognize(std::span<const std::uint8_t> picture) {
    return Recognize(DecodeToBgr(picture));
}

std::vector<RecognizedLine> PpOcrRecognizer::Recognize(const cv::Mat& picture) {
    if (picture.empty())
        throw BadPicture("empty picture");
    if (static_cast<long long>(picture.cols) * picture.rows > impl_->options.max_pixels)
        throw PictureTooLarge("picture too large: " + std::to_string(picture.cols) + " x " +
                              std::to_string(picture.rows));
    try {
        const std::vector<TextBox> boxes = impl_->detector.Detect(picture);
        std::vector<cv::Mat> crops;
        std::vector<cv::Rect> bounds;
        for (const auto& box : boxes) {
            crops.push_back(CropLine(picture, box));
            bounds.push_back(
                cv::boundingRect(std::vector<cv::Point2f>(box.corners.begin(), box.corners.end())) &
                cv::Rect(0, 0, picture.cols, picture.rows));
        }
        const std::vector<DecodedText> texts = impl_->reader.Read(std::move(crops));

        std::vector<RecognizedLine> lines;
        for (std::size_t i : ReadingOrder(bounds)) {
            if (texts[i].text.empty())
                continue;
            RecognizedLine line;
            line.words = texts[i].text;
            line.left = bounds[i].x;
            line.top = bounds[i].y;
            line.width = bounds[i].width;
            line.height = bounds[i].height;
            FillConfidence(line, texts[i].probabilities);
            if (line.average < impl_->options.min_line_confidence)
                continue;
            lines.push_back(std::move(line));
        }
        return lines;
    } catch (const cv::Exception& e) {
        throw std::runtime_error(std::string("PP-OCR engine failed: ") + e.err);
    }
}

}  // namespace ocrgated::ppocr
