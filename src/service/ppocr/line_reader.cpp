#include "service/ppocr/line_reader.h"

#include "service/ppocr/word_spaces.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace ocrgated::ppocr {
namespace {

constexpr int kLineHeight = 48;
constexpr int kClassifierWidth = 192;
constexpr float kUpsideDownConfidence = 0.9f;
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

LineReader::LineReader(std::shared_ptr<const PpOcrModels> models, bool classify_direction)
    : models_(std::move(models)), classify_direction_(classify_direction) {
    if (classify_direction_)
        classifier_ = cv::dnn::readNetFromONNX(models_->classification);
}

bool LineReader::UpsideDown(const cv::Mat& line) {
    classifier_.setInput(Blob(Scaled(line, kLineHeight, kClassifierWidth), kClassifierWidth));
    const cv::Mat scores = classifier_.forward();
    return scores.at<float>(0, 1) > kUpsideDownConfidence;
}

cv::dnn::Net& LineReader::NetFor(int width) {
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

std::vector<DecodedText> LineReader::Read(std::vector<cv::Mat> lines) {
    std::map<int, std::vector<std::size_t>> by_bucket;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (classify_direction_ && UpsideDown(lines[i]))
            cv::rotate(lines[i], lines[i], cv::ROTATE_180);
        by_bucket[BucketFor(lines[i], models_->recognition)].push_back(i);
    }
    std::vector<DecodedText> texts(lines.size());
    for (const auto& [bucket, indices] : by_bucket) {
        cv::dnn::Net& net = NetFor(bucket);
        for (std::size_t i : indices) {
            const cv::Mat scaled = Scaled(lines[i], kLineHeight, bucket);
            net.setInput(Blob(scaled, bucket));
            const cv::Mat scores = net.forward();  // 1 x steps x classes
            texts[i] = DecodeGreedy(scores.ptr<float>(), scores.size[1], scores.size[2],
                                    models_->characters);
            RestoreWordSpaces(texts[i], scaled, bucket / scores.size[1]);
        }
    }
    return texts;
}

}  // namespace ocrgated::ppocr
