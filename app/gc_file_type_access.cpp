// Writes the snapshot type's keys under HKEY_CLASSES_ROOT.
#include "app/gc_file_type_access.h"

IMPLEMENT_DYNAMIC(CGCFileTypeAccess, CObject)

void CGCFileTypeAccess::ClearAllData()
{
    m_csExtension.Empty();
    m_csShellOpenCommand.Empty();
    m_csDocumentShellOpenCommand.Empty();
    m_csDocumentClassName.Empty();
    m_csDocumentDescription.Empty();
    m_csDocumentDefaultIcon.Empty();
    for (CString& s : m_csReserved)
        s.Empty();
}

CString CGCFileTypeAccess::OpenCommandFor(const CString& programPath)
{
    return u"\"" + programPath + u"\" \"%0\"";
}

BOOL CGCFileTypeAccess::SetRegistryValue(HKEY root, const CString& key, const CString& value)
{
    if (key.IsEmpty() || value.IsEmpty()) {
        ::SetLastError(DWORD(E_INVALIDARG));
        return FALSE;
    }
    HKEY handle = nullptr;
    if (::RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return FALSE;
    LONG result = ::RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(LPCWSTR(value)),
                                   DWORD((value.GetLength() + 1) * sizeof(WCHAR)));
    ::RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

BOOL CGCFileTypeAccess::RegSetAllInfo()
{
    RegSetExtension();
    RegSetDocumentType();
    RegSetCLSID();
    RegSetShellInfo();
    return TRUE;
}

BOOL CGCFileTypeAccess::RegSetExtension()
{
    if (m_csExtension.IsEmpty())
        return FALSE;
    CString key = u"." + m_csExtension;
    BOOL ok = SetRegistryValue(HKEY_CLASSES_ROOT, key, m_csDocumentClassName);
    if (!m_csShellOpenCommand.IsEmpty())
        ok = SetRegistryValue(HKEY_CLASSES_ROOT, key + u"\\shell\\open\\command", m_csShellOpenCommand) && ok;
    return ok;
}

BOOL CGCFileTypeAccess::RegSetDocumentType()
{
    if (m_csDocumentClassName.IsEmpty())
        return FALSE;
    const CString& key = m_csDocumentClassName;
    BOOL ok = SetRegistryValue(HKEY_CLASSES_ROOT, key, m_csDocumentDescription);
    if (!m_csDocumentDefaultIcon.IsEmpty())
        ok = SetRegistryValue(HKEY_CLASSES_ROOT, key + u"\\DefaultIcon", m_csDocumentDefaultIcon) && ok;
    if (!m_csShellOpenCommand.IsEmpty())
        ok = SetRegistryValue(HKEY_CLASSES_ROOT, key + u"\\shell\\open\\command", m_csShellOpenCommand) && ok;
    return ok;
}
