// CZipItemReader: one archive file's items in memory, with their names, kinds and times: a zip
// archive (through the zip reader), a plain gzip file (one item), or a tar archive inside a gzip
// file (one item per header).
#pragma once

#include "preview/archive/gz_file_stream.h"
#include "preview/archive/zip_reader.h"

class CZipItemReader : public CGzFileStream {
public:
    // A zip item is refused beyond this size, as decompressed gzip data is.
    static const size_t kMaxItemSize = kMaxDataSize;

    ~CZipItemReader() override;

    BOOL OpenArchive(const char* path);
    // The number of items, or -1 with the error text set.
    int CountItems();
    // Item i: its bytes (followed by a zero byte, valid until the next call or the close), its
    // kind, its name, its three times (creation, last access, last write) and, for tar, its
    // modification time in seconds since 1970.
    BOOL GetItem(int index, const BYTE** data, size_t* size, int* isFile, CString& kind, CString& name,
                 FILETIME times[3], LONGLONG* modified);
    void CloseArchive();

    CString m_strError;
    // 0 none, 1 zip, 2 plain gzip, 3 tar inside gzip.
    LONG m_nKind = 0;

protected:
    // Reads the decompressed gzip data once; false with the read error set.
    BOOL EnsureData();

    ZipHandle m_hZip = nullptr;
    std::vector<BYTE> m_data;
    bool m_bDataRead = false;
};
