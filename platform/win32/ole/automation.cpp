// BSTR allocation, VARIANT copying and conversion, and OLE's per-thread start-up count.
#include "win32/ole.h"
#include "win32/text.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
    // The byte length must fit the 32-bit prefix.
    if (ui > 0x3FFFFFF0u)
        return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(sizeof(DWORD) + (size_t(ui) + 1) * sizeof(OLECHAR)));
    if (!block)
        return nullptr;
    DWORD cb = ui * sizeof(OLECHAR);
    std::memcpy(block, &cb, sizeof(cb));
    auto* str = reinterpret_cast<BSTR>(block + sizeof(DWORD));
    if (strIn)
        std::memcpy(str, strIn, size_t(ui) * sizeof(OLECHAR));
    else
        std::memset(str, 0, size_t(ui) * sizeof(OLECHAR));
    str[ui] = 0;
    return str;
}

BSTR SysAllocString(const OLECHAR* psz) {
    if (!psz)
        return nullptr;
    return SysAllocStringLen(psz, (UINT)std::char_traits<char16_t>::length(psz));
}

BSTR SysAllocStringByteLen(LPCSTR psz, UINT len) {
    if (len > 0x7FFFFFE0u)
        return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(sizeof(DWORD) + size_t(len) + sizeof(OLECHAR)));
    if (!block)
        return nullptr;
    DWORD cb = len;
    std::memcpy(block, &cb, sizeof(cb));
    unsigned char* data = block + sizeof(DWORD);
    if (psz)
        std::memcpy(data, psz, len);
    else
        std::memset(data, 0, len);
    data[len] = 0;
    data[len + 1] = 0;
    return reinterpret_cast<BSTR>(data);
}

void SysFreeString(BSTR bstrString) {
    if (bstrString)
        std::free(reinterpret_cast<unsigned char*>(bstrString) - sizeof(DWORD));
}

UINT SysStringByteLen(BSTR bstr) {
    if (!bstr)
        return 0;
    DWORD cb;
    std::memcpy(&cb, reinterpret_cast<unsigned char*>(bstr) - sizeof(DWORD), sizeof(cb));
    return cb;
}

UINT SysStringLen(BSTR pbstr) { return SysStringByteLen(pbstr) / sizeof(OLECHAR); }

INT SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len) {
    if (!pbstr)
        return FALSE;
    // The new text may be part of the old string, so it is copied before the old one goes.
    BSTR fresh = SysAllocStringLen(psz, len);
    if (!fresh)
        return FALSE;
    SysFreeString(*pbstr);
    *pbstr = fresh;
    return TRUE;
}

INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz) {
    return SysReAllocStringLen(pbstr, psz, psz ? (UINT)std::char_traits<char16_t>::length(psz) : 0);
}

// ---- VARIANT ------------------------------------------------------------------------------------
HRESULT VariantClear(VARIANTARG* pvarg) {
    if (!pvarg)
        return E_INVALIDARG;
    if (!(pvarg->vt & VT_BYREF)) {
        switch (pvarg->vt) {
        case VT_BSTR:
            SysFreeString(pvarg->bstrVal);
            break;
        case VT_UNKNOWN:
            if (pvarg->punkVal)
                pvarg->punkVal->Release();
            break;
        case VT_DISPATCH:
            if (pvarg->pdispVal)
                pvarg->pdispVal->Release();
            break;
        default:
            break;
        }
    }
    VariantInit(pvarg);
    return S_OK;
}

HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc) {
    if (!pvargDest || !pvargSrc)
        return E_INVALIDARG;
    if (pvargDest == pvargSrc)
        return S_OK;
    VARIANT copy = *pvargSrc;
    if (!(copy.vt & VT_BYREF)) {
        if (copy.vt == VT_BSTR && pvargSrc->bstrVal) {
            copy.bstrVal = SysAllocStringLen(pvargSrc->bstrVal, SysStringLen(pvargSrc->bstrVal));
            if (!copy.bstrVal)
                return E_OUTOFMEMORY;
        } else if (copy.vt == VT_UNKNOWN && copy.punkVal) {
            copy.punkVal->AddRef();
        } else if (copy.vt == VT_DISPATCH && copy.pdispVal) {
            copy.pdispVal->AddRef();
        }
    }
    VariantClear(pvargDest);
    *pvargDest = copy;
    return S_OK;
}

namespace {
enum class Kind { Signed, Unsigned, Real, Other };

Kind KindOf(VARTYPE vt) {
    switch (vt) {
    case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_INT: case VT_BOOL: case VT_ERROR:
        return Kind::Signed;
    case VT_UI1: case VT_UI2: case VT_UI4: case VT_UI8: case VT_UINT:
        return Kind::Unsigned;
    case VT_R4: case VT_R8: case VT_DATE: case VT_CY:
        return Kind::Real;
    default:
        return Kind::Other;
    }
}

// The source value as a double (exact for every 32-bit integer) and, for 64-bit ones, exactly.
bool ReadNumber(const VARIANT& v, double& d, LONGLONG& ll, bool& isInt) {
    isInt = true;
    switch (v.vt) {
    case VT_EMPTY: ll = 0; break;
    case VT_I1: ll = v.cVal; break;
    case VT_I2: ll = v.iVal; break;
    case VT_I4: case VT_INT: case VT_ERROR: ll = v.lVal; break;
    case VT_I8: ll = v.llVal; break;
    case VT_UI1: ll = v.bVal; break;
    case VT_UI2: ll = v.uiVal; break;
    case VT_UI4: case VT_UINT: ll = (LONGLONG)v.ulVal; break;
    case VT_UI8:
        if (v.ullVal > (ULONGLONG)INT64_MAX)
            return false;
        ll = (LONGLONG)v.ullVal;
        break;
    case VT_BOOL: ll = v.boolVal ? -1 : 0; break;
    case VT_R4: d = v.fltVal; isInt = false; break;
    case VT_R8: case VT_DATE: d = v.dblVal; isInt = false; break;
    case VT_CY: d = (double)v.cyVal.int64 / 10000.0; isInt = false; break;
    case VT_BSTR: {
        if (!v.bstrVal)
            return false;
        std::string text;
        for (UINT i = 0, n = SysStringLen(v.bstrVal); i < n; ++i) {
            OLECHAR c = v.bstrVal[i];
            if (c > 0x7F)
                return false;
            text += (char)c;
        }
        const char* begin = text.c_str();
        while (*begin == ' ')
            ++begin;
        if (!*begin)
            return false;
        char* end = nullptr;
        d = std::strtod(begin, &end);
        while (end && *end == ' ')
            ++end;
        if (!end || *end)
            return false;
        isInt = false;
        break;
    }
    default:
        return false;
    }
    if (isInt)
        d = (double)ll;
    return true;
}

// Integers round half to even, as the system's conversions do.
bool ToInteger(double d, LONGLONG& out) {
    if (!std::isfinite(d))
        return false;
    double r = std::nearbyint(d);
    if (r < -9.2233720368547758e18 || r >= 9.2233720368547758e18)
        return false;
    out = (LONGLONG)r;
    return true;
}

BSTR NumberText(const VARIANT& v, double d, LONGLONG ll, bool isInt) {
    char buf[64];
    if (v.vt == VT_BOOL)
        return SysAllocString(v.boolVal ? u"True" : u"False");
    if (isInt)
        std::snprintf(buf, sizeof(buf), "%lld", static_cast<long long>(ll));
    else if (v.vt == VT_R4)
        std::snprintf(buf, sizeof(buf), "%.7g", d);
    else
        std::snprintf(buf, sizeof(buf), "%.15g", d);
    std::u16string w(buf, buf + std::strlen(buf));
    return SysAllocString(w.c_str());
}
} // namespace

HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT, VARTYPE vt) {
    if (!pvargDest || !pvarSrc)
        return E_INVALIDARG;
    if (pvarSrc->vt == vt)
        return VariantCopy(pvargDest, pvarSrc);
    VARIANT result;
    VariantInit(&result);
    result.vt = vt;
    if (vt == VT_EMPTY) {
        // Anything may be emptied.
    } else if (vt == VT_NULL) {
        if (pvarSrc->vt != VT_EMPTY)
            return DISP_E_TYPEMISMATCH;
    } else if (pvarSrc->vt == VT_NULL) {
        return DISP_E_TYPEMISMATCH;
    } else {
        double d = 0;
        LONGLONG ll = 0;
        bool isInt = true;
        if (vt == VT_BSTR) {
            if (pvarSrc->vt == VT_EMPTY) {
                result.bstrVal = SysAllocString(u"");
            } else {
                if (!ReadNumber(*pvarSrc, d, ll, isInt))
                    return DISP_E_TYPEMISMATCH;
                result.bstrVal = NumberText(*pvarSrc, d, ll, isInt);
            }
            if (!result.bstrVal)
                return E_OUTOFMEMORY;
        } else {
            if (!ReadNumber(*pvarSrc, d, ll, isInt))
                return DISP_E_TYPEMISMATCH;
            LONGLONG n = ll;
            if (KindOf(vt) != Kind::Real && !isInt && !ToInteger(d, n))
                return DISP_E_OVERFLOW;
            auto fits = [&](LONGLONG lo, LONGLONG hi) { return n >= lo && n <= hi; };
            switch (vt) {
            case VT_I1: if (!fits(-128, 127)) return DISP_E_OVERFLOW; result.cVal = (CHAR)n; break;
            case VT_I2: if (!fits(-32768, 32767)) return DISP_E_OVERFLOW; result.iVal = (SHORT)n; break;
            case VT_I4: case VT_INT: if (!fits(INT32_MIN, INT32_MAX)) return DISP_E_OVERFLOW; result.lVal = (LONG)n; break;
            case VT_I8: result.llVal = n; break;
            case VT_UI1: if (!fits(0, 255)) return DISP_E_OVERFLOW; result.bVal = (BYTE)n; break;
            case VT_UI2: if (!fits(0, 65535)) return DISP_E_OVERFLOW; result.uiVal = (USHORT)n; break;
            case VT_UI4: case VT_UINT: if (!fits(0, UINT32_MAX)) return DISP_E_OVERFLOW; result.ulVal = (ULONG)n; break;
            case VT_UI8: if (n < 0) return DISP_E_OVERFLOW; result.ullVal = (ULONGLONG)n; break;
            case VT_BOOL: result.boolVal = (isInt ? n != 0 : d != 0) ? VARIANT_TRUE : VARIANT_FALSE; break;
            case VT_R4:
                if (std::fabs(d) > 3.402823466e38) return DISP_E_OVERFLOW;
                result.fltVal = (float)d;
                break;
            case VT_R8: case VT_DATE: result.dblVal = d; break;
            case VT_CY: {
                double scaled = std::nearbyint(d * 10000.0);
                if (!std::isfinite(scaled) || std::fabs(scaled) >= 9.2233720368547758e18)
                    return DISP_E_OVERFLOW;
                result.cyVal.int64 = (LONGLONG)scaled;
                break;
            }
            default:
                return DISP_E_BADVARTYPE;
            }
        }
    }
    VariantClear(pvargDest);
    *pvargDest = result;
    return S_OK;
}

// ---- Start-up count -------------------------------------------------------------------------------
namespace {
thread_local int t_nOleInit = 0;
}

HRESULT OleInitialize(LPVOID) { return t_nOleInit++ == 0 ? S_OK : S_FALSE; }

void OleUninitialize() {
    if (t_nOleInit > 0)
        --t_nOleInit;
}

HRESULT CoInitialize(LPVOID pv) { return OleInitialize(pv); }
void CoUninitialize() { OleUninitialize(); }
