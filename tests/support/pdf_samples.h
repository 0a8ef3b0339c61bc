// A writer of small PDF documents with a correct cross-reference table, for the PDF viewer's tests and benchmark.
#pragma once

#include <string>

namespace pdf_samples {

// `pages` pages of width × height points, each drawn by the same content stream; the font /F1 is Helvetica.
std::string WritePdf(int pages, int width, int height, const std::string& content);

} // namespace pdf_samples
