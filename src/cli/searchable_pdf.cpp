#include "cli/searchable_pdf.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <algorithm>

#include "base/exception.h"

namespace cli {
namespace {

// A glyph's ink is about this share of the line box's height.
constexpr double kFontShareOfBox = 0.8;

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
                            const std::vector<reply::ResultLine>& lines) {
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
    QFont font = p.font();
    for (const reply::ResultLine& line : lines) {
        if (!line.location || line.words.empty() || line.location->width <= 0 ||
            line.location->height <= 0) {
            continue;
        }
        const reply::LineLocation& box = *line.location;
        const QString text = QString::fromStdU16String(line.words);
        font.setPixelSize(std::max(1, static_cast<int>(box.height * sy * kFontShareOfBox)));
        p.setFont(font);
        const QFontMetricsF metrics(font, &writer_);
        const double advance = metrics.horizontalAdvance(text);
        if (advance <= 0)
            continue;
        p.save();
        // Baseline near the box's foot; stretched so the text spans the box as the words do.
        p.translate(box.left * sx, (box.top + box.height) * sy - metrics.descent());
        p.scale(box.width * sx / advance, 1.0);
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
