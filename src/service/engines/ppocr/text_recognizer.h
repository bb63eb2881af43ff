#pragma once
// The recognition stage: the text of cut-out lines.

#include "service/engines/ppocr/ctc_decoder.h"
#include "service/engines/ppocr/line_record.h"
#include "service/engines/ppocr/pp_ocr_models.h"

#include <opencv2/dnn.hpp>

#include <map>
#include <memory>
#include <vector>

namespace ocrgated::ppocr {

class TextRecognizer {
  public:
    explicit TextRecognizer(std::shared_ptr<const PpOcrModels> models);
    // Reads each record's crop (8-bit BGR, upright) into its text and confidence. Lines
    // of the same width bucket run through that bucket's network one after another; each
    // network loads on first use and at most four stay loaded.
    void Read(std::vector<LineRecord*> records);

  private:
    cv::dnn::Net& NetFor(int width);

    std::shared_ptr<const PpOcrModels> models_;
    struct Loaded {
        cv::dnn::Net net;
        unsigned long last_use = 0;
    };
    std::map<int, Loaded> recognizers_;
    unsigned long clock_ = 0;
};

// The line scaled to the network's height of 48, its width rounded up to a
// bucket (lines up to a tenth wider, and any line wider than the widest
// bucket, are squeezed), padded on the right, and
// normalised to [-1, 1]: a 1 x 3 x 48 x bucket blob.
cv::Mat LineBlob(const cv::Mat& line, int bucket);
int BucketFor(const cv::Mat& line, const std::vector<std::pair<int, std::string>>& buckets);

}  // namespace ocrgated::ppocr
