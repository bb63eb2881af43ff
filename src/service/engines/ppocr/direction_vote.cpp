#include "service/engines/ppocr/direction_vote.h"

#include "service/engines/ppocr/page_orientation.h"

#include <opencv2/core.hpp>

namespace ocrgated::ppocr {
namespace {

// The record with its crop turned upside down, in a buffer of its own.
LineRecord Turned(const LineRecord& record) {
    LineRecord turned = record;
    turned.crop = cv::Mat();
    cv::rotate(record.crop, turned.crop, cv::ROTATE_180);
    turned.turned = !record.turned;
    return turned;
}

}  // namespace

bool ReadUpright(std::vector<LineRecord>& records, DirectionClassifier* classifier,
                 const PpOcrOptions& options, const ReadLines& read, StageTimes& times) {
    std::vector<bool> turned(records.size(), false), doubtful(records.size(), false);
    bool page = false;  // most of the page stands upside down
    if (classifier) {
        const StageTimer timer(times, Stage::kClassify);
        for (LineRecord& record : records)
            record.upside_down = classifier->UpsideDown(record.crop);
        page = MostlyUpsideDown(records);
        const float sure = options.upside_down_confidence;
        for (std::size_t i = 0; i < records.size(); ++i) {
            const float vote = records[i].upside_down;
            turned[i] = page ? vote >= 1 - sure : vote > sure;
            if (turned[i]) {
                cv::rotate(records[i].crop, records[i].crop, cv::ROTATE_180);
                records[i].turned = true;
            }
            doubtful[i] = turned[i] != page || (vote > 1 - sure && vote < sure);
        }
    }
    // The doubtful are read both ways in one go, so that their two readings share the
    // cores; lines that read poorly the first time are read the other way after.
    std::vector<std::size_t> again;
    std::vector<LineRecord> other;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (doubtful[i]) {
            again.push_back(i);
            other.push_back(Turned(records[i]));
        }
    }
    std::vector<LineRecord*> first = Pointers(records), second;
    for (LineRecord& record : other)
        first.push_back(&record);
    read(first);
    const std::size_t read_both_ways = other.size();
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!doubtful[i] && records[i].confidence < options.reading.confident_reading) {
            again.push_back(i);
            other.push_back(Turned(records[i]));
        }
    }
    for (std::size_t k = read_both_ways; k < other.size(); ++k)
        second.push_back(&other[k]);
    read(second);
    // A line stands against its page only on a clearly better reading: digits such as 90
    // and 06, or 98 and 86, read well both ways up.
    const auto score = [&](const LineRecord& record, bool turned_line) {
        return record.confidence -
               (turned_line != page ? options.reading.against_page_margin : 0.0);
    };
    for (std::size_t k = 0; k < again.size(); ++k) {
        const std::size_t i = again[k];
        if (score(other[k], !turned[i]) > score(records[i], turned[i])) {
            records[i] = std::move(other[k]);
            turned[i] = !turned[i];
        }
    }
    double vote = 0;
    for (std::size_t i = 0; i < records.size(); ++i)
        vote += (turned[i] ? 1.0 : -1.0) * records[i].crop.cols;
    return vote > 0;
}

}  // namespace ocrgated::ppocr
