// BSTR and VARIANT services and the per-thread OLE start-up.
#pragma once

#include "win32/types.h"

typedef CY CURRENCY;
typedef VARIANT* LPVARIANT;
typedef const VARIANT* LPCVARIANT;

// A BSTR carries its length in bytes in the four bytes before the text and ends with a null unit,
// so it can hold embedded nulls. Null stands for the empty string.
BSTR SysAllocString(const OLECHAR* psz);
BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui);
BSTR SysAllocStringByteLen(LPCSTR psz, UINT len);
INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz);
INT SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len);
void SysFreeString(BSTR bstrString);
UINT SysStringLen(BSTR pbstr);
UINT SysStringByteLen(BSTR bstr);

#define DISP_E_TYPEMISMATCH ((HRESULT)0x80020005L)
#define DISP_E_OVERFLOW ((HRESULT)0x8002000AL)
#define DISP_E_BADVARTYPE ((HRESULT)0x80020008L)
#define VARIANT_NOVALUEPROP 0x01
#define VARIANT_ALPHABOOL 0x02
#define VAR_TIMEVALUEONLY ((DWORD)0x00000001)
#define VAR_DATEVALUEONLY ((DWORD)0x00000002)

// Frees what the variant owns (its string, its interface) and leaves it VT_EMPTY.
HRESULT VariantClear(VARIANTARG* pvarg);
// A deep copy: strings are duplicated and interfaces referenced.
HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc);
// Converts between the empty, numeric, boolean, currency, date and string types; other types fail
// with DISP_E_TYPEMISMATCH, values out of the target's range with DISP_E_OVERFLOW.
HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags, VARTYPE vt);

// OLE needs no set-up in the layer: the count is per thread, S_FALSE when it was initialised
// already, as the system answers.
HRESULT OleInitialize(LPVOID pvReserved);
void OleUninitialize();
HRESULT CoInitialize(LPVOID pvReserved);
void CoUninitialize();
