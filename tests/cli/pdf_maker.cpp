#include "pdf_maker.h"

#include <cstdio>

namespace testing_support {

std::string MakePdf(const std::vector<std::vector<std::string>>& pages) {
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    auto object = [&](const std::string& body) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
    };
    // 1 catalog, 2 page tree, 3 font, then a page and its content for each page.
    std::string kids;
    for (std::size_t i = 0; i < pages.size(); ++i)
        kids += std::to_string(4 + 2 * i) + " 0 R ";
    object("<< /Type /Catalog /Pages 2 0 R >>");
    object("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " >>");
    object("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    for (std::size_t i = 0; i < pages.size(); ++i) {
        std::string text = "BT /F1 28 Tf 60 700 Td ";
        for (const std::string& line : pages[i])
            text += "(" + line + ") Tj 0 -60 Td ";
        text += "ET";
        object(
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << "
            "/F1 3 0 R >> >> /Contents " +
            std::to_string(5 + 2 * i) + " 0 R >>");
        object("<< /Length " + std::to_string(text.size()) + " >>\nstream\n" + text +
               "\nendstream");
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        pdf += entry;
    }
    pdf += "trailer\n<< /Size " + std::to_string(offsets.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

}  // namespace testing_support
