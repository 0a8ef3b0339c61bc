// The office suite that stands in for the presentation and workbook programs of the preview: a document is
// converted (to PDF, to HTML) by the suite running headless in a process of its own, with a private profile,
// no network, a time limit and a cap on what it writes.
#pragma once

#include "afx/afx.h"

#include <functional>
#include <string>

enum class OfficeResult { kOk, kNoSuite, kFailed };

// Converts the document at `path` into `format` ("pdf", "html") in a folder of the program's temporary
// folder that the next conversion empties; `converted` gets the result's path. `idle` runs while the suite
// works (false stops it).
OfficeResult ConvertOfficeDocument(const CString& path, const char* format, CString& converted,
                                   const std::function<bool()>& idle = {});

// The suite's program to run instead of the installed one (an empty path restores it), and the longest a
// conversion may take before the document is taken for damaged.
void SetOfficeProgram(const std::string& path);
void SetOfficeTimeout(int milliseconds);
// Whether the suite is installed (or set).
bool IsOfficeSuiteAvailable();
