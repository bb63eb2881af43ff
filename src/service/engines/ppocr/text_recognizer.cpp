#include "service/engines/ppocr/text_recognizer.h"

#include "service/common/recognition_context.h"
#include "service/engines/ppocr/word_spaces.h"

#include <opencv2/core/utility.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <exception>
#include <numeric>

namespace ocrgated::ppocr {
namespace {

constexpr int kLineHeight = 48;
// The widths lines are padded to: each is set up once when it follows another, and
// a line pays for the padding up to its bucket.
constexpr std::array kBuckets = {160,  320,  480,  640,  800,  960,  1120, 1280,
                                 1440, 1600, 1760, 1920, 2080, 2240, 2400, 2560};

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

int BucketFor(const cv::Mat& line) {
    // Squeezing a line by up to a tenth reads as well and saves the next wider
    // bucket: the network's time grows with its width.
    const int width = ScaledWidth(line, kLineHeight);
    for (const int bucket : kBuckets)
        if (bucket * 11 >= width * 10)
            return bucket;
    return kBuckets.back();
}

cv::Mat LineBlob(const cv::Mat& line, int bucket) {
    return Blob(Scaled(line, kLineHeight, bucket), bucket);
}

TextRecognizer::TextRecognizer(std::shared_ptr<const PpOcrModels> models, int lanes)
    : models_(std::move(models)), lanes_(static_cast<std::size_t>(std::max(1, lanes))) {
    for (Lane& lane : lanes_)
        lane.net = cv::dnn::readNetFromONNX(models_->recognition);
}

void TextRecognizer::Lane::Read(LineRecord& record, int bucket,
                                const std::vector<std::string>& characters) {
    const cv::Mat scaled = Scaled(record.crop, kLineHeight, bucket);
    net.setInput(Blob(scaled, bucket));
    const cv::Mat scores = net.forward();  // 1 x steps x classes
    record.text = DecodeGreedy(scores.ptr<float>(), scores.size[1], scores.size[2], characters);
    RestoreWordSpaces(record.text, scaled, bucket / scores.size[1]);
    record.text.step_share = static_cast<double>(bucket) / scores.size[1] / scaled.cols;
    const auto& p = record.text.probabilities;
    record.confidence = p.empty() ? 0.0 : std::accumulate(p.begin(), p.end(), 0.0) / p.size();
}

void TextRecognizer::Read(std::vector<LineRecord*> records) {
    // Widest first, so that the last lines left over for one lane are the short ones;
    // lines of one bucket stay together and keep a lane's network at one width.
    std::vector<std::pair<int, LineRecord*>> work;
    for (LineRecord* record : records)
        work.emplace_back(BucketFor(record->crop), record);
    std::stable_sort(work.begin(), work.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    const int lanes = static_cast<int>(std::min(lanes_.size(), work.size()));
    // Looked at before every line, so that a recognition called off, or past its time,
    // stops within a line's time.
    if (lanes <= 1) {
        for (auto& [bucket, record] : work) {
            CheckDeadline();
            lanes_.front().Read(*record, bucket, models_->characters);
        }
        return;
    }
    const StopSignal stop = CurrentStopSignal();
    // Each lane takes the next line when done with its last. A network called
    // inside this loop runs on its lane's thread alone: OpenCV does not nest its threads.
    std::atomic<std::size_t> next{0};
    std::vector<std::exception_ptr> failures(static_cast<std::size_t>(lanes));
    cv::parallel_for_(
        cv::Range(0, lanes),
        [&](const cv::Range& range) {
            for (int lane = range.start; lane < range.end; ++lane) {
                try {
                    for (std::size_t i; !stop.Raised() && (i = next++) < work.size();)
                        lanes_[static_cast<std::size_t>(lane)].Read(*work[i].second, work[i].first,
                                                                    models_->characters);
                } catch (...) {
                    failures[static_cast<std::size_t>(lane)] = std::current_exception();
                }
            }
        },
        lanes);
    for (const auto& failure : failures)
        if (failure)
            std::rethrow_exception(failure);
    CheckDeadline();
}

}  // namespace ocrgated::ppocr
