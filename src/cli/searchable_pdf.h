#pragma once
// A searchable PDF: each page is a picture with its recognised lines laid over it as text
// that is not seen but can be selected, searched and extracted. Pages are written as they
// come, so a long document never sits in memory whole. Needs a QGuiApplication for fonts.

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QString>
#include <memory>
#include <vector>

#include "reply/result_lines.h"

namespace cli {

class SearchablePdf {
  public:
    explicit SearchablePdf(const QString& path);
    ~SearchablePdf();
    SearchablePdf(const SearchablePdf&) = delete;
    SearchablePdf& operator=(const SearchablePdf&) = delete;

    // A page the size of `picture` at `dpi`; the lines' boxes are in the picture's pixels.
    // `paragraphs` (indices into `lines`) share one text size, so that a PDF reader's own
    // layout analysis keeps their lines together and reads a page's columns in turn.
    void AddPage(const QImage& picture, int dpi, const std::vector<reply::ResultLine>& lines,
                 const std::vector<std::vector<std::size_t>>& paragraphs = {});

    // Completes the file; throws quillory::Exception when it could not be written.
    void Finish();

  private:
    QString path_;
    QPdfWriter writer_;
    std::unique_ptr<QPainter> painter_;  // begun with the first page
};

}  // namespace cli
