#include "service/ppocr/pp_ocr_recognizer.h"

#include "service/ppocr/line_geometry.h"
#include "service/ppocr/line_reader.h"
#include "service/ppocr/text_detector.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <limits>
#include <numeric>

namespace ocrgated::ppocr {
namespace {

// Any picture OpenCV decodes, as 8-bit BGR; transparent parts show white,
// the way a viewer shows them.
cv::Mat DecodePicture(std::span<const std::uint8_t> bytes) {
    if (bytes.empty())
        throw BadPicture("empty picture");
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        throw PictureTooLarge("picture too large");
    const cv::Mat buffer(1, static_cast<int>(bytes.size()), CV_8U,
                         const_cast<std::uint8_t*>(bytes.data()));
    cv::Mat picture;
    try {
        picture = cv::imdecode(buffer, cv::IMREAD_UNCHANGED | cv::IMREAD_IGNORE_ORIENTATION);
    } catch (const cv::Exception& e) {
        throw BadPicture(std::string("undecodable picture: ") + e.err);
    }
    if (picture.empty())
        throw BadPicture("undecodable picture");
    if (picture.depth() != CV_8U) {
        const double scale = picture.depth() == CV_16U ? 1.0 / 257 : 1.0;
        picture.convertTo(picture, CV_8U, scale);
    }
    switch (picture.channels()) {
        case 1:
            cv::cvtColor(picture, picture, cv::COLOR_GRAY2BGR);
            break;
        case 3:
            break;
        case 4: {
            cv::Mat channels[4];
            cv::split(picture, channels);
            cv::Mat alpha;
            channels[3].convertTo(alpha, CV_32F, 1.0 / 255);
            for (int c = 0; c < 3; ++c) {
                cv::Mat colour;
                channels[c].convertTo(colour, CV_32F);
                colour = colour.mul(alpha) + (1.0 - alpha) * 255.0;
                colour.convertTo(channels[c], CV_8U);
            }
            cv::merge(channels, 3, picture);
            break;
        }
        default:
            throw BadPicture("unsupported picture channels");
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
    return Recognize(DecodePicture(picture));
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
