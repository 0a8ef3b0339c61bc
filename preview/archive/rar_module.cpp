// The stand-in of "unrar.dll": lists the headers of RAR 4 and RAR 5 archives, extracts nothing.
#include "preview/archive/archive_headers.h"
#include "preview/archive/archive_libraries.h"
#include "preview/archive/archive_time.h"
#include "preview/archive/rar_library.h"

#include <cstring>
#include <string>

namespace {

struct RarArchive {
    ArchiveHeaderReader reader{ArchiveHeaderReader::kRar};
    std::string arcName;
    std::u16string arcNameW;
    bool headerPending = false; // a header was read and not yet processed
};

HANDLE WINAPI RAROpenArchiveEx(RAROpenArchiveDataEx* data)
{
    if (!data)
        return nullptr;
    std::u16string path;
    if (data->ArcNameW && *data->ArcNameW)
        path = data->ArcNameW;
    else if (data->ArcName)
        path = AnsiToWide(std::string(data->ArcName));
    auto* archive = new RarArchive;
    bool missing = false;
    std::string hostPath;
    // libarchive opens files by their host names, which the layer finds for the program's path.
    if (!dovemark::MapPath(path.c_str(), hostPath) || !archive->reader.OpenFile(hostPath, &missing)) {
        data->OpenResult = missing ? ERAR_EOPEN : ERAR_BAD_ARCHIVE;
        delete archive;
        return nullptr;
    }
    archive->arcNameW = path;
    archive->arcName = WideToAnsi(path);
    data->OpenResult = 0;
    data->CmtSize = 0;
    data->CmtState = 0;
    data->Flags = 0;
    return reinterpret_cast<HANDLE>(archive);
}

int WINAPI RARCloseArchive(HANDLE handle)
{
    delete reinterpret_cast<RarArchive*>(handle);
    return 0;
}

int WINAPI RARReadHeaderEx(HANDLE handle, RARHeaderDataEx* h)
{
    auto* archive = reinterpret_cast<RarArchive*>(handle);
    if (!archive || !h)
        return ERAR_UNKNOWN;
    ArchiveHeader header;
    int r = archive->reader.Next(header);
    if (r == 0)
        return ERAR_END_ARCHIVE;
    if (r < 0)
        return ERAR_BAD_DATA;
    // The caller's comment buffer stays as it gave it; the rest of the record is this header's.
    char* cmtBuf = h->CmtBuf;
    unsigned int cmtBufSize = h->CmtBufSize;
    std::memset(h, 0, sizeof *h);
    h->CmtBuf = cmtBuf;
    h->CmtBufSize = cmtBufSize;
    std::strncpy(h->ArcName, archive->arcName.c_str(), sizeof h->ArcName - 1);
    archive->arcNameW.copy(h->ArcNameW, std::min<size_t>(archive->arcNameW.size(), 1023));
    std::string narrow = WideToAnsi(header.name);
    std::strncpy(h->FileName, narrow.c_str(), sizeof h->FileName - 1);
    header.name.copy(h->FileNameW, std::min<size_t>(header.name.size(), 1023));
    h->Flags = RHDF_LONG_BLOCK | (header.directory ? RHDF_DIRECTORY : 0) | (header.encrypted ? RHDF_ENCRYPTED : 0);
    h->UnpSize = unsigned(header.size & 0xffffffffu);
    h->UnpSizeHigh = unsigned(header.size >> 32);
    h->FileTime = header.hasTime ? DosDateTimeOf(header.modified) : 0;
    h->FileAttr = header.attributes;
    archive->headerPending = true;
    return 0;
}

// Skipping moves on to the next header; testing or extracting would need the data, which this
// library does not decompress.
int WINAPI RARProcessFile(HANDLE handle, int operation, char* destPath, char* destName)
{
    auto* archive = reinterpret_cast<RarArchive*>(handle);
    if (!archive || !archive->headerPending)
        return ERAR_UNKNOWN;
    archive->headerPending = false;
    return operation == RAR_SKIP ? 0 : ERAR_ECREATE;
}

} // namespace

void RegisterRarLibrary()
{
    dovemark::RegisterModule("unrar.dll", {{"RAROpenArchiveEx", LibraryProc(&RAROpenArchiveEx)},
                                           {"RARReadHeaderEx", LibraryProc(&RARReadHeaderEx)},
                                           {"RARProcessFile", LibraryProc(&RARProcessFile)},
                                           {"RARCloseArchive", LibraryProc(&RARCloseArchive)}});
}
