// The cabinet lister: the files of a cabinet, told one by one by the cabinet library's
// decompressor, which is loaded at run time and asked to skip every file.
#include "preview/archive/archive_list_view.h"

#include "preview/archive/archive_libraries.h"
#include "preview/archive/archive_time.h"
#include "preview/archive/cab_listing.h"
#include "preview/archive/cabinet_library.h"
#include "preview/preview_host.h"

#include <string>

IMPLEMENT_DYNAMIC(CCabEntry, CObject)

CObList CabEntryList(10);

namespace {

void* FdiAlloc(ULONG cb) { return ::operator new(cb, std::nothrow); }
void FdiFree(void* pv) { ::operator delete(pv); }
// The file callbacks are the C runtime's descriptor functions; names are in the program's code page.
INT_PTR FdiOpen(char* pszFile, int oflag, int pmode)
{
    return _wopen(AnsiToWide(std::string(pszFile)).c_str(), oflag, pmode);
}
UINT FdiRead(INT_PTR hf, void* pv, UINT cb) { return UINT(_read(int(hf), pv, cb)); }
UINT FdiWrite(INT_PTR hf, void* pv, UINT cb) { return UINT(_write(int(hf), pv, cb)); }
int FdiClose(INT_PTR hf) { return _close(int(hf)); }
long FdiSeek(INT_PTR hf, long dist, int seektype) { return _lseek(int(hf), dist, seektype); }

void ClearCabEntries()
{
    while (!CabEntryList.IsEmpty())
        delete static_cast<CCabEntry*>(CabEntryList.RemoveHead());
}

// Splits a name at its last "\": the folder keeps the separator.
void SplitAtBackslash(const CString& whole, CString& name, CString& folder)
{
    int slash = whole.ReverseFind(u'\\');
    name = slash >= 0 ? whole.Mid(slash + 1) : whole;
    folder = slash >= 0 ? whole.Left(slash + 1) : CString();
}

} // namespace

CCabinetReader::~CCabinetReader()
{
    Close();
}

BOOL CCabinetReader::Load()
{
    m_hModule = ::LoadLibraryA("Cabinet.dll");
    if (!m_hModule)
        return FALSE;
    m_pCreate = BoundProc<FDICreateFn>(m_hModule, "FDICreate");
    m_pCopy = BoundProc<FDICopyFn>(m_hModule, "FDICopy");
    m_pIsCabinet = BoundProc<FDIIsCabinetFn>(m_hModule, "FDIIsCabinet");
    m_pDestroy = BoundProc<FDIDestroyFn>(m_hModule, "FDIDestroy");
    return m_pCreate && m_pCopy && m_pIsCabinet && m_pDestroy;
}

BOOL CCabinetReader::Create()
{
    m_hContext = m_pCreate(FdiAlloc, FdiFree, FdiOpen, FdiRead, FdiWrite, FdiClose, FdiSeek, cpu80386, &m_erf);
    return m_hContext != nullptr;
}

void CCabinetReader::Close()
{
    if (m_hContext && m_pDestroy && m_pDestroy(m_hContext))
        m_hContext = nullptr;
    if (m_hModule) {
        ::FreeLibrary(m_hModule);
        m_hModule = nullptr;
    }
}

INT_PTR CabNotify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION pfdin)
{
    if (type != fdintCOPY_FILE)
        return 0;
    UINT codePage = pfdin->attribs & _A_NAME_IS_UTF ? CP_UTF8 : CP_ACP;
    CString whole(AnsiToWide(std::string(pfdin->psz1 ? pfdin->psz1 : ""), codePage).c_str());
    auto* entry = new CCabEntry;
    SplitAtBackslash(whole, entry->m_strName, entry->m_strFolder);
    entry->m_nSize = DWORD(pfdin->cb);
    DosDateTimeToMoment(pfdin->date, pfdin->time, &entry->m_time);
    entry->m_nAttributes = pfdin->attribs;
    CabEntryList.AddHead(entry);
    return 0;
}

int ListCabArchive(CMyListCtrl* view)
{
    CArchiveListCtrl& list = *view->m_pArchiveList;
    list.DeleteAllItems();
    CCabinetReader reader;
    if (!reader.Load()) {
        ReportPreviewComponentUnavailable();
        return 0;
    }
    if (!reader.Create())
        return 0;
    IPreviewHost* host = GetPreviewHost();
    if (!host)
        return 0;
    std::string ansi = WideToAnsi(std::u16string((LPCWSTR)host->GetPreviewPath()));
    if (ansi.empty())
        return 0;
    ClearCabEntries();
    size_t slash = ansi.rfind('\\');
    std::string name = slash == std::string::npos ? ansi : ansi.substr(slash + 1);
    std::string folder = slash == std::string::npos ? std::string() : ansi.substr(0, slash + 1);
    if (!reader.m_pCopy(reader.m_hContext, name.data(), folder.data(), 0, CabNotify, nullptr, &reader)) {
        ClearCabEntries();
        return 0;
    }
    int row = 0;
    for (POSITION pos = CabEntryList.GetHeadPosition(); pos;) {
        auto* e = static_cast<CCabEntry*>(CabEntryList.GetNext(pos));
        CString size;
        size.Format(u"%u", e->m_nSize);
        list.AddRow(row, e->m_strName, CShellFileInfo::GetIconIndex(e->m_strName, TRUE),
                    {e->m_strFolder, size, FormatArchiveTime(CTime(e->m_time)),
                     FormatAttributeLetters(e->m_nAttributes)});
        ++row;
    }
    return 1;
}
