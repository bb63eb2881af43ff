#pragma once
// hOCR and ALTO: a page's text with its geometry, for archives, PDF tools and anything else
// that reads the two. Each block of the reading (a paragraph, or a table's lines) holds its
// lines, each line its words (split at spaces) with their boxes and confidences, and each
// word its characters with their boxes where the reply placed them.

#include <string>

#include "cli/picture_job.h"

namespace cli {

// A page: its number from 1, the picture's name and size in pixels (0 when unknown: the
// lines' extent stands in).
struct PageGeometry {
    int number = 1;
    std::string image;
    int width = 0, height = 0;
};

// An XHTML document of ocr_page, ocr_carea, ocr_par, ocr_line, ocrx_word and ocrx_cinfo
// elements.
std::string HocrHead();
std::string HocrPage(const PageGeometry& page, const PictureResult& result);
std::string HocrFoot();

// An ALTO v4 document: its Description, then a Page of TextBlock, TextLine, String, Glyph and SP.
std::string AltoHead(const std::string& image);
std::string AltoPage(const PageGeometry& page, const PictureResult& result);
std::string AltoFoot();

}  // namespace cli
