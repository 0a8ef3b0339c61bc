// Temporary compound files in memory: a tree of named storages.
#include "win32/storage.h"

#include <atomic>
#include <map>
#include <new>
#include <string>

const IID IID_IStorage = {0x0000000B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace {

// Element names of a compound file: 1 to 31 characters, none of "!:/\".
bool ValidName(const OLECHAR* name)
{
    if (!name || !*name)
        return false;
    size_t n = 0;
    for (const OLECHAR* p = name; *p; ++p, ++n)
        if (*p == u'!' || *p == u':' || *p == u'/' || *p == u'\\' || n >= 31)
            return false;
    return true;
}

class MemoryStorage final : public IStorage {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IStorage)) {
            *ppv = static_cast<IStorage*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_ref; }
    ULONG Release() override
    {
        ULONG n = --m_ref;
        if (n == 0)
            delete this;
        return n;
    }

    HRESULT CreateStream(const OLECHAR*, DWORD, DWORD, DWORD, IStream** ppstm) override
    {
        if (ppstm)
            *ppstm = nullptr;
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT OpenStream(const OLECHAR*, void*, DWORD, DWORD, IStream** ppstm) override
    {
        if (ppstm)
            *ppstm = nullptr;
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT CreateStorage(const OLECHAR* name, DWORD grfMode, DWORD, DWORD, IStorage** ppstg) override
    {
        if (!ppstg)
            return STG_E_INVALIDPOINTER;
        *ppstg = nullptr;
        if (!ValidName(name))
            return STG_E_INVALIDNAME;
        // Elements inside a compound file are opened exclusively, or not at all.
        if ((grfMode & 0x70) != STGM_SHARE_EXCLUSIVE)
            return STG_E_INVALIDFLAG;
        auto it = m_children.find(name);
        if (it != m_children.end()) {
            if (!(grfMode & STGM_CREATE))
                return STG_E_FILEALREADYEXISTS;
            it->second->Release();
            m_children.erase(it);
        }
        auto* child = new (std::nothrow) MemoryStorage;
        if (!child)
            return STG_E_INSUFFICIENTMEMORY;
        child->AddRef(); // the tree's reference
        child->AddRef(); // the caller's
        m_children[name] = child;
        *ppstg = child;
        return S_OK;
    }
    HRESULT OpenStorage(const OLECHAR* name, IStorage*, DWORD grfMode, SNB, DWORD, IStorage** ppstg) override
    {
        if (!ppstg)
            return STG_E_INVALIDPOINTER;
        *ppstg = nullptr;
        if ((grfMode & 0x70) != STGM_SHARE_EXCLUSIVE)
            return STG_E_INVALIDFLAG;
        auto it = name ? m_children.find(name) : m_children.end();
        if (it == m_children.end())
            return STG_E_FILENOTFOUND;
        it->second->AddRef();
        *ppstg = it->second;
        return S_OK;
    }
    HRESULT CopyTo(DWORD, const IID*, SNB, IStorage*) override { return STG_E_INVALIDFUNCTION; }
    HRESULT MoveElementTo(const OLECHAR*, IStorage*, const OLECHAR*, DWORD) override { return STG_E_INVALIDFUNCTION; }
    HRESULT Commit(DWORD) override { return S_OK; }
    HRESULT Revert() override { return S_OK; }
    HRESULT EnumElements(DWORD, void*, DWORD, IEnumSTATSTG** ppenum) override
    {
        if (ppenum)
            *ppenum = nullptr;
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT DestroyElement(const OLECHAR* name) override
    {
        auto it = name ? m_children.find(name) : m_children.end();
        if (it == m_children.end())
            return STG_E_FILENOTFOUND;
        it->second->Release();
        m_children.erase(it);
        return S_OK;
    }
    HRESULT RenameElement(const OLECHAR* oldName, const OLECHAR* newName) override
    {
        if (!ValidName(newName))
            return STG_E_INVALIDNAME;
        auto it = oldName ? m_children.find(oldName) : m_children.end();
        if (it == m_children.end())
            return STG_E_FILENOTFOUND;
        if (m_children.count(newName))
            return STG_E_ACCESSDENIED;
        MemoryStorage* child = it->second;
        m_children.erase(it);
        m_children[newName] = child;
        return S_OK;
    }
    HRESULT SetElementTimes(const OLECHAR*, const FILETIME*, const FILETIME*, const FILETIME*) override { return S_OK; }
    HRESULT SetClass(REFCLSID clsid) override
    {
        m_clsid = clsid;
        return S_OK;
    }
    HRESULT SetStateBits(DWORD, DWORD) override { return S_OK; }
    HRESULT Stat(STATSTG*, DWORD) override { return STG_E_INVALIDFUNCTION; }

private:
    ~MemoryStorage()
    {
        for (auto& [name, child] : m_children)
            child->Release();
    }
    std::atomic<ULONG> m_ref{0};
    std::map<std::u16string, MemoryStorage*> m_children;
    CLSID m_clsid{};
};

} // namespace

HRESULT StgCreateDocfile(const OLECHAR* pwcsName, DWORD grfMode, DWORD reserved, IStorage** ppstgOpen)
{
    if (!ppstgOpen)
        return STG_E_INVALIDPOINTER;
    *ppstgOpen = nullptr;
    if (pwcsName)
        return STG_E_INVALIDFUNCTION;
    if (!(grfMode & (STGM_WRITE | STGM_READWRITE)))
        return STG_E_INVALIDFLAG;
    auto* root = new (std::nothrow) MemoryStorage;
    if (!root)
        return STG_E_INSUFFICIENTMEMORY;
    root->AddRef();
    *ppstgOpen = root;
    return S_OK;
}
