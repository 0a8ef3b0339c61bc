// The Office text-converter interface: the entry points a converter library exports, the callback through
// which it hands over or takes rich text, and its error codes. The Word converter "word8.cnv" the program
// brings is registered in the layer's module table, so the host binds it with LoadLibrary like any other.
#pragma once

#include "win32/win32.h"

// Hands the converter's transfer buffer over (count of bytes, percent done) or fills it (flags, percent);
// a negative answer stops the conversion.
typedef long(WINAPI* PFN_RTF)(long, long);

typedef LONG(WINAPI* PFN_InitConverter32)(HANDLE window, char* module);
typedef void(WINAPI* PFN_UninitConverter)();
typedef HGLOBAL(WINAPI* PFN_RegisterApp)(unsigned long flags, void* future);
typedef short(WINAPI* PFN_ForeignToRtf32)(HANDLE file, void* storage, HANDLE buffer, HANDLE className,
                                          HANDLE subset, PFN_RTF out);
typedef short(WINAPI* PFN_RtfToForeign32)(HANDLE file, void* storage, HANDLE buffer, HANDLE className, PFN_RTF in);
typedef short(WINAPI* PFN_IsFormatCorrect32)(HANDLE file, HANDLE className);
typedef long(WINAPI* PFN_CchFetchLpszError)(long code, char* text, long size);
// Fills the three handles with lists of strings (classes, descriptions, extensions), each list ended by an
// empty string.
typedef void(WINAPI* PFN_GetNames)(HANDLE classes, HANDLE descriptions, HANDLE extensions);

// Error codes of the conversion entry points.
enum : short {
    fceOpenInFileErr = -1,
    fceReadErr = -2,
    fceWriteErr = -4,
    fceInvalidFile = -5,
    fceNoMemory = -8,
    fceOpenOutFileErr = -13,
    fceNotRecognised = -14,
};

// The Word converter's classes: Word 97-2003 documents read as rich text, and rich text written as it is.
#define WORD8_IMPORT_CLASS "MSWord8"
#define WORD8_EXPORT_CLASS "MSWord6RTFExp"
#define WORD8_MODULE_NAME "word8.cnv"

void RegisterWordConverter();
