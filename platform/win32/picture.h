// Pictures loaded from files and streams (IPicture, OleLoadPicture, OleLoadPicturePath) and the memory
// stream they read from (IStream over an HGLOBAL, CreateStreamOnHGlobal).
#pragma once

#include "win32/gdi.h"
#include "win32/storage.h"

#include <functional>

typedef UINT OLE_HANDLE;
typedef LONG OLE_XPOS_HIMETRIC;
typedef LONG OLE_YPOS_HIMETRIC;
typedef LONG OLE_XSIZE_HIMETRIC;
typedef LONG OLE_YSIZE_HIMETRIC;
typedef DWORD OLE_COLOR;

#define PICTYPE_UNINITIALIZED (-1)
#define PICTYPE_NONE 0
#define PICTYPE_BITMAP 1
#define PICTYPE_METAFILE 2
#define PICTYPE_ICON 3
#define PICTYPE_ENHMETAFILE 4

#define PICTURE_SCALABLE 0x1
#define PICTURE_TRANSPARENT 0x2

#define CTL_E_INVALIDPICTURE ((HRESULT)0x800A01E1L)
#define STG_E_READFAULT ((HRESULT)0x8003001EL)

#define STREAM_SEEK_SET 0
#define STREAM_SEEK_CUR 1
#define STREAM_SEEK_END 2

extern const IID IID_IStream;
extern const IID IID_ISequentialStream;
extern const IID IID_IPicture;

struct ISequentialStream : IUnknown {
    virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
    virtual HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) = 0;

protected:
    ~ISequentialStream() = default;
};

struct IStream : ISequentialStream {
    virtual HRESULT Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) = 0;
    virtual HRESULT SetSize(ULARGE_INTEGER libNewSize) = 0;
    virtual HRESULT CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead, ULARGE_INTEGER* pcbWritten) = 0;
    virtual HRESULT Commit(DWORD grfCommitFlags) = 0;
    virtual HRESULT Revert() = 0;
    virtual HRESULT LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
    virtual HRESULT UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
    virtual HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0;
    virtual HRESULT Clone(IStream** ppstm) = 0;

protected:
    ~IStream() = default;
};
typedef IStream* LPSTREAM;

struct IPicture : IUnknown {
    virtual HRESULT get_Handle(OLE_HANDLE* pHandle) = 0;
    virtual HRESULT get_hPal(OLE_HANDLE* phPal) = 0;
    virtual HRESULT get_Type(SHORT* pType) = 0;
    virtual HRESULT get_Width(OLE_XSIZE_HIMETRIC* pWidth) = 0;
    virtual HRESULT get_Height(OLE_YSIZE_HIMETRIC* pHeight) = 0;
    // The source rectangle is in HIMETRIC with y counted from the bottom: (0, height, width, −height)
    // draws the picture upright.
    virtual HRESULT Render(HDC hDC, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC xSrc, OLE_YPOS_HIMETRIC ySrc,
                           OLE_XSIZE_HIMETRIC cxSrc, OLE_YSIZE_HIMETRIC cySrc, LPCRECT pRcWBounds) = 0;
    virtual HRESULT set_hPal(OLE_HANDLE hPal) = 0;
    virtual HRESULT get_CurDC(HDC* phDC) = 0;
    virtual HRESULT SelectPicture(HDC hDCIn, HDC* phDCOut, OLE_HANDLE* phBmpOut) = 0;
    virtual HRESULT get_KeepOriginalFormat(BOOL* pKeep) = 0;
    virtual HRESULT put_KeepOriginalFormat(BOOL keep) = 0;
    virtual HRESULT PictureChanged() = 0;
    virtual HRESULT SaveAsFile(LPSTREAM pStream, BOOL fSaveMemCopy, LONG* pCbSize) = 0;
    virtual HRESULT get_Attributes(DWORD* pDwAttr) = 0;

protected:
    ~IPicture() = default;
};
typedef IPicture* LPPICTURE;

// A stream over the memory block (a new growable one when hGlobal is null). With fDeleteOnRelease the
// block is freed with the stream.
HRESULT CreateStreamOnHGlobal(HGLOBAL hGlobal, BOOL fDeleteOnRelease, LPSTREAM* ppstm);
// Reads lSize bytes of the stream (all that is left when 0) and decodes them as a picture.
HRESULT OleLoadPicture(LPSTREAM lpstream, LONG lSize, BOOL fRunmode, REFIID riid, LPVOID* lplpvObj);
// Loads a picture file by path. The caller and the reserved arguments are not used.
HRESULT OleLoadPicturePath(LPOLESTR szURLorPath, LPUNKNOWN punkCaller, DWORD dwReserved, OLE_COLOR clrReserved,
                           REFIID riid, LPVOID* ppvRet);

namespace dovemark {
// Lets the picture decoders play enhanced metafiles with GDI (picture loading does it on first use).
void InstallEmfCanvas();
// The box a picture of the given full size is shown in.
using PictureBox = std::function<SIZE(int fullWidth, int fullHeight)>;
// Loads a picture file as OleLoadPicturePath does, but decoded only as large as the box needs where the
// codec can scale while decoding (JPEG); the picture still reports its full size and draws whole.
HRESULT LoadPicturePathForBox(LPCWSTR path, const PictureBox& box, IPicture** out);
// A top-down 32-bit DIB section of the size and its pixel memory (width × 4 bytes a row); null on failure.
HBITMAP CreateTopDownDib32(int width, int height, void** bits);
// The picture's size in screen pixels, from its HIMETRIC size; false when it reports none. Unlike its
// handle, this never makes the picture build a whole bitmap.
bool PicturePixelSize(IPicture* picture, int& width, int& height);
} // namespace dovemark
