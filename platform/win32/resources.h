// Resources: the embedded resource image and the functions that read it.
#pragma once

#include "win32/types.h"

#define RT_CURSOR MAKEINTRESOURCEW(1)
#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_ICON MAKEINTRESOURCEW(3)
#define RT_MENU MAKEINTRESOURCEW(4)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_FONTDIR MAKEINTRESOURCEW(7)
#define RT_FONT MAKEINTRESOURCEW(8)
#define RT_ACCELERATOR MAKEINTRESOURCEW(9)
#define RT_RCDATA MAKEINTRESOURCEW(10)
#define RT_MESSAGETABLE MAKEINTRESOURCEW(11)
#define RT_GROUP_CURSOR MAKEINTRESOURCEW(12)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)
#define RT_VERSION MAKEINTRESOURCEW(16)
#define RT_DLGINCLUDE MAKEINTRESOURCEW(17)
#define RT_HTML MAKEINTRESOURCEW(23)
#define RT_MANIFEST MAKEINTRESOURCEW(24)
// The framework's own types, written in scripts as raw resources of these numbers.
#define RT_DLGINIT MAKEINTRESOURCEW(240)
#define RT_TOOLBAR MAKEINTRESOURCEW(241)

#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))
#define LANG_NEUTRAL 0x00
#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01

// ---- Resource access ---------------------------------------------------------------------------
// Images registered for no particular module answer for every module handle: the program is
// one executable, so its instance handle and the framework's resource handle name the same image.
HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
HRSRC FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage);
HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);
LPVOID LockResource(HGLOBAL hResData);
DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);
BOOL FreeResource(HGLOBAL hResData);
int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);
#define FindResource FindResourceW
#define LoadString LoadStringW

// ---- Images from resources and files ------------------------------------------------------------
#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define IMAGE_CURSOR 2
#define LR_DEFAULTCOLOR 0x00000000
#define LR_MONOCHROME 0x00000001
#define LR_COPYRETURNORG 0x00000004
#define LR_COPYDELETEORG 0x00000008
#define LR_LOADFROMFILE 0x00000010
#define LR_LOADTRANSPARENT 0x00000020
#define LR_DEFAULTSIZE 0x00000040
#define LR_VGACOLOR 0x00000080
#define LR_LOADMAP3DCOLORS 0x00001000
#define LR_CREATEDIBSECTION 0x00002000
#define LR_SHARED 0x00008000

HANDLE LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad);
HBITMAP LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName);
HICON LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName);
HCURSOR LoadCursorW(HINSTANCE hInstance, LPCWSTR lpCursorName);
#define LoadImage LoadImageW
#define LoadBitmap LoadBitmapW
#define LoadIcon LoadIconW
#define LoadCursor LoadCursorW

namespace res {

// Adds a compiled resource image (.res file contents) to what the resource functions search.
// The data must stay valid for the life of the program (the build embeds it as a constant).
// Returns false if it is not a well-formed image; nothing of a malformed image is used.
bool RegisterImage(const void* data, size_t size);

// Where a resource's bytes are; null if absent.
struct Blob {
    const BYTE* data = nullptr;
    DWORD size = 0;
    int image = -1; // which registered image holds it
};
Blob Find(LPCWSTR type, LPCWSTR name);
// The same, from the given image when it has one: the images of an icon or cursor group are numbered per script,
// so each group must take its images from its own script.
Blob Find(LPCWSTR type, LPCWSTR name, int image);

} // namespace res
