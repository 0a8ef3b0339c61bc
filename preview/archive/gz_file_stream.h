// CGzFileStream: a file stream over zlib's gzip file functions, on the small base CStreamBase.
#pragma once

#include "afx/afx.h"

#include <vector>
#include <zlib.h>

class CStreamBase {
public:
    virtual ~CStreamBase() = default;
    // 0 closed, 1 open for writing, 2 open for reading.
    LONG m_nMode = 0;
    LONG m_nLevel = -1; // zlib's default
    LONG m_nStrategy = 0;
};

class CGzFileStream : public CStreamBase {
public:
    // Decompressed gzip data is refused beyond this size: a small file can expand a
    // thousandfold, and a preview needs no more.
    static const size_t kMaxDataSize = size_t(64) << 20;

    ~CGzFileStream() override;
    virtual BOOL SetMode(LONG mode);
    virtual BOOL CloseStream();
    virtual BOOL IsOpen() const;
    virtual BOOL Write(const void* buffer, UINT length);
    virtual BOOL WriteText(LPCWSTR text);
    virtual int Read(void* buffer, UINT length);
    virtual BOOL OpenStream(LPCWSTR path, LONG mode);
    virtual int SetParameters(LONG level, LONG strategy);

    // Mode 2 only: the whole decompressed file into one buffer; false on a read error, on data
    // beyond kMaxDataSize, or when it is empty.
    BOOL ReadAll(std::vector<BYTE>& data);

protected:
    gzFile m_file = nullptr;
    LONG m_nFileLength = 0;
};
