#include "service/engines/ppocr/text_recognizer.h"

#include "service/engines/ppocr/word_spaces.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace ocrgated::ppocr {
namespace {

constexpr int kLineHeight = 48;
// Each loaded width holds its weights and buffers (tens of MiB); the least
// recently used one goes when a new width is needed.
constexpr std::size_t kMaxLoadedRecognizers = 4;

int ScaledWidth(const cv::Mat& line, int height) {
    return std::max(
        1, static_cast<int>(std::ceil(static_cast<double>(line.cols) * height / line.rows)));
}

cv::Mat Scaled(const cv::Mat& line, int height, int width) {
    cv::Mat resized;
    cv::resize(line, resized, cv::Size(std::min(width, ScaledWidth(line, height)), height), 0, 0,
               cv::INTER_LINEAR);
    return resized;
}

cv::Mat Blob(const cv::Mat& scaled, int width) {
    cv::Mat padded(scaled.rows, width, CV_32FC3, cv::Scalar::all(0));
    scaled.convertTo(padded(cv::Rect(0, 0, scaled.cols, scaled.rows)), CV_32FC3, 2.0 / 255, -1.0);
    return cv::dnn::blobFromImage(padded);
}

}  // namespace

int BucketFor(const cv::Mat& line, const std::vector<std::pair<int, std::string>>& buckets) {
    // Squeezing a line by up to a tenth reads as well and saves running the
    // next wider network, whose time grows with its width.
    const int width = ScaledWidth(line, kLineHeight);
    for (const auto& [bucket, path] : buckets)
        if (bucket * 11 >= width * 10)
            return bucket;
    return buckets.back().first;
}

cv::Mat LineBlob(const cv::Mat& line, int bucket) {
    return Blob(Scaled(line, kLineHeight, bucket), bucket);
}

TextRecognizer::TextRecognizer(std::shared_ptr<const PpOcrModels> models)
    : models_(std::move(models)) {}

cv::dnn::Net& TextRecognizer::NetFor(int width) {
    ++clock_;
    auto it = recognizers_.find(width);
    if (it != recognizers_.end()) {
        it->second.last_use = clock_;
        return it->second.net;
    }
    if (recognizers_.size() >= kMaxLoadedRecognizers) {
        recognizers_.erase(std::min_element(
            recognizers_.begin(), recognizers_.end(),
            [](const auto& a, const auto& b) { return a.second.last_use < b.second.last_use; }));
    }
    const auto& buckets = models_->recognition;
    const auto model = std::find_if(buckets.begin(), buckets.end(),
                                    [&](const auto& bucket) { return bucket.first == width; });
    return recognizers_.emplace(width, Loaded{cv::dnn::readNetFromONNX(model->second), clock_})
        .first->second.net;
}

void TextRecognizer::Read(std::vector<LineRecord*> records) {
    std::map<int, std::vector<LineRecord*>> by_bucket;
    for (LineRecord* record : records)
        by_bucket[BucketFor(record->crop, models_->recognition)].push_back(record);
    for (const auto& [bucket, members] : by_bucket) {
        cv::dnn::Net& net = NetFor(bucket);
        for (LineRecord* record : members) {
            const cv::Mat scaled = Scaled(record->crop, kLineHeight, bucket);
            net.setInput(Blob(scaled, bucket));
            const cv::Mat scores = net.forward();  // 1 x steps x classes
            record->text = DecodeGreedy(scores.ptr<float>(), scores.size[1], scores.size[2],
                                        models_->characters);
            RestoreWordSpaces(record->text, scaled, bucket / scores.size[1]);
            const auto& p = record->text.probabilities;
            record->confidence =
                p.empty() ? 0.0 : std::accumulate(p.begin(), p.end(), 0.0) / p.size();
        }
    }
}

}  // namespace ocrgated::ppocr
