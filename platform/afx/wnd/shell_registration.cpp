// CWinApp's file associations, written to the layer's HKEY_CLASSES_ROOT.
#include "afx/app.h"
#include "afx/doc_template.h"

namespace {
BOOL SetKeyValue(LPCWSTR lpszKey, const CString& value) {
    HKEY hKey = nullptr;
    if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, lpszKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey, nullptr) !=
        ERROR_SUCCESS)
        return FALSE;
    LSTATUS st = ::RegSetValueExW(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>((LPCWSTR)value),
                                  (DWORD)((value.GetLength() + 1) * sizeof(WCHAR)));
    ::RegCloseKey(hKey);
    return st == ERROR_SUCCESS;
}

CString KeyValue(LPCWSTR lpszKey) {
    WCHAR buf[512] = {};
    LONG cb = sizeof(buf);
    if (::RegQueryValueW(HKEY_CLASSES_ROOT, lpszKey, buf, &cb) != ERROR_SUCCESS)
        return CString();
    return CString(buf);
}

CString ModulePath() {
    WCHAR path[MAX_PATH * 2] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    return CString(path);
}
} // namespace

void CWinApp::RegisterShellFileTypes(BOOL bCompat) {
    CString exe = ModulePath();
    // Quoted, so a program folder with blanks does not run another program named by its first word.
    CString openCommand = u"\"" + exe + u"\" \"%1\"";
    int nIcon = 1;
    for (POSITION pos = m_templateList.GetHeadPosition(); pos; ++nIcon) {
        auto* pTemplate = static_cast<CDocTemplate*>(m_templateList.GetNext(pos));
        CString typeId, typeName, ext;
        if (!pTemplate->GetDocString(typeId, CDocTemplate::regFileTypeId) || typeId.IsEmpty())
            continue; // a template without a type id is not registered
        pTemplate->GetDocString(typeName, CDocTemplate::regFileTypeName);
        if (!SetKeyValue(typeId, typeName))
            continue;
        SetKeyValue(typeId + u"\\shell\\open\\command", openCommand);
        if (bCompat) {
            CString icon;
            icon.Format(u"%s,%d", (LPCWSTR)exe, nIcon);
            SetKeyValue(typeId + u"\\DefaultIcon", icon);
        }
        if (pTemplate->GetDocString(ext, CDocTemplate::filterExt) && !ext.IsEmpty()) {
            int semi = ext.Find(u';');
            if (semi >= 0)
                ext = ext.Left(semi);
            // An extension that another program's type owns is left to it.
            CString owner = KeyValue(ext);
            if (owner.IsEmpty() || owner == typeId)
                SetKeyValue(ext, typeId);
        }
    }
}

void CWinApp::UnregisterShellFileTypes() {
    for (POSITION pos = m_templateList.GetHeadPosition(); pos;) {
        auto* pTemplate = static_cast<CDocTemplate*>(m_templateList.GetNext(pos));
        CString typeId, ext;
        if (!pTemplate->GetDocString(typeId, CDocTemplate::regFileTypeId) || typeId.IsEmpty())
            continue;
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, typeId);
        ::RegDeleteKeyW(HKEY_CLASSES_ROOT, typeId);
        if (pTemplate->GetDocString(ext, CDocTemplate::filterExt) && !ext.IsEmpty()) {
            int semi = ext.Find(u';');
            if (semi >= 0)
                ext = ext.Left(semi);
            if (KeyValue(ext) == typeId) {
                ::RegDeleteTreeW(HKEY_CLASSES_ROOT, ext);
                ::RegDeleteKeyW(HKEY_CLASSES_ROOT, ext);
            }
        }
    }
}
