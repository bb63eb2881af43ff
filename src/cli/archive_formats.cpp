#include "cli/archive_formats.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "base/utf.h"
#include "reply/table_text.h"

namespace cli {
namespace {

struct Box {
    long left = 0, top = 0, right = 0, bottom = 0;
    Box& operator|=(const Box& other) {
        left = std::min(left, other.left);
        top = std::min(top, other.top);
        right = std::max(right, other.right);
        bottom = std::max(bottom, other.bottom);
        return *this;
    }
};

std::optional<Box> BoxOf(const reply::ResultLine& line) {
    if (!line.location)
        return std::nullopt;
    const reply::LineLocation& at = *line.location;
    if (!std::isfinite(at.left) || !std::isfinite(at.top) || !std::isfinite(at.width) ||
        !std::isfinite(at.height) || at.width < 0 || at.height < 0 ||
        std::abs(at.left) + at.width > 1e9 || std::abs(at.top) + at.height > 1e9)
        return std::nullopt;
    return Box{std::lround(at.left), std::lround(at.top), std::lround(at.left + at.width),
               std::lround(at.top + at.height)};
}

// Text as XML takes it: escaped, and without the control characters XML 1.0 cannot hold.
std::string Xml(const std::u16string& text) {
    std::u16string kept;
    for (char16_t c : text)
        kept += c < 0x20 && c != u'\t' ? u' ' : c;
    return reply::HtmlEscaped(quillory::Utf16ToUtf8(kept));
}

struct Word {
    std::u16string text;
    std::optional<Box> box;
};

// The line's words and their shares of its box: along its width, or down a line taller than
// wide (a column of vertical text).
std::vector<Word> Words(const reply::ResultLine& line) {
    const std::u16string& text = line.words;
    const std::optional<Box> box = BoxOf(line);
    std::vector<Word> words;
    const double length = std::max<std::size_t>(1, text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] == u' ') {
            ++at;
            continue;
        }
        const std::size_t end = std::min(text.find(u' ', at), text.size());
        Word word{text.substr(at, end - at), std::nullopt};
        if (box) {
            const bool down = box->bottom - box->top > box->right - box->left;
            const long from = down ? box->top : box->left;
            const long span = down ? box->bottom - box->top : box->right - box->left;
            const long start = from + std::lround(span * (double(at) / length));
            const long stop = from + std::lround(span * (double(end) / length));
            word.box = down ? Box{box->left, start, box->right, stop}
                            : Box{start, box->top, stop, box->bottom};
        }
        words.push_back(std::move(word));
        at = end;
    }
    return words;
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

}  // namespace

std::string HocrHead() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\"\n"
           "    \"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n"
           "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n<title></title>\n"
           "<meta http-equiv=\"Content-Type\" content=\"text/html;charset=utf-8\" />\n"
           "<meta name=\"ocr-system\" content=\"quillory-ocr\" />\n"
           "<meta name=\"ocr-capabilities\" content=\"ocr_page ocr_carea ocr_par ocr_line "
           "ocrx_word\" />\n</head>\n<body>\n";
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
                        "\"" + Title({Bbox(word.box), Confidence(line)}) + ">" + Xml(word.text) +
                        "</span> ";
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
    int block_number = 0, line_number = 0, word_number = 0;
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
                       AltoConfidence(line) + "/>";
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
