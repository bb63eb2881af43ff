#include "cli/archive_formats.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "base/utf.h"
#include "cli/word_boxes.h"
#include "reply/table_text.h"

namespace cli {
namespace {

// Text as XML takes it: escaped, and without the control characters XML 1.0 cannot hold.
std::string Xml(const std::u16string& text) {
    std::u16string kept;
    for (char16_t c : text)
        kept += c < 0x20 && c != u'\t' ? u' ' : c;
    return reply::HtmlEscaped(quillory::Utf16ToUtf8(kept));
}

// The page's blocks in reading order, each its lines.
std::vector<std::vector<std::size_t>> Blocks(const reply::Reading& reading) {
    std::vector<std::vector<std::size_t>> blocks;
    for (const reply::ReadingBlock& block : reading.Blocks())
        if (!block.lines.empty())
            blocks.push_back(block.lines);
    return blocks;
}

std::optional<Box> Around(const reply::Reading& reading, const std::vector<std::size_t>& lines) {
    std::optional<Box> around;
    for (std::size_t i : lines) {
        if (const auto box = BoxOf(reading.lines[i]))
            around = around ? (*around |= *box) : *box;
    }
    return around;
}

Box PageBox(const PageGeometry& page, const reply::Reading& reading) {
    Box whole{0, 0, page.width, page.height};
    if (page.width > 0 && page.height > 0)
        return whole;
    std::vector<std::size_t> all(reading.lines.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    if (const auto around = Around(reading, all))
        whole |= *around;
    whole.left = whole.top = 0;
    return whole;
}

std::string Number(long value) {
    return std::to_string(value);
}

std::string Bbox(const std::optional<Box>& box) {
    if (!box)
        return {};
    return "bbox " + Number(box->left) + " " + Number(box->top) + " " + Number(box->right) + " " +
           Number(box->bottom);
}

// hOCR's title: properties parted by "; ", the empty ones left out.
std::string Title(std::initializer_list<std::string> properties) {
    std::string title;
    for (const std::string& p : properties) {
        if (!p.empty())
            title += (title.empty() ? "" : "; ") + p;
    }
    return title.empty() ? "" : " title=\"" + reply::HtmlEscaped(title) + "\"";
}

std::string Confidence(const reply::ResultLine& line) {
    if (!line.confidence || !std::isfinite(*line.confidence))
        return {};
    return "x_wconf " + Number(std::lround(std::clamp(*line.confidence, 0.0, 1.0) * 100));
}

std::string AltoPosition(const std::optional<Box>& box) {
    if (!box)
        return {};
    return " HPOS=\"" + Number(box->left) + "\" VPOS=\"" + Number(box->top) + "\" WIDTH=\"" +
           Number(box->right - box->left) + "\" HEIGHT=\"" + Number(box->bottom - box->top) + "\"";
}

std::string AltoConfidence(const reply::ResultLine& line) {
    if (!line.confidence || !std::isfinite(*line.confidence))
        return {};
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", std::clamp(*line.confidence, 0.0, 1.0));
    return std::string(" WC=\"") + text + "\"";
}

// A word's text, each character in an `ocrx_cinfo` span with its box where they are placed.
std::string HocrCharacters(const Word& word) {
    if (word.glyphs.empty())
        return Xml(word.text);
    std::string html;
    for (const Glyph& glyph : word.glyphs)
        html += "<span class=\"ocrx_cinfo\"" + Title({"x_bboxes" + Bbox(glyph.box).substr(4)}) +
                ">" + Xml(glyph.text) + "</span>";
    return html;
}

// The rest of a word's String element: its characters as Glyph elements where placed.
std::string AltoGlyphs(const Word& word, const std::string& page, int& number) {
    if (word.glyphs.empty())
        return "/";
    std::string xml = ">";
    for (const Glyph& glyph : word.glyphs)
        xml += "<Glyph ID=\"glyph_" + page + "_" + Number(++number) + "\" CONTENT=\"" +
               Xml(glyph.text) + "\"" + AltoPosition(glyph.box) + "/>";
    return xml + "</String";
}

}  // namespace

std::string HocrHead() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\"\n"
           "    \"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n"
           "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n<title></title>\n"
           "<meta http-equiv=\"Content-Type\" content=\"text/html;charset=utf-8\" />\n"
           "<meta name=\"ocr-system\" content=\"quillory-ocr\" />\n"
           "<meta name=\"ocr-capabilities\" content=\"ocr_page ocr_carea ocr_par ocr_line "
           "ocrx_word ocrx_cinfo\" />\n</head>\n<body>\n";
}

std::string HocrPage(const PageGeometry& page, const PictureResult& result) {
    const reply::Reading& reading = result.reading;
    const std::string n = Number(page.number);
    std::string html = "<div class=\"ocr_page\" id=\"page_" + n + "\"" +
                       Title({page.image.empty() ? "" : "image \"" + page.image + "\"",
                              Bbox(PageBox(page, reading)), "ppageno " + Number(page.number - 1)}) +
                       ">\n";
    int block_number = 0, line_number = 0, word_number = 0;
    for (const auto& block : Blocks(reading)) {
        const std::string b = n + "_" + Number(++block_number);
        const std::string around = Title({Bbox(Around(reading, block))});
        html += " <div class=\"ocr_carea\" id=\"block_" + b + "\"" + around + ">\n";
        html += "  <p class=\"ocr_par\" id=\"par_" + b + "\"" + around + ">\n";
        for (std::size_t i : block) {
            const reply::ResultLine& line = reading.lines[i];
            html += "   <span class=\"ocr_line\" id=\"line_" + n + "_" + Number(++line_number) +
                    "\"" + Title({Bbox(BoxOf(line)), Confidence(line)}) + ">";
            for (const Word& word : Words(line)) {
                html += "<span class=\"ocrx_word\" id=\"word_" + n + "_" + Number(++word_number) +
                        "\"" + Title({Bbox(word.box), Confidence(line)}) + ">" +
                        HocrCharacters(word) + "</span> ";
            }
            if (html.back() == ' ')
                html.pop_back();
            html += "</span>\n";
        }
        html += "  </p>\n </div>\n";
    }
    return html + "</div>\n";
}

std::string HocrFoot() {
    return "</body>\n</html>\n";
}

std::string AltoHead(const std::string& image) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<alto xmlns=\"http://www.loc.gov/standards/alto/ns-v4#\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
           "xsi:schemaLocation=\"http://www.loc.gov/standards/alto/ns-v4# "
           "http://www.loc.gov/alto/v4/alto-4-4.xsd\">\n"
           "<Description>\n<MeasurementUnit>pixel</MeasurementUnit>\n"
           "<sourceImageInformation><fileName>" +
           reply::HtmlEscaped(image) +
           "</fileName></sourceImageInformation>\n"
           "<OCRProcessing ID=\"ocr\"><ocrProcessingStep><processingSoftware>"
           "<softwareName>quillory-ocr</softwareName></processingSoftware></ocrProcessingStep>"
           "</OCRProcessing>\n</Description>\n<Layout>\n";
}

std::string AltoPage(const PageGeometry& page, const PictureResult& result) {
    const reply::Reading& reading = result.reading;
    const std::string n = Number(page.number);
    const Box whole = PageBox(page, reading);
    std::string xml = "<Page ID=\"page_" + n + "\" PHYSICAL_IMG_NR=\"" + n + "\" WIDTH=\"" +
                      Number(whole.right) + "\" HEIGHT=\"" + Number(whole.bottom) + "\">\n" +
                      "<PrintSpace" + AltoPosition(whole) + ">\n";
    int block_number = 0, line_number = 0, word_number = 0, glyph_number = 0;
    for (const auto& block : Blocks(reading)) {
        std::string lines;
        for (std::size_t i : block) {
            const reply::ResultLine& line = reading.lines[i];
            const std::vector<Word> words = Words(line);
            if (words.empty())
                continue;
            lines += "<TextLine ID=\"line_" + n + "_" + Number(++line_number) + "\"" +
                   AltoPosition(BoxOf(line)) + ">";
            for (std::size_t w = 0; w < words.size(); ++w) {
                if (w > 0)
                    lines += "<SP/>";
                lines += "<String ID=\"word_" + n + "_" + Number(++word_number) + "\"" +
                       AltoPosition(words[w].box) + " CONTENT=\"" + Xml(words[w].text) + "\"" +
                       AltoConfidence(line) + AltoGlyphs(words[w], n, glyph_number) + ">";
            }
            lines += "</TextLine>\n";
        }
        // A block holds one line at least.
        if (!lines.empty())
            xml += "<TextBlock ID=\"block_" + n + "_" + Number(++block_number) + "\"" +
                   AltoPosition(Around(reading, block)) + ">\n" + lines + "</TextBlock>\n";
    }
    return xml + "</PrintSpace>\n</Page>\n";
}

std::string AltoFoot() {
    return "</Layout>\n</alto>\n";
}

}  // namespace cli
