// Property exchange: one routine per object names, types and defaults its state, and the same
// routine stores or loads it through a binary archive or the registry.
#pragma once

#include "afx/cmd_target.h"
#include "afx/file.h"
#include "afx/string.h"
#include "win32/ole.h"
#include "win32/registry.h"

#include <set>

// Type codes of the exchange besides the variant ones: a string held in a CString, a rectangle
// and a size (or point).
#define TKP_VT_LPSTR 30
#define TKP_VT_RECT 100
#define TKP_VT_SIZE 101

class CTKPSectionEnumerator;

class CTKPPropExchange : public CCmdTarget {
    DECLARE_DYNAMIC(CTKPPropExchange)
public:
    CTKPPropExchange() = default;
    ~CTKPPropExchange() override = default;

    // Stores or loads one value; the default may be null (no default).
    virtual BOOL ExchangeProp(LPCWSTR name, VARTYPE type, void* value, const void* defaultValue = nullptr) = 0;
    // A null *data on loading is allocated with malloc (the caller frees it) and *size set.
    virtual BOOL ExchangeBlob(LPCWSTR name, BYTE** data, DWORD* size);
    virtual BOOL ExchangeClass(LPCWSTR name, CRuntimeClass** cls, CRuntimeClass* defaultClass);
    virtual BOOL ExchangeObject(CObject** object, CRuntimeClass* baseClass);
    // An archive over a value's bytes (null when loading finds none); hand it back to
    // ReleaseValueArchive in every case.
    virtual CArchive* GetValueArchive(LPCWSTR name);
    virtual void ReleaseValueArchive(LPCWSTR name, CArchive* archive);
    // A new exchange of the same direction on a named sub-section; the caller deletes it.
    virtual CTKPPropExchange* GetSection(LPCWSTR name) = 0;
    virtual void EmptySection();
    virtual void WriteCount(DWORD count);
    virtual DWORD ReadCount();
    virtual BOOL WriteBlob(LPCWSTR name, const BYTE* data, DWORD size);
    virtual DWORD ReadBlob(LPCWSTR name, BYTE* buffer, DWORD size);
    // The medium keys values by name, so one equal to its default may be left out when storing.
    virtual BOOL IsAllowDefaultValues() const { return TRUE; }
    // The medium takes whole collections at once through a value archive.
    virtual BOOL IsAllowBlobValues() const { return FALSE; }
    virtual BOOL OnBeforeExchange();
    // A new enumerator of the sections prefix0, prefix1...; the caller deletes it.
    virtual CTKPSectionEnumerator* GetEnumerator(LPCWSTR prefix);

    void ExchangeSchema();
    BOOL IsLoading() const { return m_bLoading; }
    UINT GetSchema() const { return m_nSchema; }
    void SetSchema(UINT schema) { m_nSchema = schema; }

    static BOOL IsSameValue(VARTYPE type, const void* value, const void* defaultValue);
    static BOOL CopyValue(VARTYPE type, void* value, const void* defaultValue);

    void* m_pContext = nullptr;
    BOOL m_bLoading = FALSE;
    UINT m_nSchema = 16;
    BOOL m_bChildSection = FALSE;
    BOOL m_bEmptySection = FALSE;
    BOOL m_bInitialized = FALSE;
    // When 0 a missing value leaves the variable as it is instead of taking the default.
    BOOL m_bUseDefaultOnLoad = TRUE;
    // When 0 storing never treats a value as equal to its default.
    BOOL m_bUseDefaultOnSave = TRUE;

protected:
    // What a new section takes over from this exchange.
    void InitSection(CTKPPropExchange* section) const;
};

// Values follow each other in the archive in call order, without names.
class CTKPPropExchangeArchive : public CTKPPropExchange {
    DECLARE_DYNAMIC(CTKPPropExchangeArchive)
public:
    explicit CTKPPropExchangeArchive(CArchive& ar);

    BOOL ExchangeProp(LPCWSTR name, VARTYPE type, void* value, const void* defaultValue = nullptr) override;
    BOOL ExchangeBlob(LPCWSTR name, BYTE** data, DWORD* size) override;
    BOOL ExchangeClass(LPCWSTR name, CRuntimeClass** cls, CRuntimeClass* defaultClass) override;
    BOOL ExchangeObject(CObject** object, CRuntimeClass* baseClass) override;
    CArchive* GetValueArchive(LPCWSTR name) override { return m_pArchive; }
    void ReleaseValueArchive(LPCWSTR name, CArchive* archive) override {}
    CTKPPropExchange* GetSection(LPCWSTR name) override;
    void WriteCount(DWORD count) override;
    DWORD ReadCount() override;
    BOOL WriteBlob(LPCWSTR name, const BYTE* data, DWORD size) override;
    DWORD ReadBlob(LPCWSTR name, BYTE* buffer, DWORD size) override;
    BOOL IsAllowDefaultValues() const override { return FALSE; }
    BOOL IsAllowBlobValues() const override { return TRUE; }

    CArchive* GetArchive() const { return m_pArchive; }

private:
    CArchive* m_pArchive;
};

// One registry key per section, one named value per property.
class CTKPPropExchangeRegistry : public CTKPPropExchange {
    DECLARE_DYNAMIC(CTKPPropExchangeRegistry)
public:
    CTKPPropExchangeRegistry(BOOL loading, HKEY parentKey, LPCWSTR subkeyName);
    ~CTKPPropExchangeRegistry() override;

    BOOL ExchangeProp(LPCWSTR name, VARTYPE type, void* value, const void* defaultValue = nullptr) override;
    BOOL ExchangeBlob(LPCWSTR name, BYTE** data, DWORD* size) override;
    CTKPPropExchange* GetSection(LPCWSTR name) override;
    void EmptySection() override;
    BOOL IsAllowBlobValues() const override { return TRUE; }
    BOOL OnBeforeExchange() override;

    HKEY GetKey() const { return m_hSectionKey; }

private:
    BOOL StoreProp(LPCWSTR name, VARTYPE type, void* value, const void* defaultValue);
    BOOL LoadProp(LPCWSTR name, VARTYPE type, void* value, const void* defaultValue);

    HKEY m_hSectionKey = nullptr;
    HKEY m_hParentKey;
    CString m_strSubkey;
};

// Declared media without behaviour of their own.
class CTKPPropExchangeXMLNode : public CTKPPropExchange {
    DECLARE_DYNAMIC(CTKPPropExchangeXMLNode)
};
class CTKPPropExchangeIniFile : public CTKPPropExchange {
    DECLARE_DYNAMIC(CTKPPropExchangeIniFile)
};

// Numbers repeated sections: "Count", then prefix0, prefix1...
class CTKPSectionEnumerator {
public:
    CTKPSectionEnumerator(CTKPPropExchange* exchange, LPCWSTR prefix);
    virtual ~CTKPSectionEnumerator() = default;
    // With useMediumCount the count goes through ReadCount/WriteCount, else as the value "Count".
    // 1 when the (possibly loaded) count is not 0.
    virtual DWORD GetPosition(DWORD count = 0, BOOL useMediumCount = TRUE);
    // The next section (the caller deletes it); the position becomes 0 after the last.
    virtual CTKPPropExchange* GetNext(DWORD& position);
    DWORD GetCount() const { return m_nCount; }

private:
    CTKPPropExchange* m_pExchange;
    CString m_strPrefix;
    DWORD m_nCount = 0;
};

BOOL PropExchangeIntNoDefault(CTKPPropExchange* px, LPCWSTR name, int* value);
BOOL PropExchangeInt(CTKPPropExchange* px, LPCWSTR name, int* value, int defaultValue);
BOOL PropExchangeBool(CTKPPropExchange* px, LPCWSTR name, BOOL* value, BOOL defaultValue);
BOOL PropExchangeStringNoDefault(CTKPPropExchange* px, LPCWSTR name, CString* value);
BOOL PropExchangeString(CTKPPropExchange* px, LPCWSTR name, CString* value, LPCWSTR defaultText);
BOOL PropExchangeSize(CTKPPropExchange* px, LPCWSTR name, SIZE* value, SIZE defaultValue);
BOOL PropExchangeRect(CTKPPropExchange* px, LPCWSTR name, RECT* value, RECT defaultValue);
BOOL PropExchangeClass(CTKPPropExchange* px, LPCWSTR name, CRuntimeClass** cls, CRuntimeClass* defaultClass);
BOOL PropExchangeBlob(CTKPPropExchange* px, LPCWSTR name, BYTE** data, DWORD* size);
BOOL PropExchangeObject(CTKPPropExchange* px, LPCWSTR name, CObject* object);
// A set of command ids: through a value archive (count, then id and 1 per entry) where the medium
// takes collections whole, else as a section of "Count" and "Item%i".
BOOL PropExchangeIdSet(CTKPPropExchange* px, LPCWSTR name, std::set<UINT>* ids);
