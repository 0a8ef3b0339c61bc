// The document of the template: picture browsing and the database of the previews.
#include "app/ex_style_doc.h"

#include "app/message_dlg.h"
#include "preview/preview_image.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CEx_StyleDoc, CDocument)

namespace {

IDocumentPreviewServices* g_services = nullptr;

// Every plain file of the folder, in the order the system lists them.
std::vector<CString> PlainFiles(const CString& folder)
{
    std::vector<CString> names;
    WIN32_FIND_DATAW found{};
    HANDLE find = ::FindFirstFileW(folder + u"\\*.*", &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        CString name(found.cFileName);
        if (name != u"." && name != u"..")
            names.push_back(name);
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
    return names;
}

// Orders names as a reader counts: runs of digits compare by value, so "slide10" follows "slide9"
// (exported slides are numbered without leading zeros).
bool NaturalLess(const CString& a, const CString& b)
{
    const int na = a.GetLength(), nb = b.GetLength();
    int i = 0, j = 0;
    auto digit = [](WCHAR c) { return c >= u'0' && c <= u'9'; };
    while (i < na && j < nb) {
        if (digit(a[i]) && digit(b[j])) {
            int ei = i, ej = j;
            while (ei < na && a[ei] == u'0')
                ++ei;
            while (ej < nb && b[ej] == u'0')
                ++ej;
            int si = ei, sj = ej;
            while (ei < na && digit(a[ei]))
                ++ei;
            while (ej < nb && digit(b[ej]))
                ++ej;
            if (ei - si != ej - sj)
                return ei - si < ej - sj;
            for (int k = 0; k < ei - si; ++k)
                if (a[si + k] != b[sj + k])
                    return a[si + k] < b[sj + k];
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    if ((na - i) != (nb - j))
        return na - i < nb - j;
    return a.Compare(b) < 0;
}

} // namespace

void SetDocumentPreviewServices(IDocumentPreviewServices* services)
{
    g_services = services;
}

// The picture library's table: only formats it can decode have a type.
int FindImageType(LPCWSTR name) { return PreviewImageType(name); }

CString FormatDaoStatus(LONG scode)
{
    const DWORD code = static_cast<DWORD>(scode);
    CString text;
    text.Format(u"ERROR:CDaoException\n\nSCODE_CODE      =%d\nSCODE_FACILITY  =%d\nSCODE_SEVERITY  =%d\n"
                u"ResultFromScode =%d\n",
                int(code & 0xFFFF), int((code >> 16) & 0x1FFF), int(code >> 31), int(scode));
    return text;
}

void ReportDaoException(LONG scode)
{
    ShowAppMessage(FormatDaoStatus(scode), MSG_KIND_ERROR);
}

CEx_StyleDoc::~CEx_StyleDoc()
{
    if (m_pDatabase) {
        if (m_pDatabase->IsOpen())
            m_pDatabase->Close();
        delete m_pDatabase;
    }
    DropCurrentImage();
}

BOOL CEx_StyleDoc::OnNewDocument()
{
    return CDocument::OnNewDocument();
}

void CEx_StyleDoc::DropCurrentImage()
{
    delete m_pCurrentImage;
    m_pCurrentImage = nullptr;
}

void CEx_StyleDoc::OpenImageFolder(LPCWSTR folder)
{
    m_strFolder = folder;
    m_ImageNames.clear();
    DropCurrentImage();
    for (CString& name : PlainFiles(m_strFolder))
        if (FindImageType(name))
            m_ImageNames.push_back(name);
    std::sort(m_ImageNames.begin(), m_ImageNames.end(), NaturalLess);
    if (g_services)
        g_services->FillThumbnails(this);
    m_nCurrentImage = -1;
}

void CEx_StyleDoc::SetCurrentImage(int n)
{
    if (n == m_nCurrentImage)
        return;
    m_nCurrentImage = n;
    DropCurrentImage();
    if (n < 0 || n >= int(m_ImageNames.size()))
        return;
    CString path = m_strFolder + u"\\" + m_ImageNames[n];
    int type = FindImageType(path);
    if (type && g_services)
        m_pCurrentImage = g_services->LoadPicture(path, type);
}

void CEx_StyleDoc::DeleteFolderFiles(LPCWSTR folder)
{
    m_strFolder = folder;
    m_ImageNames.clear();
    DropCurrentImage();
    for (CString& name : PlainFiles(m_strFolder))
        ::DeleteFileW(m_strFolder + u"\\" + name);
}

BOOL CEx_StyleDoc::OpenDaoDatabase(LPCWSTR path)
{
    if (!g_services)
        return FALSE;
    LONG status = 0;
    CDocDatabase* database = g_services->OpenDatabase(path, &status);
    if (!database) {
        ReportDaoException(status);
        return FALSE;
    }
    if (m_pDatabase) {
        if (m_pDatabase->IsOpen())
            m_pDatabase->Close();
        delete m_pDatabase;
    }
    m_pDatabase = database;
    if (m_pDatabase->IsOpen())
        g_services->ShowDatabase(this);
    return TRUE;
}
