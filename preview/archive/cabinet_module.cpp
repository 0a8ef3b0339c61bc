// The stand-in of "Cabinet.dll"'s decompressor: walks a cabinet's files and tells them to the
// caller's notification function; it decompresses nothing.
#include "preview/archive/archive_headers.h"
#include "preview/archive/archive_libraries.h"
#include "preview/archive/archive_time.h"
#include "preview/archive/cabinet_library.h"

#include <cstring>
#include <string>

namespace {

struct FdiContext {
    PFNALLOC alloc;
    PFNFREE free;
    PFNOPEN open;
    PFNREAD read;
    PFNWRITE write;
    PFNCLOSE close;
    PFNSEEK seek;
    PERF erf;
};

BOOL Fail(FdiContext* c, FDIERROR error)
{
    if (c && c->erf) {
        c->erf->erfOper = error;
        c->erf->erfType = 0;
        c->erf->fError = TRUE;
    }
    return FALSE;
}

uint32_t U16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }

HFDI FDICreate(PFNALLOC pfnalloc, PFNFREE pfnfree, PFNOPEN pfnopen, PFNREAD pfnread, PFNWRITE pfnwrite,
               PFNCLOSE pfnclose, PFNSEEK pfnseek, int cpuType, PERF perf)
{
    if (!pfnalloc || !pfnfree || !pfnopen || !pfnread || !pfnclose || !pfnseek) {
        if (perf) {
            perf->erfOper = FDIERROR_ALLOC_FAIL;
            perf->fError = TRUE;
        }
        return nullptr;
    }
    void* memory = pfnalloc(sizeof(FdiContext));
    if (!memory) {
        if (perf) {
            perf->erfOper = FDIERROR_ALLOC_FAIL;
            perf->fError = TRUE;
        }
        return nullptr;
    }
    auto* c = new (memory) FdiContext{pfnalloc, pfnfree, pfnopen, pfnread, pfnwrite, pfnclose, pfnseek, perf};
    return c;
}

BOOL FDIDestroy(HFDI hfdi)
{
    auto* c = static_cast<FdiContext*>(hfdi);
    if (!c)
        return FALSE;
    PFNFREE release = c->free;
    c->~FdiContext();
    release(c);
    return TRUE;
}

BOOL FDIIsCabinet(HFDI hfdi, INT_PTR hf, PFDICABINETINFO info)
{
    auto* c = static_cast<FdiContext*>(hfdi);
    if (!c)
        return FALSE;
    uint8_t h[36];
    if (c->read(hf, h, sizeof h) != sizeof h || std::memcmp(h, "MSCF", 4) != 0)
        return Fail(c, FDIERROR_NOT_A_CABINET);
    if (info) {
        uint32_t flags = U16(h + 30);
        info->cbCabinet = long(U16(h + 8) | U16(h + 10) << 16);
        info->cFolders = USHORT(U16(h + 26));
        info->cFiles = USHORT(U16(h + 28));
        info->setID = USHORT(U16(h + 32));
        info->iCabinet = USHORT(U16(h + 34));
        info->hasprev = (flags & 1) != 0;
        info->hasnext = (flags & 2) != 0;
        info->fReserve = (flags & 4) != 0;
    }
    return TRUE;
}

BOOL FDICopy(HFDI hfdi, char* pszCabinet, char* pszCabPath, int flags, PFNFDINOTIFY notify, PFNFDIDECRYPT decrypt,
             void* pvUser)
{
    auto* c = static_cast<FdiContext*>(hfdi);
    if (!c || !pszCabinet || !notify)
        return Fail(c, FDIERROR_CABINET_NOT_FOUND);
    std::string path = std::string(pszCabPath ? pszCabPath : "") + pszCabinet;
    INT_PTR hf = c->open(path.data(), _O_BINARY | _O_RDONLY, _S_IREAD | _S_IWRITE);
    if (hf == -1)
        return Fail(c, FDIERROR_CABINET_NOT_FOUND);
    ArchiveHeaderReader reader(ArchiveHeaderReader::kCabinet);
    bool opened = reader.OpenCallbacks(
        [&](void* buffer, size_t n) -> int64_t {
            UINT got = c->read(hf, buffer, UINT(n > 0x10000 ? 0x10000 : n));
            return got == UINT(-1) ? -1 : int64_t(got);
        },
        [&](int64_t offset, int whence) -> int64_t {
            if (offset < -0x7fffffffLL || offset > 0x7fffffffLL)
                return -1;
            return c->seek(hf, long(offset), whence);
        });
    BOOL result = TRUE;
    if (!opened) {
        result = Fail(c, FDIERROR_NOT_A_CABINET);
    } else {
        FDINOTIFICATION info{};
        char empty[1] = "";
        info.psz1 = info.psz2 = empty;
        info.psz3 = pszCabPath ? pszCabPath : empty;
        info.pv = pvUser;
        if (notify(fdintCABINET_INFO, &info) == -1)
            result = Fail(c, FDIERROR_USER_ABORT);
        ArchiveHeader header;
        while (result) {
            int r = reader.Next(header);
            if (r == 0)
                break;
            if (r < 0) {
                result = Fail(c, FDIERROR_CORRUPT_CABINET);
                break;
            }
            if (header.directory)
                continue;
            std::string name = WideToAnsi(header.name);
            DWORD dos = header.hasTime ? DosDateTimeOf(header.modified) : 0;
            FDINOTIFICATION n{};
            n.cb = long(header.size > 0x7fffffffULL ? 0x7fffffffULL : header.size);
            n.psz1 = name.data();
            n.pv = pvUser;
            n.date = USHORT(dos >> 16);
            n.time = USHORT(dos & 0xffff);
            n.attribs = USHORT(header.attributes & 0x3f);
            INT_PTR answer = notify(fdintCOPY_FILE, &n);
            if (answer == -1)
                result = Fail(c, FDIERROR_USER_ABORT);
            else if (answer != 0)
                // The caller asked for the file's data, which this library does not decompress.
                result = Fail(c, FDIERROR_TARGET_FILE);
        }
    }
    c->close(hf);
    return result;
}

} // namespace

void RegisterCabinetLibrary()
{
    dovemark::RegisterModule("Cabinet.dll", {{"FDICreate", LibraryProc(&FDICreate)},
                                             {"FDICopy", LibraryProc(&FDICopy)},
                                             {"FDIIsCabinet", LibraryProc(&FDIIsCabinet)},
                                             {"FDIDestroy", LibraryProc(&FDIDestroy)}});
}

void RegisterArchiveLibraries()
{
    RegisterRarLibrary();
    RegisterCabinetLibrary();
}
