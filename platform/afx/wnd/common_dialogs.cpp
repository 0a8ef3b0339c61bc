// CFileDialog and CColorDialog over the layer's common dialogs.
#include "afx/common_dialogs.h"
#include "afx/app.h"

IMPLEMENT_DYNAMIC(CFileDialog, CDialog)
IMPLEMENT_DYNAMIC(CColorDialog, CDialog)

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCWSTR lpszDefExt, LPCWSTR lpszFileName, DWORD dwFlags,
                         LPCWSTR lpszFilter, CWnd* pParentWnd, DWORD dwSize)
    : m_bOpenFileDialog(bOpenFileDialog), m_strDefExt(lpszDefExt) {
    m_pParentWnd = pParentWnd;
    m_ofn.lStructSize = dwSize ? dwSize : sizeof(m_ofn);
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = sizeof(m_szFileName) / sizeof(WCHAR);
    m_ofn.lpstrFileTitle = m_szFileTitle;
    m_ofn.nMaxFileTitle = sizeof(m_szFileTitle) / sizeof(WCHAR);
    m_ofn.Flags = dwFlags | OFN_EXPLORER;
    m_ofn.lpstrDefExt = m_strDefExt.IsEmpty() ? nullptr : (LPCWSTR)m_strDefExt;
    if (lpszFileName)
        lstrcpynW(m_szFileName, lpszFileName, (int)m_ofn.nMaxFile);
    if (lpszFilter) {
        m_strFilter = lpszFilter;
        // The buffer ends with two nulls whatever the caller wrote.
        m_strFilter += u'|';
        LPWSTR p = m_strFilter.GetBuffer();
        for (int i = 0; p[i]; ++i)
            if (p[i] == u'|')
                p[i] = 0;
        m_ofn.lpstrFilter = p;
    }
}

INT_PTR CFileDialog::DoModal() {
    CWnd* pParent = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    m_ofn.hwndOwner = pParent ? pParent->m_hWnd : nullptr;
    m_szFileTitle[0] = 0;
    BOOL ok = m_bOpenFileDialog ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
    return ok ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const {
    if (m_ofn.Flags & OFN_ALLOWMULTISELECT) {
        // With several names the buffer holds the folder first; one name is a whole path.
        POSITION pos = GetStartPosition();
        return pos ? GetNextPathName(pos) : CString();
    }
    return CString(m_ofn.lpstrFile);
}

CString CFileDialog::GetFileName() const {
    CString path = GetPathName();
    int cut = std::max(path.ReverseFind(u'/'), path.ReverseFind(u'\\'));
    return path.Mid(cut + 1);
}

CString CFileDialog::GetFileExt() const {
    CString name = GetFileName();
    int dot = name.ReverseFind(u'.');
    return dot >= 0 ? name.Mid(dot + 1) : CString();
}

CString CFileDialog::GetFileTitle() const {
    CString name = GetFileName();
    int dot = name.ReverseFind(u'.');
    return dot > 0 ? name.Left(dot) : name;
}

CString CFileDialog::GetFolderPath() const {
    CString path = GetPathName();
    int cut = std::max(path.ReverseFind(u'/'), path.ReverseFind(u'\\'));
    return cut > 0 ? path.Left(cut) : (cut == 0 ? CString(u"/") : CString());
}

POSITION CFileDialog::GetStartPosition() const {
    return m_ofn.lpstrFile && m_ofn.lpstrFile[0] ? reinterpret_cast<POSITION>(m_ofn.lpstrFile) : nullptr;
}

CString CFileDialog::GetNextPathName(POSITION& pos) const {
    const WCHAR* p = reinterpret_cast<const WCHAR*>(pos);
    const WCHAR* base = m_ofn.lpstrFile;
    const WCHAR* end = base + m_ofn.nMaxFile;
    if (!p || p < base || p >= end) {
        pos = nullptr;
        return CString();
    }
    auto nextOf = [&](const WCHAR* s) {
        while (s < end && *s)
            ++s;
        return s < end ? s + 1 : end;
    };
    BOOL bMulti = (m_ofn.Flags & OFN_ALLOWMULTISELECT) && nextOf(base) < end && *nextOf(base);
    if (!bMulti) {
        pos = nullptr;
        return CString(base);
    }
    // Folder, then names, each ended by a null, the list by an empty name.
    CString folder(base);
    if (p == base)
        p = nextOf(base);
    CString name(p);
    const WCHAR* next = nextOf(p);
    pos = next < end && *next ? reinterpret_cast<POSITION>(const_cast<WCHAR*>(next)) : nullptr;
    WCHAR last = folder.IsEmpty() ? 0 : folder[folder.GetLength() - 1];
    if (last == u'/' || last == u'\\')
        return folder + name;
    return folder + u"/" + name;
}

// ---- CColorDialog -------------------------------------------------------------------------------
COLORREF* PASCAL CColorDialog::GetSavedCustomColors() {
    // Shared by every colour dialog of the program, as the user's custom colours are.
    static COLORREF colors[16] = {RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                                  RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                                  RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                                  RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255)};
    return colors;
}

CColorDialog::CColorDialog(COLORREF clrInit, DWORD dwFlags, CWnd* pParentWnd) {
    m_pParentWnd = pParentWnd;
    m_cc.lStructSize = sizeof(m_cc);
    m_cc.lpCustColors = GetSavedCustomColors();
    m_cc.Flags = dwFlags;
    if ((m_cc.rgbResult = clrInit) != 0)
        m_cc.Flags |= CC_RGBINIT;
}

INT_PTR CColorDialog::DoModal() {
    CWnd* pParent = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    m_cc.hwndOwner = pParent ? pParent->m_hWnd : nullptr;
    return ::ChooseColorW(&m_cc) ? IDOK : IDCANCEL;
}
