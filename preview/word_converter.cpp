// The Word converter "word8.cnv": reads Word 97-2003 documents as rich text (class "MSWord8") and writes rich
// text out as it is (class "MSWord6RTFExp"), behind the nine entry points of the text-converter interface.
#include "preview/text_converters.h"

#include "preview/archive/archive_libraries.h"
#include "preview/word_text_reader.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Documents larger than this are not read (the preview copies files of at most a few MiB).
constexpr uint64_t kMaxDocumentBytes = 128ull << 20;

// The text of a global-memory string, never past its block.
std::string GlobalString(HANDLE handle)
{
    const SIZE_T size = handle ? ::GlobalSize(handle) : 0;
    const char* text = size ? static_cast<const char*>(::GlobalLock(handle)) : nullptr;
    if (!text)
        return {};
    std::string out(text, strnlen(text, size));
    ::GlobalUnlock(handle);
    return out;
}

// Copies the lists into the block, each string and the list ended by a zero byte, as far as the block holds them.
void PutList(HANDLE handle, const char* const* items, size_t count)
{
    const SIZE_T size = handle ? ::GlobalSize(handle) : 0;
    char* block = size ? static_cast<char*>(::GlobalLock(handle)) : nullptr;
    if (!block)
        return;
    size_t at = 0;
    for (size_t i = 0; i < count; ++i) {
        const size_t length = std::strlen(items[i]) + 1;
        if (at + length + 1 > size)
            break;
        std::memcpy(block + at, items[i], length);
        at += length;
    }
    block[std::min<size_t>(at, size - 1)] = 0;
    ::GlobalUnlock(handle);
}

bool SameClass(const std::string& a, const char* b)
{
    return a.empty() || lstrcmpiA(a.c_str(), b) == 0;
}

HANDLE OpenNamed(HANDLE nameHandle, DWORD access, DWORD disposition)
{
    const std::string name = GlobalString(nameHandle);
    if (name.empty())
        return INVALID_HANDLE_VALUE;
    std::u16string wide = AnsiToWide(name.c_str(), name.size());
    return ::CreateFileW((LPCWSTR)wide.c_str(), access, access == GENERIC_READ ? FILE_SHARE_READ : 0, nullptr,
                         disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The whole input file; an error code when it cannot be opened or read or is larger than is read.
short ReadInput(HANDLE nameHandle, std::vector<uint8_t>& data)
{
    HANDLE file = OpenNamed(nameHandle, GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE)
        return fceOpenInFileErr;
    LARGE_INTEGER length{};
    short result = 0;
    if (!::GetFileSizeEx(file, &length) || length.QuadPart < 0) {
        result = fceReadErr;
    } else if (uint64_t(length.QuadPart) > kMaxDocumentBytes) {
        result = fceInvalidFile;
    } else {
        data.resize(size_t(length.QuadPart));
        DWORD got = 0;
        if (!data.empty() && (!::ReadFile(file, data.data(), DWORD(data.size()), &got, nullptr) || got != data.size()))
            result = fceReadErr;
    }
    ::CloseHandle(file);
    return result;
}

LONG WINAPI InitConverter32(HANDLE, char*) { return 1; }

void WINAPI UninitConverter() {}

// The converter keeps no preferences: an empty record list.
HGLOBAL WINAPI RegisterApp(unsigned long, void*)
{
    return ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4);
}

void WINAPI GetReadNames(HANDLE classes, HANDLE descriptions, HANDLE extensions)
{
    const char* const c[] = {WORD8_IMPORT_CLASS};
    const char* const d[] = {"Word 97-2003"};
    const char* const e[] = {"*.doc"};
    PutList(classes, c, 1);
    PutList(descriptions, d, 1);
    PutList(extensions, e, 1);
}

void WINAPI GetWriteNames(HANDLE classes, HANDLE descriptions, HANDLE extensions)
{
    const char* const c[] = {WORD8_EXPORT_CLASS};
    const char* const d[] = {"Rich Text Format"};
    const char* const e[] = {"*.rtf"};
    PutList(classes, c, 1);
    PutList(descriptions, d, 1);
    PutList(extensions, e, 1);
}

short WINAPI IsFormatCorrect32(HANDLE file, HANDLE className)
{
    std::vector<uint8_t> data;
    const short read = ReadInput(file, data);
    if (read == fceOpenInFileErr)
        return -1;
    if (read != 0 || !IsWordDocument(data.data(), data.size()))
        return 0;
    const char* const c[] = {WORD8_IMPORT_CLASS};
    PutList(className, c, 1);
    return 1;
}

short WINAPI ForeignToRtf32(HANDLE file, void*, HANDLE buffer, HANDLE className, HANDLE, PFN_RTF out)
{
    if (!out || !buffer || !SameClass(GlobalString(className), WORD8_IMPORT_CLASS))
        return fceNotRecognised;
    std::vector<uint8_t> data;
    if (short read = ReadInput(file, data))
        return read;
    std::u16string text;
    switch (ReadWordText(data.data(), data.size(), text)) {
    case WordReadStatus::Ok: break;
    case WordReadStatus::NotWord: return fceNotRecognised;
    default: return fceInvalidFile;
    }
    data = {};
    const std::string rtf = WordTextToRtf(text);
    const size_t chunk = ::GlobalSize(buffer);
    if (chunk == 0)
        return fceNoMemory;
    for (size_t at = 0; at < rtf.size();) {
        const size_t count = std::min(chunk, rtf.size() - at);
        void* p = ::GlobalLock(buffer);
        if (!p)
            return fceNoMemory;
        std::memcpy(p, rtf.data() + at, count);
        ::GlobalUnlock(buffer);
        at += count;
        if (out(long(count), long(uint64_t(at) * 100 / rtf.size())) < 0)
            return fceWriteErr;
    }
    return 0;
}

short WINAPI RtfToForeign32(HANDLE file, void*, HANDLE buffer, HANDLE className, PFN_RTF in)
{
    if (!in || !buffer || !SameClass(GlobalString(className), WORD8_EXPORT_CLASS))
        return fceNotRecognised;
    HANDLE output = OpenNamed(file, GENERIC_WRITE, CREATE_ALWAYS);
    if (output == INVALID_HANDLE_VALUE)
        return fceOpenOutFileErr;
    short result = 0;
    for (;;) {
        const long count = in(0, 0);
        if (count == 0)
            break;
        if (count < 0 || SIZE_T(count) > ::GlobalSize(buffer)) {
            result = fceReadErr;
            break;
        }
        const void* p = ::GlobalLock(buffer);
        DWORD written = 0;
        const BOOL ok = p && ::WriteFile(output, p, DWORD(count), &written, nullptr) && written == DWORD(count);
        ::GlobalUnlock(buffer);
        if (!ok) {
            result = fceWriteErr;
            break;
        }
    }
    ::CloseHandle(output);
    return result;
}

// The host's own messages name every error this converter gives.
long WINAPI CchFetchLpszError(long, char* text, long size)
{
    if (text && size > 0)
        text[0] = 0;
    return 0;
}

} // namespace

void RegisterWordConverter()
{
    dovemark::RegisterModule(WORD8_MODULE_NAME, {{"InitConverter32", LibraryProc(&InitConverter32)},
                                                 {"UninitConverter", LibraryProc(&UninitConverter)},
                                                 {"RegisterApp", LibraryProc(&RegisterApp)},
                                                 {"ForeignToRtf32", LibraryProc(&ForeignToRtf32)},
                                                 {"RtfToForeign32", LibraryProc(&RtfToForeign32)},
                                                 {"IsFormatCorrect32", LibraryProc(&IsFormatCorrect32)},
                                                 {"CchFetchLpszError", LibraryProc(&CchFetchLpszError)},
                                                 {"GetReadNames", LibraryProc(&GetReadNames)},
                                                 {"GetWriteNames", LibraryProc(&GetWriteNames)}});
}
