// The RAR table of contents through the run-time RAR library.
#include "preview/archive/rar_entry_list.h"

#include "preview/archive/archive_libraries.h"

#include <cstring>
#include <memory>

CRarEntryList::CRarEntryList()
{
    m_hModule = ::LoadLibraryW(u"unrar.dll");
    if (!m_hModule)
        m_strError = CString(u"加载错误：无法加载 unrar.dll 文件") + u"        ";
}

CRarEntryList::~CRarEntryList()
{
    if (m_hModule)
        ::FreeLibrary(m_hModule);
}

bool CRarEntryList::ReadArchive(const char* path)
{
    if (!m_hModule)
        return false;
    m_pOpenArchiveEx = BoundProc<RAROpenArchiveExFn>(m_hModule, "RAROpenArchiveEx");
    m_pCloseArchive = BoundProc<RARCloseArchiveFn>(m_hModule, "RARCloseArchive");
    m_pProcessFile = BoundProc<RARProcessFileFn>(m_hModule, "RARProcessFile");
    m_pReadHeaderEx = BoundProc<RARReadHeaderExFn>(m_hModule, "RARReadHeaderEx");
    // A library without one of its entry points cannot list anything.
    if (!m_pOpenArchiveEx || !m_pCloseArchive || !m_pProcessFile || !m_pReadHeaderEx)
        return false;
    RAROpenArchiveDataEx open;
    std::memset(&open, 0, sizeof open);
    std::string name(path ? path : "");
    open.ArcName = name.data();
    open.OpenMode = RAR_OM_LIST;
    HANDLE archive = m_pOpenArchiveEx(&open);
    if (open.OpenResult != 0) {
        m_strError = CString(u"打开错误：无法打开 RAR 文件") + u"        ";
        return false;
    }
    m_entries.clear();
    auto header = std::make_unique<RARHeaderDataEx>();
    std::memset(header.get(), 0, sizeof *header);
    std::vector<char> comment(0x4000);
    header->CmtBuf = comment.data();
    header->CmtBufSize = unsigned(comment.size());
    m_bDamaged = false;
    int read = 0;
    while ((read = m_pReadHeaderEx(archive, header.get())) == 0) {
        RarEntry entry;
        header->FileName[sizeof header->FileName - 1] = '\0';
        entry.name = CString(AnsiToWide(std::string(header->FileName)).c_str());
        entry.flags = header->Flags;
        entry.packedSize = ULONGLONG(header->PackSizeHigh) << 32 | header->PackSize;
        entry.unpackedSize = ULONGLONG(header->UnpSizeHigh) << 32 | header->UnpSize;
        entry.time = header->FileTime;
        entry.attributes = header->FileAttr;
        m_entries.push_back(entry);
        if (m_pProcessFile(archive, RAR_SKIP, nullptr, nullptr) != 0) {
            m_bDamaged = true;
            break;
        }
    }
    if (read != 0 && read != ERAR_END_ARCHIVE)
        m_bDamaged = true;
    m_pCloseArchive(archive);
    return true;
}
