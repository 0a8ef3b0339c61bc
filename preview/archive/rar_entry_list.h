// CRarEntryList: the table of contents of a RAR archive, read through the RAR library
// "unrar.dll" loaded at run time; every item is skipped, nothing is extracted.
#pragma once

#include "afx/afx.h"
#include "preview/archive/rar_library.h"

#include <vector>

struct RarEntry {
    CString name;
    ULONGLONG flags = 0;
    ULONGLONG packedSize = 0;
    ULONGLONG unpackedSize = 0;
    // The low 32 bits hold the header's MS-DOS date (high half) and time (low half).
    LONGLONG time = 0;
    DWORD attributes = 0;
    DWORD reserved = 0;
};

class CRarEntryList {
public:
    CRarEntryList();
    ~CRarEntryList();
    CRarEntryList(const CRarEntryList&) = delete;
    CRarEntryList& operator=(const CRarEntryList&) = delete;

    // Whether "unrar.dll" could be loaded.
    bool IsLoaded() const { return m_hModule != nullptr; }
    // Fills the entries; false when the library is missing or the archive cannot be opened.
    bool ReadArchive(const char* path);
    int GetCount() const { return int(m_entries.size()); }
    const RarEntry& GetEntry(int i) const { return m_entries[size_t(i)]; }

    // Whether the listing stopped at a header that could not be read or skipped: the entries
    // before it are kept, and the archive is damaged.
    bool IsDamaged() const { return m_bDamaged; }

    CString m_strError;
    CString m_strExtra;
    CString m_strArchivePath;

private:
    HMODULE m_hModule = nullptr;
    std::vector<RarEntry> m_entries;
    bool m_bDamaged = false;
    RAROpenArchiveExFn m_pOpenArchiveEx = nullptr;
    RARCloseArchiveFn m_pCloseArchive = nullptr;
    RARProcessFileFn m_pProcessFile = nullptr;
    RARReadHeaderExFn m_pReadHeaderEx = nullptr;
};
