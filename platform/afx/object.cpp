// CObject and the run-time class chain behind IsKindOf, FromName and dynamic creation.
#include "afx/core.h"

#include <cstring>

namespace {
// Constant-initialised, so classes linking themselves in from static initialisers of any
// translation unit always find a valid head.
CRuntimeClass* g_pFirstClass = nullptr;

CObject* CreateObjectOf(CRuntimeClass* pClass) {
    if (pClass == nullptr || pClass->m_pfnCreateObject == nullptr)
        return nullptr;
    return pClass->m_pfnCreateObject();
}
} // namespace

CRuntimeClass CObject::classCObject = {"CObject", sizeof(CObject), 0xFFFF, nullptr, nullptr, nullptr};
static AFX_CLASSINIT _init_CObject(&CObject::classCObject);

CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

// The base class has nothing of its own to store.
void CObject::Serialize(CArchive&) {}

BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const {
    return GetRuntimeClass()->IsDerivedFrom(pClass);
}

AFX_CLASSINIT::AFX_CLASSINIT(CRuntimeClass* pNewClass) {
    for (CRuntimeClass* p = g_pFirstClass; p != nullptr; p = p->m_pNextClass) {
        if (p == pNewClass)
            return;
    }
    pNewClass->m_pNextClass = g_pFirstClass;
    g_pFirstClass = pNewClass;
}

CObject* CRuntimeClass::CreateObject() const {
    if (m_pfnCreateObject == nullptr)
        return nullptr;
    return m_pfnCreateObject();
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const {
    if (pBaseClass == nullptr)
        return FALSE;
    for (const CRuntimeClass* p = this; p != nullptr; p = p->m_pBaseClass) {
        if (p == pBaseClass)
            return TRUE;
    }
    return FALSE;
}

CRuntimeClass* CRuntimeClass::FromName(LPCSTR lpszClassName) {
    if (lpszClassName == nullptr)
        return nullptr;
    for (CRuntimeClass* p = g_pFirstClass; p != nullptr; p = p->m_pNextClass) {
        if (std::strcmp(p->m_lpszClassName, lpszClassName) == 0)
            return p;
    }
    return nullptr;
}

CRuntimeClass* CRuntimeClass::FromName(LPCWSTR lpszClassName) {
    if (lpszClassName == nullptr)
        return nullptr;
    // Class names are plain identifiers; a name with anything beyond ASCII names no class.
    char narrow[256];
    size_t n = 0;
    for (; lpszClassName[n] != 0; ++n) {
        if (lpszClassName[n] > 0x7F || n + 1 >= sizeof(narrow))
            return nullptr;
        narrow[n] = static_cast<char>(lpszClassName[n]);
    }
    narrow[n] = 0;
    return FromName(narrow);
}

CObject* CRuntimeClass::CreateObject(LPCSTR lpszClassName) { return CreateObjectOf(FromName(lpszClassName)); }
CObject* CRuntimeClass::CreateObject(LPCWSTR lpszClassName) { return CreateObjectOf(FromName(lpszClassName)); }

CObject* AfxDynamicDownCast(CRuntimeClass* pClass, CObject* pObject) {
    if (pObject != nullptr && pObject->IsKindOf(pClass))
        return pObject;
    return nullptr;
}
