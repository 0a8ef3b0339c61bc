// The plain open and save dialog.
#include "app/plain_file_dialog.h"

CPlainFileDialog::CPlainFileDialog(BOOL bOpen, LPCWSTR defaultExt, LPWSTR fileBuffer, DWORD flags, LPCWSTR filter,
                                   CWnd* pOwner)
    : m_bOpen(bOpen)
{
    // The system's filter separates its strings with nulls where the program writes '|'.
    for (LPCWSTR p = filter ? filter : u""; *p; ++p)
        m_filter.push_back(*p == u'|' ? u'\0' : *p);
    if (m_filter.empty() || m_filter.back() != u'\0') {
        // A single pattern describes itself.
        std::vector<WCHAR> pattern(m_filter);
        m_filter.push_back(u'\0');
        m_filter.insert(m_filter.end(), pattern.begin(), pattern.end());
        m_filter.push_back(u'\0');
    }
    m_filter.push_back(u'\0');
    m_filter.push_back(u'\0');

    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    ::GetVersionExW(&version);
    m_ofn.lStructSize = version.dwMajorVersion < 5 ? OPENFILENAME_SIZE_VERSION_400W : sizeof(OPENFILENAMEW);
    m_ofn.hwndOwner = pOwner ? pOwner->GetSafeHwnd() : nullptr;
    m_ofn.lpstrFilter = m_filter.data();
    m_ofn.nFilterIndex = 1;
    m_ofn.lpstrFile = fileBuffer ? fileBuffer : m_szFile;
    m_ofn.nMaxFile = 260;
    m_ofn.lpstrFileTitle = m_szFileTitle;
    m_ofn.nMaxFileTitle = 260;
    m_ofn.lpstrDefExt = defaultExt;
    m_ofn.Flags = flags | OFN_EXPLORER;
}

INT_PTR CPlainFileDialog::DoModal()
{
    BOOL ok = m_bOpen ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
    return ok ? IDOK : IDCANCEL;
}

CString CPlainFileDialog::GetPathName() const
{
    std::vector<CString> names = GetPathNames();
    return names.empty() ? CString() : names.front();
}

std::vector<CString> CPlainFileDialog::GetPathNames() const
{
    std::vector<CString> names;
    LPCWSTR p = m_ofn.lpstrFile;
    if (!p || !*p)
        return names;
    CString first(p);
    p += first.GetLength() + 1;
    if (!(m_ofn.Flags & OFN_ALLOWMULTISELECT) || !*p) {
        names.push_back(first);
        return names;
    }
    // A multiple selection: the folder, then each name, null-separated.
    bool joined = first.Right(1) == u"\\" || first.Right(1) == u"/";
    for (; *p; p += CString(p).GetLength() + 1)
        names.push_back(joined ? first + p : first + u"\\" + p);
    return names;
}
