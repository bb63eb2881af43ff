#include "service/engines/ppocr/pp_ocr_recognizer.h"

#include "base/utf.h"
#include "service/common/log.h"
#include "service/common/recognition_context.h"
#include "service/engines/ppocr/direction_classifier.h"
#include "service/engines/ppocr/direction_vote.h"
#include "service/engines/ppocr/joined_characters.h"
#include "service/engines/ppocr/layout_stage.h"
#include "service/engines/ppocr/line_geometry.h"
#include "service/engines/ppocr/page_orientation.h"
#include "service/engines/ppocr/picture_input.h"
#include "service/engines/ppocr/reading_order.h"
#include "service/engines/ppocr/seal_removal.h"
#include "service/engines/ppocr/single_line.h"
#include "service/engines/ppocr/small_print.h"
#include "service/engines/ppocr/stage_times.h"
#include "service/engines/ppocr/text_detector.h"
#include "service/engines/ppocr/text_recognizer.h"
#include "service/engines/ppocr/vertical_text.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <thread>

namespace ocrgated::ppocr {
namespace {

int Lanes(int wanted) {
    if (wanted > 0)
        return wanted;
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
}

// About how many characters the boxes hold: each line's length over its height.
double Characters(const std::vector<TextBox>& boxes) {
    double characters = 0;
    for (const TextBox& box : boxes) {
        const double a = cv::norm(box.corners[0] - box.corners[1]);
        const double b = cv::norm(box.corners[1] - box.corners[2]);
        characters += std::max(a, b) / std::max(1.0, std::min(a, b));
    }
    return characters;
}

}  // namespace

struct PpOcrRecognizer::Impl {
    Impl(std::shared_ptr<const PpOcrModels> models, const PpOcrOptions& options)
        : options(options),
          detector(models->detection, options.detection),
          reader(models, Lanes(options.recognition_lanes)) {
        if (options.classify_direction)
            classifier.emplace(models->classification);
    }

    // Reads the records the right way up; returns whether most of the page read upside down.
    bool ClassifyAndRead(std::vector<LineRecord>& records) {
        return ReadUpright(
            records, classifier ? &*classifier : nullptr, options,
            [this](std::vector<LineRecord*> lines) { Recognise(std::move(lines)); }, times);
    }

    void Recognise(std::vector<LineRecord>& records) { Recognise(Pointers(records)); }
    void Recognise(std::vector<LineRecord*> records) {
        const StageTimer timer(times, Stage::kRecognise);
        // Widest first across the chunks too, so that lines of one width bucket follow
        // each other; the deadline is looked at between chunks.
        std::stable_sort(records.begin(), records.end(),
                         [](const LineRecord* a, const LineRecord* b) {
                             return std::int64_t{a->crop.cols} * b->crop.rows >
                                    std::int64_t{b->crop.cols} * a->crop.rows;
                         });
        const std::size_t chunk =
            std::max<std::size_t>(1, options.reading.lines_per_deadline_check);
        for (std::size_t at = 0; at < records.size(); at += chunk) {
            CheckDeadline();
            const std::size_t end = std::min(records.size(), at + chunk);
            reader.Read(
                {records.begin() + std::ptrdiff_t(at), records.begin() + std::ptrdiff_t(end)});
        }
    }

    // What is to be read: a thin picture whole, or each box, characters set one by one
    // down a column joined into that column.
    std::vector<LineRecord> Records(const cv::Mat& picture, const std::vector<TextBox>& boxes) {
        const StageTimer timer(times, Stage::kOrientation);
        if (auto line = SingleLine(picture, boxes, options.single_line))
            return {std::move(*line)};
        std::vector<LineRecord> records;
        const auto read_as_words = [&](const std::vector<TextBox>& pieces) {
            return ReadAsWords(picture, pieces);
        };
        for (const TextBox& box :
             options.layout.group_characters
                 ? JoinCharacterColumns(JoinColumnPieces(boxes, options.tall_ratio),
                                        options.tall_ratio, options.layout.page, read_as_words)
                 : boxes) {
            LineRecord record;
            record.box = box;
            records.push_back(std::move(record));
        }
        return records;
    }

    // Whether most pieces, read upright on their own, hold more than one character: a
    // character set down a column reads as one.
    bool ReadAsWords(const cv::Mat& picture, const std::vector<TextBox>& pieces) {
        std::vector<LineRecord> records(pieces.size());
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            records[i].box = pieces[i];
            records[i].crop = CropBox(picture, pieces[i]);
        }
        Recognise(records);
        const auto words = std::count_if(records.begin(), records.end(), [](const LineRecord& r) {
            std::size_t characters = 0;
            for (std::size_t at = 0; at < r.text.text.size();)
                characters += quillory::DecodeUtf8(r.text.text, at) != U' ';
            return characters >= 2;
        });
        return words * 2 > std::ptrdiff_t(records.size());
    }

    PageReading LayOut(const cv::Mat& picture, const std::vector<LineRecord>& records,
                       QuarterTurns turns, const ReadingHints& hints) {
        const StageTimer timer(times, Stage::kPostProcess);
        if (!hints.one_table)
            return LayOutLines(records, picture, turns, options.min_line_confidence,
                               options.layout);
        LayoutStageOptions layout = options.layout;
        layout.find_tables = true;
        layout.tables.one_table = true;
        return LayOutLines(records, picture, turns, options.min_line_confidence, layout);
    }

    // Cuts, turns and reads every record; returns how the page was turned.
    QuarterTurns Read(const cv::Mat& picture, std::vector<LineRecord>& records) {
        if (!MostlyTall(records, options.tall_ratio)) {
            for (LineRecord& record : records)
                if (record.crop.empty()) {
                    record.crop = CropLine(picture, record.box, options.tall_ratio);
                    record.runs_down = IsTall(record.box, options.tall_ratio);
                }
            return ClassifyAndRead(records) ? 2 : 0;
        }
        // Lines running down the page: a page turned a quarter, read once turned back…
        for (LineRecord& record : records) {
            record.crop = CropBox(picture, record.box);
            cv::rotate(record.crop, record.crop, cv::ROTATE_90_COUNTERCLOCKWISE);
            record.runs_down = true;
        }
        const bool anticlockwise = ClassifyAndRead(records);
        const double turned = ReadingConfidence(records);
        if (turned >= options.reading.turned_page_confidence)
            return anticlockwise ? 3 : 1;
        // …or columns of upright characters, read top to bottom and right to left.
        std::vector<LineRecord> columns = records;
        for (LineRecord& column : columns) {
            column.crop = CropBox(picture, column.box);
            column.column = IsTall(column.box, options.tall_ratio);
            column.runs_down = column.column;
            column.turned = false;
            if (column.column)
                column.crop = ColumnAsLine(column.crop, options.reading.column_character_span);
        }
        Recognise(columns);
        // Only Chinese, Japanese and Korean are set in columns; a Latin line turned a
        // quarter and read as a column can look confident letter by letter.
        for (LineRecord& column : columns)
            if (column.column && CjkShare(column.text.text) < options.reading.min_column_cjk_share)
                column.confidence = 0;
        if (ReadingConfidence(columns) <= turned)
            return anticlockwise ? 3 : 1;
        records = std::move(columns);
        return 1;  // columns right to left read like a page turned back anticlockwise
    }

    // Reads the picture as given, or enlarged when its print is small. A picture that is
    // itself an enlargement has `detection_scale` set: the detector sees it reduced by that,
    // where it finds small print best, and it is not enlarged again.
    PageReading ReadPicture(const cv::Mat& given, const ReadingHints& hints,
                            double detection_scale = 0) {
        // What the page shows with the seals' ink lifted: the text under them reads, their
        // rings and stars are no lines.
        const cv::Mat picture = [&] {
            const StageTimer timer(times, Stage::kDecode);
            return options.lift_seals ? WithoutSeals(given, options.seals) : given;
        }();
        CheckDeadline();
        const std::vector<TextBox> boxes = [&] {
            const StageTimer timer(times, Stage::kDetect);
            std::vector<TextBox> found = detection_scale > 0
                                             ? detector.Detect(picture, detection_scale)
                                             : detector.Detect(picture);
            return options.drop_faint_lines
                       ? WithoutFaintLines(picture, std::move(found), options.faint)
                       : found;
        }();
        const double height = MedianTextHeight(boxes);
        const double scale =
            detection_scale > 0 ? 1 : Enlargement(given.size(), height, options.small_text);
        if (scale > 1) {
            cv::Mat enlarged;
            {
                const StageTimer timer(times, Stage::kDecode);
                cv::resize(given, enlarged, {}, scale, scale, cv::INTER_CUBIC);
            }
            PageReading page = ReadPicture(
                enlarged, hints,
                std::min(1.0, options.small_text.detection_height / (height * scale)));
            ToPictureScale(page, scale);
            return page;
        }
        StretchDeadline(Characters(boxes) / options.reading.characters_per_limit);
        CheckDeadline();
        std::vector<LineRecord> records = Records(picture, boxes);
        const QuarterTurns turns = Read(picture, records);
        PageReading page = LayOut(picture, records, turns, hints);
        if (StageTimesWanted())
            Log("ppocr " + std::to_string(picture.cols) + "x" + std::to_string(picture.rows) +
                ", " + std::to_string(page.lines.size()) + " lines, " +
                std::to_string(page.tables.size()) + " tables: " + times.Summary());
        return page;
    }

    PpOcrOptions options;
    TextDetector detector;
    std::optional<DirectionClassifier> classifier;
    TextRecognizer reader;
    StageTimes times, last_times;
};

PpOcrRecognizer::PpOcrRecognizer(std::shared_ptr<const PpOcrModels> models, PpOcrOptions options) {
    try {
        impl_ = std::make_unique<Impl>(std::move(models), options);
    } catch (const cv::Exception& e) {
        throw ModelsUnavailable(std::string("PP-OCR models failed to load: ") + e.err);
    }
}

PpOcrRecognizer::~PpOcrRecognizer() = default;

const StageTimes& PpOcrRecognizer::LastStageTimes() const {
    return impl_->last_times;
}

std::vector<RecognizedLine> PpOcrRecognizer::Recognize(std::span<const std::uint8_t> picture) {
    return ReadPage(picture).lines;
}

std::vector<RecognizedLine> PpOcrRecognizer::Recognize(const cv::Mat& picture) {
    return ReadPage(picture).lines;
}

PageReading PpOcrRecognizer::ReadPage(std::span<const std::uint8_t> picture,
                                      const ReadingHints& hints) {
    cv::Mat decoded;
    double scale = 1;
    try {
        const StageTimer timer(impl_->times, Stage::kDecode);
        decoded = DecodeToBgr(picture, impl_->options.detection.max_long_side, scale);
    } catch (...) {
        impl_->times.Reset();
        throw;
    }
    PageReading page = ReadPage(decoded, hints);
    ToPictureScale(page, scale);
    return page;
}

PageReading PpOcrRecognizer::ReadPage(const cv::Mat& given, const ReadingHints& hints) {
    if (given.empty())
        throw BadPicture("empty picture");
    if (static_cast<long long>(given.cols) * given.rows > impl_->options.max_pixels)
        throw PictureTooLarge("picture too large: " + std::to_string(given.cols) + " x " +
                              std::to_string(given.rows));
    // Each recognition's times start from zero, whichever way it ends.
    const struct Restart {
        StageTimes& times;
        StageTimes& last;
        ~Restart() {
            last = times;
            last.Switch(Stage::kNone);  // stops the clock of the stage that was running
            times.Reset();
        }
    } restart{impl_->times, impl_->last_times};
    try {
        return impl_->ReadPicture(given, hints);
    } catch (const cv::Exception& e) {
        throw std::runtime_error(std::string("PP-OCR engine failed: ") + e.err);
    }
}

}  // namespace ocrgated::ppocr
