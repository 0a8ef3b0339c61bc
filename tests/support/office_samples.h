// Flat XML documents of the office suite (a presentation, a spreadsheet), which the suite itself converts
// into the presentation and workbook files of the preview's tests and benchmark.
#pragma once

#include <string>

namespace office_samples {

// `slides` slides; the first holds a red rectangle over its top half, each a line "Slide n".
std::string FlatPresentation(int slides);
// A sheet whose first row holds "Name" and the CJK cell "数据恢复", then `rows` rows of a number and a text.
std::string FlatSpreadsheet(int rows);

} // namespace office_samples
