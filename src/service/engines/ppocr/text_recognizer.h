#pragma once
// The recognition stage: the text of cut-out lines.

#include "service/engines/ppocr/ctc_decoder.h"
#include "service/engines/ppocr/line_record.h"
#include "service/engines/ppocr/pp_ocr_models.h"

#include <opencv2/dnn.hpp>

#include <memory>
#include <vector>

namespace ocrgated::ppocr {

class TextRecognizer {
  public:
    // lanes: how many lines are read at once, each on one core with networks of its own.
    TextRecognizer(std::shared_ptr<const PpOcrModels> models, int lanes);
    // Reads each record's crop (8-bit BGR, upright) into its text and confidence. Lines
    // of one width bucket follow each other: the network sets itself up again for
    // every new input width.
    void Read(std::vector<LineRecord*> records);

  private:
    // The network one thread reads with: a network runs one input at a time.
    struct Lane {
        cv::dnn::Net net;
        void Read(LineRecord& record, int bucket, const std::vector<std::string>& characters);
    };

    std::shared_ptr<const PpOcrModels> models_;
    std::vector<Lane> lanes_;
};

// The line scaled to the network's height of 48, its width rounded up to a
// bucket (lines up to a tenth wider, and any line wider than the widest
// bucket, are squeezed), padded on the right, and
// normalised to [-1, 1]: a 1 x 3 x 48 x bucket blob.
cv::Mat LineBlob(const cv::Mat& line, int bucket);
int BucketFor(const cv::Mat& line);

}  // namespace ocrgated::ppocr
