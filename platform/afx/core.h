// CObject, CRuntimeClass, exceptions and the framework's global helpers.
#pragma once

#include "win32/win32.h"

#include <exception>

#ifndef AFXAPI
#define AFXAPI
#endif

class CObject;
class CArchive;

// Or'ed into a class's schema when it reads older versions of itself; the archive then hands
// the stored schema to Serialize through GetObjectSchema instead of refusing the object.
#define VERSIONABLE_SCHEMA (0x80000000)

// ---- Run-time class information -----------------------------------------------------------------
struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema; // 0xFFFF for classes that cannot be serialized
    CObject* (*m_pfnCreateObject)();
    CRuntimeClass* m_pBaseClass;
    CRuntimeClass* m_pNextClass; // chain of every class known to FromName

    CObject* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
    BOOL IsSerializable() const { return m_wSchema != 0xFFFF; }

    // Lookup by the exact class name among every class declared with a run-time class.
    static CRuntimeClass* FromName(LPCSTR lpszClassName);
    static CRuntimeClass* FromName(LPCWSTR lpszClassName);
    static CObject* CreateObject(LPCSTR lpszClassName);
    static CObject* CreateObject(LPCWSTR lpszClassName);

    // The class's name and schema in the archive's class record; defined with CArchive.
    void Store(CArchive& ar) const;
    static CRuntimeClass* Load(CArchive& ar, UINT* pwSchemaNum);
};

// Links a class into the chain at static initialisation; the chain head is constant-initialised,
// so the order in which translation units start does not matter.
struct AFX_CLASSINIT {
    explicit AFX_CLASSINIT(CRuntimeClass* pNewClass);
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)
#define AfxRegisterClassName(class_name) static_cast<void>(0)

#define DECLARE_DYNAMIC(class_name)                                                            \
public:                                                                                        \
    static CRuntimeClass class##class_name;                                                    \
    static CRuntimeClass* GetThisClass() { return &class##class_name; }                        \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name)                                                          \
    DECLARE_DYNAMIC(class_name)                                                                \
    static CObject* CreateObject();

#define DECLARE_SERIAL(class_name)                                                             \
    DECLARE_DYNCREATE(class_name)                                                              \
    friend CArchive& operator>>(CArchive& ar, class_name*& pOb);

#define IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, pfnNew)                   \
    CRuntimeClass class_name::class##class_name = {#class_name, sizeof(class class_name),      \
                                                   wSchema, pfnNew,                            \
                                                   RUNTIME_CLASS(base_class_name), nullptr};   \
    static AFX_CLASSINIT _init_##class_name(RUNTIME_CLASS(class_name));                        \
    CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                         \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                                       \
    CObject* class_name::CreateObject() { return new class_name; }                             \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

#define IMPLEMENT_SERIAL(class_name, base_class_name, wSchema)                                 \
    CObject* class_name::CreateObject() { return new class_name; }                             \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, class_name::CreateObject)     \
    CArchive& operator>>(CArchive& ar, class_name*& pOb) {                                     \
        pOb = static_cast<class_name*>(ar.ReadObject(RUNTIME_CLASS(class_name)));              \
        return ar;                                                                             \
    }

// ---- CObject ----------------------------------------------------------------------------------
class CDumpContext;

class CObject {
public:
    static CRuntimeClass classCObject;

    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    virtual void Serialize(CArchive& ar);
    virtual void AssertValid() const {}
    virtual void Dump(CDumpContext& dc) const {}

    BOOL IsKindOf(const CRuntimeClass* pClass) const;
    BOOL IsSerializable() const { return GetRuntimeClass()->IsSerializable(); }

protected:
    CObject() = default;

private:
    // Objects are not copied implicitly, as in the framework; derived classes that need copies
    // write their own.
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

// ---- Exceptions -------------------------------------------------------------------------------
// The framework throws exceptions by pointer (`throw new CFileException(...)`); the catcher owns
// the object and frees it with Delete().
class CException : public CObject {
    DECLARE_DYNAMIC(CException)
public:
    explicit CException(BOOL bAutoDelete = TRUE) : m_bAutoDelete(bAutoDelete) {}
    // Frees the object when it was allocated for throwing; a stack or static exception stays.
    void Delete();
    // Copies the message into the caller's buffer (always terminated, truncated to fit).
    virtual BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const;

    BOOL m_bAutoDelete;
};

class CSimpleException : public CException {
    DECLARE_DYNAMIC(CSimpleException)
public:
    CSimpleException() = default;
    explicit CSimpleException(BOOL bAutoDelete) : CException(bAutoDelete) {}
    BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;

protected:
    virtual LPCWSTR Message() const { return u""; }
};

class CMemoryException : public CSimpleException {
    DECLARE_DYNAMIC(CMemoryException)
public:
    using CSimpleException::CSimpleException;
protected:
    LPCWSTR Message() const override;
};

class CNotSupportedException : public CSimpleException {
    DECLARE_DYNAMIC(CNotSupportedException)
public:
    using CSimpleException::CSimpleException;
protected:
    LPCWSTR Message() const override;
};

class CInvalidArgException : public CSimpleException {
    DECLARE_DYNAMIC(CInvalidArgException)
public:
    using CSimpleException::CSimpleException;
protected:
    LPCWSTR Message() const override;
};

class CResourceException : public CSimpleException {
    DECLARE_DYNAMIC(CResourceException)
public:
    using CSimpleException::CSimpleException;
protected:
    LPCWSTR Message() const override;
};

class CUserException : public CSimpleException {
    DECLARE_DYNAMIC(CUserException)
public:
    using CSimpleException::CSimpleException;
};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowNotSupportedException();
[[noreturn]] void AfxThrowInvalidArgException();
[[noreturn]] void AfxThrowResourceException();
[[noreturn]] void AfxThrowUserException();

// The framework's exception macros. A CATCH block frees the caught exception when it ends,
// unless the block rethrows (THROW_LAST) or lets another exception escape.
namespace afx_detail {
class ExceptionAutoDelete {
public:
    explicit ExceptionAutoDelete(CException* e) : m_e(e), m_nUncaught(std::uncaught_exceptions()) {}
    ~ExceptionAutoDelete() {
        if (m_e && std::uncaught_exceptions() <= m_nUncaught)
            m_e->Delete();
    }
    ExceptionAutoDelete(const ExceptionAutoDelete&) = delete;
    ExceptionAutoDelete& operator=(const ExceptionAutoDelete&) = delete;

private:
    CException* m_e;
    int m_nUncaught;
};
} // namespace afx_detail

#define TRY try {
#define CATCH(class_name, e) } catch (class_name * e) { afx_detail::ExceptionAutoDelete _afxAutoDelete(e); {
#define AND_CATCH(class_name, e) CATCH(class_name, e)
#define END_CATCH } }
#define CATCH_ALL(e) CATCH(CException, e)
#define AND_CATCH_ALL(e) CATCH(CException, e)
#define END_CATCH_ALL } }
#define THROW(e) throw e
#define THROW_LAST() throw

// ---- Diagnostics ------------------------------------------------------------------------------
// Release-build behaviour: assertions compile their expression but never evaluate it, VERIFY
// evaluates it for its side effects, and tracing writes nothing.
#define ASSERT(f) static_cast<void>(sizeof(!(f)))
#define VERIFY(f) static_cast<void>(f)
#define ASSERT_VALID(pOb) static_cast<void>(0)
#define ASSERT_KINDOF(class_name, object) static_cast<void>(0)
#define ASSERT_POINTER(p, type) static_cast<void>(0)
#define ASSERT_NULL_OR_POINTER(p, type) static_cast<void>(0)
#define DEBUG_ONLY(f) static_cast<void>(0)
#define DEBUG_NEW new
#define TRACE(...) static_cast<void>(0)
#define TRACE0(sz) static_cast<void>(0)
#define TRACE1(sz, p1) static_cast<void>(0)
#define TRACE2(sz, p1, p2) static_cast<void>(0)
#define TRACE3(sz, p1, p2, p3) static_cast<void>(0)
#define UNUSED(x) static_cast<void>(x)
#define UNUSED_ALWAYS(x) static_cast<void>(x)

// Only a null pointer is known to be invalid; anything else is taken on trust, as the
// framework's release build does.
inline BOOL AfxIsValidAddress(const void* p, UINT_PTR nBytes, BOOL bReadWrite = TRUE) {
    return p != nullptr || nBytes == 0;
}
inline BOOL AfxIsValidString(LPCWSTR psz, int nLength = -1) { return psz != nullptr; }
inline BOOL AfxIsValidString(LPCSTR psz, int nLength = -1) { return psz != nullptr; }

// Checked down-cast: null when the object is not of the class.
#define DYNAMIC_DOWNCAST(class_name, object) \
    static_cast<class_name*>(AfxDynamicDownCast(RUNTIME_CLASS(class_name), object))
#define STATIC_DOWNCAST(class_name, object) (static_cast<class_name*>(object))
CObject* AfxDynamicDownCast(CRuntimeClass* pClass, CObject* pObject);
