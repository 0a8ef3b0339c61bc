// Small PDF documents: catalog, page tree, one font, pages sharing a content stream, and the xref table.
#include "support/pdf_samples.h"

#include <cstdio>
#include <vector>

namespace pdf_samples {

std::string WritePdf(int pages, int width, int height, const std::string& content)
{
    std::vector<std::string> objects{"<< /Type /Catalog /Pages 2 0 R >>", "",
                                     "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
                                     "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
                                         "\nendstream"};
    std::string kids;
    for (int i = 0; i < pages; ++i) {
        kids += std::to_string(5 + i) + " 0 R ";
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + std::to_string(width) + " " +
                          std::to_string(height) + "] /Resources << /Font << /F1 3 0 R >> >> /Contents 4 0 R >>");
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>";
    std::string pdf = "%PDF-1.4\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t off : offsets) {
        char line[24];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", off);
        pdf += line;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

} // namespace pdf_samples
