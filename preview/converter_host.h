// The host of the Office text converters, kept in the shape of the small command-line tool "wordcnv": it finds
// the converters in the folder named by WORDCNV_DIR, and converts one document between a foreign format and
// rich text, writing its diagnostics to the standard error stream.
#pragma once

#include "win32/win32.h"

// Held by the caller around one conversion.
class CConverterSession {
public:
    virtual ~CConverterSession() = default;
};

// Converts the input file into the output file: from the import class into rich text, and from rich text into
// the export class when that is not "RTF" itself. An empty import class is found by asking the converters.
// 0 when a conversion was attempted (whether it worked shows in the output file), 1 on a setup failure, 2 on
// a usage error. Not reentrant.
int WordConvMain(LPCSTR importClass, LPCSTR exportClass, LPCSTR inputPath, LPCSTR outputPath);

// Whether a converter found by the last call offers that import class (without regard to case).
BOOL WordConvFoundImportClass(LPCSTR importClass);
