// Property exchange through an archive or the registry, the section enumerator and the typed
// helpers the exchange routines call.
#include "toolkit/commandbars/prop_exchange.h"

#include "afx/ole_types.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

IMPLEMENT_DYNAMIC(CTKPPropExchange, CCmdTarget)
IMPLEMENT_DYNAMIC(CTKPPropExchangeArchive, CTKPPropExchange)
IMPLEMENT_DYNAMIC(CTKPPropExchangeRegistry, CTKPPropExchange)
IMPLEMENT_DYNAMIC(CTKPPropExchangeXMLNode, CTKPPropExchange)
IMPLEMENT_DYNAMIC(CTKPPropExchangeIniFile, CTKPPropExchange)

namespace {

// One value of a typed archive exchange, read or written by the direction of the exchange.
template <class T>
void ExchangeArchived(CArchive& ar, BOOL loading, void* value)
{
    if (loading)
        ar >> *static_cast<T*>(value);
    else
        ar << *static_cast<const T*>(value);
}

const int kZero = 0;
// Reading a stored length takes the bytes in steps of this size, so a length that the stream
// cannot back never costs more memory than the stream holds.
const size_t kReadChunk = 64 * 1024;

// The width that comparing and copying use for the fixed-size codes; 0 for the others.
size_t FixedWidth(VARTYPE type)
{
    switch (type) {
    case VT_UI1:
        return 1;
    case VT_I2:
        return 2;
    case VT_I4:
    case VT_R4:
    case VT_BOOL:
        return 4;
    case VT_R8:
    case VT_CY:
    case TKP_VT_SIZE:
        return 8;
    case TKP_VT_RECT:
        return 16;
    default:
        return 0;
    }
}

size_t TextLength(const char16_t* text)
{
    size_t n = 0;
    while (text && text[n])
        ++n;
    return n;
}

// Parses "%i, %i[, %i, %i]" as the C library does; the number of fields read.
int ParseInts(const CString& text, int* out, int count)
{
    std::string narrow;
    for (int i = 0; i < text.GetLength(); ++i)
        narrow += text[i] < 0x80 ? char(text[i]) : '?';
    if (count == 2)
        return std::sscanf(narrow.c_str(), "%i, %i", &out[0], &out[1]);
    return std::sscanf(narrow.c_str(), "%i, %i, %i, %i", &out[0], &out[1], &out[2], &out[3]);
}

// Reads n bytes in steps; false (nothing kept) when the archive ends first.
bool ReadAll(CArchive& ar, std::vector<BYTE>& bytes, size_t n)
{
    bytes.clear();
    while (bytes.size() < n) {
        const size_t chunk = std::min(kReadChunk, n - bytes.size());
        const size_t at = bytes.size();
        bytes.resize(at + chunk);
        if (ar.Read(bytes.data() + at, UINT(chunk)) != chunk)
            return false;
    }
    return true;
}

// Hands loaded bytes to the caller: into its buffer, or a new malloc'ed one when it has none.
BOOL DeliverBytes(const BYTE* bytes, DWORD n, BYTE** data, DWORD* size)
{
    if (!*data) {
        *data = static_cast<BYTE*>(std::malloc(n ? n : 1));
        if (!*data)
            return FALSE;
        *size = n;
    } else if (*size < n) {
        return FALSE;
    }
    if (n)
        std::memcpy(*data, bytes, n);
    return TRUE;
}

} // namespace

// ---- Base --------------------------------------------------------------------------------------
BOOL CTKPPropExchange::IsSameValue(VARTYPE type, const void* value, const void* defaultValue)
{
    if (value == defaultValue)
        return TRUE;
    if (!value || !defaultValue || type < VT_I2 || type > TKP_VT_SIZE)
        return FALSE;
    if (const size_t width = FixedWidth(type))
        return std::memcmp(value, defaultValue, width) == 0;
    switch (type) {
    case VT_DATE:
        return *static_cast<const COleDateTime*>(value) == *static_cast<const COleDateTime*>(defaultValue);
    case VT_BSTR: {
        const char16_t* a = *static_cast<char16_t* const*>(value);
        const char16_t* b = *static_cast<char16_t* const*>(defaultValue);
        const size_t n = TextLength(a);
        return n == TextLength(b) && (n == 0 || std::memcmp(a, b, n * 2) == 0);
    }
    case VT_VARIANT:
        return *static_cast<const COleVariant*>(value) == *static_cast<const VARIANT*>(defaultValue);
    case TKP_VT_LPSTR:
        return *static_cast<const CString*>(value) == CString(static_cast<LPCWSTR>(defaultValue));
    default:
        return FALSE;
    }
}

BOOL CTKPPropExchange::CopyValue(VARTYPE type, void* value, const void* defaultValue)
{
    if (!defaultValue || !value)
        return FALSE;
    if (const size_t width = FixedWidth(type)) {
        std::memmove(value, defaultValue, width);
        return TRUE;
    }
    switch (type) {
    case VT_DATE:
        *static_cast<COleDateTime*>(value) = *static_cast<const COleDateTime*>(defaultValue);
        return TRUE;
    case TKP_VT_LPSTR:
        *static_cast<CString*>(value) = static_cast<LPCWSTR>(defaultValue);
        return TRUE;
    case VT_VARIANT:
        try {
            *static_cast<COleVariant*>(value) = *static_cast<const COleVariant*>(defaultValue);
            return TRUE;
        } catch (CException* e) {
            e->Delete();
            return FALSE;
        }
    case VT_BSTR:
        *static_cast<BSTR*>(value) = ::SysAllocString(*static_cast<const BSTR*>(defaultValue));
        return TRUE;
    default:
        return FALSE;
    }
}

void CTKPPropExchange::InitSection(CTKPPropExchange* section) const
{
    section->m_pContext = m_pContext;
    section->m_nSchema = m_nSchema;
    section->m_bEmptySection = m_bEmptySection;
    section->m_bUseDefaultOnLoad = m_bUseDefaultOnLoad;
    section->m_bUseDefaultOnSave = m_bUseDefaultOnSave;
    section->m_bChildSection = TRUE;
}

BOOL CTKPPropExchange::OnBeforeExchange()
{
    m_bInitialized = TRUE;
    return TRUE;
}

void CTKPPropExchange::ExchangeSchema()
{
    int schema = int(m_nSchema);
    PropExchangeInt(this, u"Schema", &schema, 16);
    m_nSchema = UINT(schema);
}

BOOL CTKPPropExchange::ExchangeBlob(LPCWSTR name, BYTE** data, DWORD* size)
{
    if (!data || !size)
        return FALSE;
    if (!m_bLoading) {
        CString text;
        std::u16string letters;
        letters.reserve(size_t(*size) * 2);
        for (DWORD i = 0; *data && i < *size; ++i) {
            letters += char16_t(u'A' + ((*data)[i] & 15));
            letters += char16_t(u'A' + ((*data)[i] >> 4));
        }
        text = CString(letters.data(), int(letters.size()));
        return ExchangeProp(name, TKP_VT_LPSTR, &text, u"");
    }
    CString text;
    if (!ExchangeProp(name, TKP_VT_LPSTR, &text, u""))
        return FALSE;
    if (text.IsEmpty())
        return TRUE;
    if (text.GetLength() % 2)
        return FALSE;
    const DWORD n = DWORD(text.GetLength() / 2);
    std::vector<BYTE> bytes(n);
    for (DWORD i = 0; i < n; ++i)
        bytes[i] = BYTE(((text[int(2 * i + 1)] - u'A') * 16 + (text[int(2 * i)] - u'A')) & 0xFF);
    return DeliverBytes(bytes.data(), n, data, size);
}

BOOL CTKPPropExchange::ExchangeClass(LPCWSTR name, CRuntimeClass** cls, CRuntimeClass* defaultClass)
{
    if (!cls)
        return FALSE;
    if (!m_bLoading) {
        CString className(*cls ? CString((*cls)->m_lpszClassName) : CString());
        const CString defaultName(defaultClass ? CString(defaultClass->m_lpszClassName) : CString());
        return ExchangeProp(name, TKP_VT_LPSTR, &className, defaultName.GetString());
    }
    CString className;
    if (!ExchangeProp(name, TKP_VT_LPSTR, &className, nullptr)) {
        *cls = defaultClass;
        return TRUE;
    }
    *cls = CRuntimeClass::FromName(className.GetString());
    return *cls != nullptr;
}

BOOL CTKPPropExchange::ExchangeObject(CObject** object, CRuntimeClass* baseClass)
{
    if (!object)
        return FALSE;
    if (!m_bLoading) {
        if (!*object)
            return FALSE;
        CRuntimeClass* cls = (*object)->GetRuntimeClass();
        return ExchangeClass(u"Class", &cls, baseClass);
    }
    CRuntimeClass* cls = nullptr;
    if (!ExchangeClass(u"Class", &cls, baseClass) || !cls)
        return FALSE;
    CObject* created = nullptr;
    try {
        created = cls->CreateObject();
    } catch (CException* e) {
        e->Delete();
        return FALSE;
    }
    if (!created)
        return FALSE;
    if (baseClass && !created->IsKindOf(baseClass)) {
        delete created;
        return FALSE;
    }
    *object = created;
    return TRUE;
}

CArchive* CTKPPropExchange::GetValueArchive(LPCWSTR name)
{
    try {
        if (m_bLoading) {
            BYTE* bytes = nullptr;
            DWORD size = 0;
            if (!ExchangeBlob(name, &bytes, &size) || !bytes || !size) {
                std::free(bytes);
                return nullptr;
            }
            auto* file = new CMemFile(bytes, size, 0);
            return new CArchive(file, CArchive::load, 4096);
        }
        auto* file = new CMemFile(1024);
        return new CArchive(file, CArchive::store, 4096);
    } catch (CException* e) {
        e->Delete();
    } catch (const std::bad_alloc&) {
    }
    return nullptr;
}

void CTKPPropExchange::ReleaseValueArchive(LPCWSTR name, CArchive* archive)
{
    if (!archive)
        return;
    auto* file = static_cast<CMemFile*>(archive->GetFile());
    try {
        if (!m_bLoading) {
            archive->Flush();
            DWORD size = DWORD(file->GetLength());
            file->SeekToBegin();
            std::vector<BYTE> bytes(size);
            if (size)
                file->Read(bytes.data(), size);
            BYTE* data = bytes.data();
            ExchangeBlob(name, &data, &size);
        }
    } catch (CException* e) {
        e->Delete();
    } catch (const std::bad_alloc&) {
    }
    archive->Abort();
    BYTE* owned = m_bLoading ? file->Detach() : nullptr;
    file->Close();
    std::free(owned);
    delete archive;
    delete file;
}

void CTKPPropExchange::EmptySection()
{
    m_bEmptySection = TRUE;
}

void CTKPPropExchange::WriteCount(DWORD count)
{
    int value = int(count);
    ExchangeProp(u"Count", VT_I4, &value, &kZero);
}

DWORD CTKPPropExchange::ReadCount()
{
    int value = 0;
    ExchangeProp(u"Count", VT_I4, &value, &kZero);
    return value > 0 ? DWORD(value) : 0;
}

BOOL CTKPPropExchange::WriteBlob(LPCWSTR name, const BYTE* data, DWORD size)
{
    BYTE* bytes = const_cast<BYTE*>(data);
    return ExchangeBlob(name, &bytes, &size);
}

DWORD CTKPPropExchange::ReadBlob(LPCWSTR name, BYTE* buffer, DWORD size)
{
    if (!buffer)
        return 0;
    return ExchangeBlob(name, &buffer, &size) ? size : 0;
}

CTKPSectionEnumerator* CTKPPropExchange::GetEnumerator(LPCWSTR prefix)
{
    return new CTKPSectionEnumerator(this, prefix);
}

// ---- Archive -----------------------------------------------------------------------------------
CTKPPropExchangeArchive::CTKPPropExchangeArchive(CArchive& ar) : m_pArchive(&ar)
{
    m_bLoading = ar.IsLoading();
}

BOOL CTKPPropExchangeArchive::ExchangeProp(LPCWSTR, VARTYPE type, void* value, const void*)
{
    if (!OnBeforeExchange() || !value)
        return FALSE;
    CArchive& ar = *m_pArchive;
    // Every read failure (a cut or corrupt stream, a length no memory can hold) answers FALSE.
    try {
        if (const size_t width = FixedWidth(type)) {
            if (m_bLoading)
                return ar.Read(value, UINT(width)) == width;
            ar.Write(value, UINT(width));
            return TRUE;
        }
        switch (type) {
        case TKP_VT_LPSTR:
            ExchangeArchived<CString>(ar, m_bLoading, value);
            return TRUE;
        case VT_DATE:
            ExchangeArchived<COleDateTime>(ar, m_bLoading, value);
            return TRUE;
        case VT_VARIANT:
            ExchangeArchived<COleVariant>(ar, m_bLoading, value);
            return TRUE;
        default:
            return TRUE;
        }
    } catch (CException* e) {
        e->Delete();
    } catch (const std::bad_alloc&) {
    }
    return FALSE;
}

BOOL CTKPPropExchangeArchive::ExchangeBlob(LPCWSTR, BYTE** data, DWORD* size)
{
    if (!data || !size || !OnBeforeExchange())
        return FALSE;
    try {
        if (!m_bLoading) {
            m_pArchive->WriteCount(*size);
            if (*size && *data)
                m_pArchive->Write(*data, *size);
            return TRUE;
        }
        const DWORD_PTR n = m_pArchive->ReadCount();
        if (n > 0xFFFFFFFFu || (*data && *size < n))
            return FALSE;
        std::vector<BYTE> bytes;
        if (!ReadAll(*m_pArchive, bytes, size_t(n)))
            return FALSE;
        return DeliverBytes(bytes.data(), DWORD(n), data, size);
    } catch (CException* e) {
        e->Delete();
    } catch (const std::bad_alloc&) {
    }
    return FALSE;
}

BOOL CTKPPropExchangeArchive::ExchangeClass(LPCWSTR, CRuntimeClass** cls, CRuntimeClass* defaultClass)
{
    if (!cls || !OnBeforeExchange())
        return FALSE;
    try {
        if (m_bLoading) {
            UINT schema = m_nSchema;
            *cls = m_pArchive->ReadClass(defaultClass, &schema);
            m_nSchema = schema;
            return *cls != nullptr;
        }
        m_pArchive->WriteClass(*cls);
        return TRUE;
    } catch (CException* e) {
        e->Delete();
    } catch (const std::bad_alloc&) {
    }
    if (m_bLoading)
        *cls = nullptr;
    return FALSE;
}

BOOL CTKPPropExchangeArchive::ExchangeObject(CObject** object, CRuntimeClass* baseClass)
{
    if (!CTKPPropExchange::ExchangeObject(object, baseClass))
        return FALSE;
    // Later references to the object in the same stream resolve through the archive's map.
    m_pArchive->MapObject(*object);
    return TRUE;
}

CTKPPropExchange* CTKPPropExchangeArchive::GetSection(LPCWSTR)
{
    auto* section = new CTKPPropExchangeArchive(*m_pArchive);
    InitSection(section);
    section->m_bLoading = m_bLoading;
    return section;
}

void CTKPPropExchangeArchive::WriteCount(DWORD count)
{
    try {
        m_pArchive->WriteCount(count);
    } catch (CException* e) {
        e->Delete();
    }
}

DWORD CTKPPropExchangeArchive::ReadCount()
{
    try {
        const DWORD_PTR n = m_pArchive->ReadCount();
        return n > 0xFFFFFFFFu ? 0 : DWORD(n);
    } catch (CException* e) {
        e->Delete();
    }
    return 0;
}

BOOL CTKPPropExchangeArchive::WriteBlob(LPCWSTR, const BYTE* data, DWORD size)
{
    try {
        if (size && data)
            m_pArchive->Write(data, size);
        return TRUE;
    } catch (CException* e) {
        e->Delete();
    }
    return FALSE;
}

DWORD CTKPPropExchangeArchive::ReadBlob(LPCWSTR, BYTE* buffer, DWORD size)
{
    if (!buffer)
        return 0;
    try {
        return m_pArchive->Read(buffer, size);
    } catch (CException* e) {
        e->Delete();
    }
    return 0;
}

// ---- Registry ----------------------------------------------------------------------------------
CTKPPropExchangeRegistry::CTKPPropExchangeRegistry(BOOL loading, HKEY parentKey, LPCWSTR subkeyName)
    : m_hParentKey(parentKey), m_strSubkey(subkeyName)
{
    m_bLoading = loading;
}

CTKPPropExchangeRegistry::~CTKPPropExchangeRegistry()
{
    if (m_hSectionKey)
        RegCloseKey(m_hSectionKey);
}

BOOL CTKPPropExchangeRegistry::OnBeforeExchange()
{
    if (!m_hParentKey)
        return FALSE;
    if (!m_bInitialized) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(m_hParentKey, m_strSubkey, 0, nullptr, 0, m_bLoading ? KEY_READ : KEY_WRITE, nullptr,
                            &key, nullptr) == ERROR_SUCCESS)
            m_hSectionKey = key;
        m_bInitialized = TRUE;
    }
    return m_hSectionKey != nullptr;
}

BOOL CTKPPropExchangeRegistry::ExchangeProp(LPCWSTR name, VARTYPE type, void* value, const void* defaultValue)
{
    if (!value)
        return FALSE;
    return m_bLoading ? LoadProp(name, type, value, defaultValue) : StoreProp(name, type, value, defaultValue);
}

BOOL CTKPPropExchangeRegistry::StoreProp(LPCWSTR name, VARTYPE type, void* value, const void* defaultValue)
{
    if (!m_bUseDefaultOnSave)
        defaultValue = nullptr;
    if (!OnBeforeExchange())
        return FALSE;
    if (defaultValue && IsSameValue(type, value, defaultValue)) {
        if (m_hSectionKey && !m_bEmptySection)
            RegDeleteValueW(m_hSectionKey, name);
        return TRUE;
    }
    LSTATUS status = ERROR_INVALID_PARAMETER;
    switch (type) {
    case VT_I2:
    case VT_I4:
    case VT_BOOL:
    case VT_UI1: {
        DWORD word = 0;
        std::memcpy(&word, value, type == VT_I2 ? 2 : type == VT_UI1 ? 1 : 4);
        status = RegSetValueExW(m_hSectionKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&word), 4);
        break;
    }
    case VT_R4:
    case VT_R8:
        status = RegSetValueExW(m_hSectionKey, name, 0, REG_BINARY, static_cast<const BYTE*>(value),
                                type == VT_R4 ? 4 : 8);
        break;
    case TKP_VT_LPSTR:
    case TKP_VT_RECT:
    case TKP_VT_SIZE: {
        CString text;
        if (type == TKP_VT_LPSTR) {
            text = *static_cast<const CString*>(value);
        } else if (type == TKP_VT_RECT) {
            const RECT& rc = *static_cast<const RECT*>(value);
            text.Format(u"%i, %i, %i, %i", int(rc.left), int(rc.top), int(rc.right), int(rc.bottom));
        } else {
            const SIZE& sz = *static_cast<const SIZE*>(value);
            text.Format(u"%i, %i", int(sz.cx), int(sz.cy));
        }
        status = RegSetValueExW(m_hSectionKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.GetString()),
                                DWORD(text.GetLength() + 1) * 2);
        break;
    }
    default:
        return FALSE;
    }
    return status == ERROR_SUCCESS;
}

BOOL CTKPPropExchangeRegistry::LoadProp(LPCWSTR name, VARTYPE type, void* value, const void* defaultValue)
{
    if (!m_bUseDefaultOnLoad)
        defaultValue = nullptr;
    if (!OnBeforeExchange())
        return CopyValue(type, value, defaultValue);
    switch (type) {
    case VT_I2:
    case VT_I4:
    case VT_BOOL:
    case VT_UI1: {
        DWORD word = 0, size = 4, kind = 0;
        if (RegQueryValueExW(m_hSectionKey, name, nullptr, &kind, reinterpret_cast<BYTE*>(&word), &size) !=
            ERROR_SUCCESS)
            return CopyValue(type, value, defaultValue);
        std::memcpy(value, &word, type == VT_I2 ? 2 : type == VT_UI1 ? 1 : 4);
        return TRUE;
    }
    case TKP_VT_LPSTR:
    case TKP_VT_RECT:
    case TKP_VT_SIZE: {
        DWORD size = 0, kind = 0;
        if (RegQueryValueExW(m_hSectionKey, name, nullptr, &kind, nullptr, &size) != ERROR_SUCCESS)
            return CopyValue(type, value, defaultValue);
        std::vector<char16_t> buffer(size / 2 + 1, u'\0');
        if (size && RegQueryValueExW(m_hSectionKey, name, nullptr, &kind, reinterpret_cast<BYTE*>(buffer.data()),
                                     &size) != ERROR_SUCCESS)
            return CopyValue(type, value, defaultValue);
        buffer.back() = u'\0';
        const CString text(buffer.data());
        if (type == TKP_VT_LPSTR) {
            *static_cast<CString*>(value) = text;
            return TRUE;
        }
        int fields[4] = {0, 0, 0, 0};
        const int wanted = type == TKP_VT_RECT ? 4 : 2;
        if (ParseInts(text, fields, wanted) != wanted)
            return CopyValue(type, value, defaultValue);
        if (type == TKP_VT_RECT)
            *static_cast<RECT*>(value) = RECT{fields[0], fields[1], fields[2], fields[3]};
        else
            *static_cast<SIZE*>(value) = SIZE{fields[0], fields[1]};
        return TRUE;
    }
    default:
        // Floats are written as bytes and never read back: nothing stores one in the registry.
        return FALSE;
    }
}

BOOL CTKPPropExchangeRegistry::ExchangeBlob(LPCWSTR name, BYTE** data, DWORD* size)
{
    if (!data || !size || !OnBeforeExchange())
        return FALSE;
    if (!m_bLoading)
        return RegSetValueExW(m_hSectionKey, name, 0, REG_BINARY, *data, *data ? *size : 0) == ERROR_SUCCESS;
    DWORD n = 0, kind = 0;
    if (RegQueryValueExW(m_hSectionKey, name, nullptr, &kind, nullptr, &n) != ERROR_SUCCESS)
        return FALSE;
    if (*data && *size < n)
        return FALSE;
    std::vector<BYTE> bytes;
    try {
        bytes.resize(n);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    if (n && RegQueryValueExW(m_hSectionKey, name, nullptr, &kind, bytes.data(), &n) != ERROR_SUCCESS)
        return FALSE;
    return DeliverBytes(bytes.data(), n, data, size);
}

CTKPPropExchange* CTKPPropExchangeRegistry::GetSection(LPCWSTR name)
{
    OnBeforeExchange();
    auto* section = new CTKPPropExchangeRegistry(m_bLoading, m_hSectionKey, name);
    InitSection(section);
    return section;
}

void CTKPPropExchangeRegistry::EmptySection()
{
    m_bEmptySection = TRUE;
    if (m_hSectionKey)
        RegCloseKey(m_hSectionKey);
    m_hSectionKey = nullptr;
    if (m_hParentKey)
        RegDeleteTreeW(m_hParentKey, m_strSubkey);
    m_bInitialized = FALSE;
}

// ---- Section enumerator ------------------------------------------------------------------------
CTKPSectionEnumerator::CTKPSectionEnumerator(CTKPPropExchange* exchange, LPCWSTR prefix)
    : m_pExchange(exchange), m_strPrefix(prefix)
{
}

DWORD CTKPSectionEnumerator::GetPosition(DWORD count, BOOL useMediumCount)
{
    m_nCount = count;
    if (!m_pExchange)
        return 0;
    if (!useMediumCount) {
        int value = int(count);
        m_pExchange->ExchangeProp(u"Count", VT_I4, &value, &kZero);
        m_nCount = value > 0 ? DWORD(value) : 0;
    } else if (m_pExchange->IsLoading()) {
        m_nCount = m_pExchange->ReadCount();
    } else {
        m_pExchange->WriteCount(count);
    }
    return m_nCount ? 1 : 0;
}

CTKPPropExchange* CTKPSectionEnumerator::GetNext(DWORD& position)
{
    if (!m_pExchange || !position)
        return nullptr;
    CString name;
    name.Format(u"%s%i", m_strPrefix.GetString(), int(position - 1));
    CTKPPropExchange* section = m_pExchange->GetSection(name);
    ++position;
    if (position > m_nCount)
        position = 0;
    return section;
}

// ---- Typed helpers -----------------------------------------------------------------------------
BOOL PropExchangeIntNoDefault(CTKPPropExchange* px, LPCWSTR name, int* value)
{
    return px->ExchangeProp(name, VT_I4, value, nullptr);
}

BOOL PropExchangeInt(CTKPPropExchange* px, LPCWSTR name, int* value, int defaultValue)
{
    return px->ExchangeProp(name, VT_I4, value, &defaultValue);
}

BOOL PropExchangeBool(CTKPPropExchange* px, LPCWSTR name, BOOL* value, BOOL defaultValue)
{
    return px->ExchangeProp(name, VT_BOOL, value, &defaultValue);
}

BOOL PropExchangeStringNoDefault(CTKPPropExchange* px, LPCWSTR name, CString* value)
{
    return px->ExchangeProp(name, TKP_VT_LPSTR, value, nullptr);
}

BOOL PropExchangeString(CTKPPropExchange* px, LPCWSTR name, CString* value, LPCWSTR defaultText)
{
    return px->ExchangeProp(name, TKP_VT_LPSTR, value, defaultText);
}

BOOL PropExchangeSize(CTKPPropExchange* px, LPCWSTR name, SIZE* value, SIZE defaultValue)
{
    return px->ExchangeProp(name, TKP_VT_SIZE, value, &defaultValue);
}

BOOL PropExchangeRect(CTKPPropExchange* px, LPCWSTR name, RECT* value, RECT defaultValue)
{
    return px->ExchangeProp(name, TKP_VT_RECT, value, &defaultValue);
}

BOOL PropExchangeClass(CTKPPropExchange* px, LPCWSTR name, CRuntimeClass** cls, CRuntimeClass* defaultClass)
{
    return px->ExchangeClass(name, cls, defaultClass);
}

BOOL PropExchangeBlob(CTKPPropExchange* px, LPCWSTR name, BYTE** data, DWORD* size)
{
    return px->ExchangeBlob(name, data, size);
}

BOOL PropExchangeObject(CTKPPropExchange* px, LPCWSTR name, CObject* object)
{
    if (!object)
        return FALSE;
    CArchive* ar = px->GetValueArchive(name);
    if (!ar)
        return FALSE;
    BOOL ok = TRUE;
    try {
        object->Serialize(*ar);
    } catch (CException* e) {
        e->Delete();
        ok = FALSE;
    } catch (const std::bad_alloc&) {
        ok = FALSE;
    }
    px->ReleaseValueArchive(name, ar);
    return ok;
}

BOOL PropExchangeIdSet(CTKPPropExchange* px, LPCWSTR name, std::set<UINT>* ids)
{
    if (px->IsAllowBlobValues()) {
        CArchive* ar = px->GetValueArchive(name);
        if (!ar)
            return FALSE;
        BOOL ok = TRUE;
        try {
            if (px->IsLoading()) {
                // Entries are taken only once the whole set has read back.
                std::set<UINT> loaded;
                const DWORD_PTR count = ar->ReadCount();
                for (DWORD_PTR i = 0; i < count; ++i) {
                    DWORD id = 0, used = 0;
                    *ar >> id >> used;
                    loaded.insert(id);
                }
                ids->swap(loaded);
            } else {
                ar->WriteCount(ids->size());
                for (UINT id : *ids)
                    *ar << DWORD(id) << DWORD(1);
            }
        } catch (CException* e) {
            e->Delete();
            ok = FALSE;
        } catch (const std::bad_alloc&) {
            ok = FALSE;
        }
        px->ReleaseValueArchive(name, ar);
        return ok;
    }
    CTKPPropExchange* section = px->GetSection(name);
    if (!section)
        return FALSE;
    int count = int(ids->size());
    if (px->IsLoading()) {
        ids->clear();
        count = 0;
        PropExchangeInt(section, u"Count", &count, 0);
        for (int i = 0; i < count; ++i) {
            CString item;
            item.Format(u"Item%i", i);
            int id = 0;
            PropExchangeInt(section, item, &id, 0);
            ids->insert(UINT(id));
        }
    } else {
        PropExchangeInt(section, u"Count", &count, 0);
        int i = 0;
        for (UINT id : *ids) {
            CString item;
            item.Format(u"Item%i", i++);
            int value = int(id);
            PropExchangeInt(section, item, &value, 0);
        }
    }
    delete section;
    return TRUE;
}
