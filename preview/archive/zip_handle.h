// What the zip reader and the zip writer share behind the handle API: the handle's kind and the last
// result.
#pragma once

#include "preview/archive/zip_reader.h"

const DWORD kZipReaderKind = 1;
const DWORD kZipWriterKind = 2;

// The head of every handle: the reader and the writer records derive from it.
struct ZipHandleRecord {
    DWORD kind = kZipReaderKind;
};

// Stores the code as the last result and returns it.
DWORD ZipResult(DWORD code);
