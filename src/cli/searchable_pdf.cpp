#include "cli/searchable_pdf.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <algorithm>
#include <cmath>

#include "base/exception.h"
#include "base/utf.h"

namespace cli {
namespace {

// A glyph's ink is about this share of the line box's height.
constexpr double kFontShareOfBox = 0.8;
// Readers of the text layer join two lines into one block only while their baselines are
// at most 1.5 times their text size apart; a little under, for rounding.
constexpr double kMostLineSpacing = 1.4;

// A column of Chinese, Japanese or Korean set top to bottom: a box much taller than wide,
// holding several characters, most of them CJK. Its text runs down the page.
bool RunsDown(const reply::ResultLine& line) {
    const reply::LineLocation& box = *line.location;
    if (box.height < 1.5 * box.width || line.words.size() < 2)
        return false;
    std::size_t cjk = 0;
    for (char16_t c : line.words)
        cjk += quillory::IsCjk(c) || quillory::IsHangul(c);
    return cjk * 2 > line.words.size();
}

double Median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

struct LineText {
    double size = 0;    // the text size, in the picture's pixels
    double height = 0;  // from the box's top to the baseline's foot
};

// How each line's text is set. A paragraph's lines share one size, large enough for their
// spacing, and stand on baselines as evenly spaced as their tops (descenders make boxes
// uneven at the foot): readers join lines into blocks only where sizes match and lines
// stand close enough, and a page's columns read in turn only as blocks.
std::vector<LineText> LineTexts(const std::vector<reply::ResultLine>& lines,
                                const std::vector<std::vector<std::size_t>>& paragraphs) {
    std::vector<LineText> texts;
    for (const reply::ResultLine& line : lines) {
        const double height = line.location ? line.location->height : 0;
        texts.push_back({height * kFontShareOfBox, height});
    }
    for (const auto& paragraph : paragraphs) {
        std::vector<double> heights, pitches;
        const reply::LineLocation* before = nullptr;
        for (std::size_t i : paragraph) {
            if (i >= lines.size() || !lines[i].location)
                continue;
            heights.push_back(lines[i].location->height);
            if (before)
                pitches.push_back(std::abs(lines[i].location->top - before->top));
            before = &*lines[i].location;
        }
        if (heights.empty())
            continue;
        const double height = Median(heights);
        const double size = std::max(height * kFontShareOfBox,
                                     pitches.empty() ? 0.0 : Median(pitches) / kMostLineSpacing);
        for (std::size_t i : paragraph)
            if (i < lines.size() && lines[i].location)
                texts[i] = {size, height};
    }
    return texts;
}

}  // namespace

SearchablePdf::SearchablePdf(const QString& path) : path_(path), writer_(path) {
    writer_.setCreator("quillory-ocr");
    writer_.setPageMargins(QMarginsF(0, 0, 0, 0));
}

SearchablePdf::~SearchablePdf() {
    if (painter_ && painter_->isActive())
        painter_->end();
}

void SearchablePdf::AddPage(const QImage& picture, int dpi,
                            const std::vector<reply::ResultLine>& lines,
                            const std::vector<std::vector<std::size_t>>& paragraphs) {
    writer_.setResolution(dpi);
    writer_.setPageSize(
        QPageSize(QSizeF(picture.width() * 72.0 / dpi, picture.height() * 72.0 / dpi),
                  QPageSize::Point, QString(), QPageSize::ExactMatch));
    if (!painter_) {
        painter_ = std::make_unique<QPainter>();
        if (!painter_->begin(&writer_))
            throw quillory::Exception("Cannot write the PDF " + path_.toStdString());
    } else if (!writer_.newPage()) {
        throw quillory::Exception("Cannot add a page to the PDF " + path_.toStdString());
    }
    QPainter& p = *painter_;
    // The page in the writer's units at `dpi`, which are the picture's pixels up to rounding.
    const QRectF page(0, 0, writer_.width(), writer_.height());
    p.drawImage(page, picture);
    const double sx = page.width() / picture.width(), sy = page.height() / picture.height();

    // A fully transparent pen: the text is drawn (and so extractable) but never seen.
    p.setPen(QColor(0, 0, 0, 0));
    // A PDF's text reads each glyph as the lowest character that maps to it. Most CJK
    // fonts give 一 the glyph of the radical ⼀ (U+2F00), and a Latin font its "ﬁ" ligature
    // for "fi"; the text would then read and search wrong. This font maps no radicals,
    // and text left unshaped keeps its letters apart.
    QFont font(QStringLiteral("Droid Sans Fallback"));
    font.setStyleStrategy(QFont::PreferNoShaping);
    const std::vector<LineText> texts = LineTexts(lines, paragraphs);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const reply::ResultLine& line = lines[i];
        if (!line.location || line.words.empty() || line.location->width <= 0 ||
            line.location->height <= 0) {
            continue;
        }
        const reply::LineLocation& box = *line.location;
        const QString text = QString::fromStdU16String(line.words);
        const bool down = RunsDown(line);
        // A column's glyphs are as wide as the column; a line's as its paragraph sets them.
        const double size = down ? box.width * sx * kFontShareOfBox : texts[i].size * sy;
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(size))));
        p.setFont(font);
        const QFontMetricsF metrics(font, &writer_);
        const double advance = metrics.horizontalAdvance(text);
        if (advance <= 0)
            continue;
        p.save();
        if (down) {
            // Turned a quarter clockwise: the glyphs follow each other down the column, and
            // a reader takes the page's columns from the right, as they are read.
            p.translate((box.left + box.width / 2) * sx - (metrics.ascent() - metrics.descent()) / 2,
                        box.top * sy);
            p.rotate(90);
            p.scale(box.height * sy / advance, 1.0);
        } else {
            // Baseline near the box's foot; stretched so the text spans the box as the words do.
            p.translate(box.left * sx, (box.top + texts[i].height) * sy - metrics.descent());
            p.scale(box.width * sx / advance, 1.0);
        }
        p.drawText(QPointF(0, 0), text);
        p.restore();
    }
}

void SearchablePdf::Finish() {
    if (!painter_)
        throw quillory::Exception("The PDF " + path_.toStdString() + " has no pages");
    if (!painter_->end())
        throw quillory::Exception("Cannot complete the PDF " + path_.toStdString());
    if (QFile(path_).size() == 0)
        throw quillory::Exception("Cannot write the PDF " + path_.toStdString());
}

}  // namespace cli
