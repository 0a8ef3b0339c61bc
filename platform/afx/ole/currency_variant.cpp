// COleCurrency and COleVariant: money in ten-thousandths and the owning VARIANT.
#include "afx/ole_types.h"

#include <cstring>
#include <limits>

// ---- COleCurrency -------------------------------------------------------------------------------
void COleCurrency::SetCurrency(long nUnits, long nFractionalUnits) {
    LONGLONG v = 0;
    if (__builtin_mul_overflow((LONGLONG)nUnits, (LONGLONG)10000, &v) ||
        __builtin_add_overflow(v, (LONGLONG)nFractionalUnits, &v)) {
        m_cur.int64 = 0;
        m_status = invalid;
        return;
    }
    m_cur.int64 = v;
    m_status = valid;
}

bool COleCurrency::ParseCurrency(LPCWSTR lpszCurrency, DWORD, LCID) {
    m_status = invalid;
    m_cur.int64 = 0;
    if (!lpszCurrency)
        return false;
    const char16_t* p = lpszCurrency;
    while (*p == u' ')
        ++p;
    bool negative = false;
    if (*p == u'-' || *p == u'+')
        negative = *p++ == u'-';
    LONGLONG units = 0;
    int digits = 0;
    for (; (*p >= u'0' && *p <= u'9') || (*p == u',' && digits > 0); ++p) {
        if (*p == u',')
            continue;
        if (__builtin_mul_overflow(units, (LONGLONG)10, &units) ||
            __builtin_add_overflow(units, (LONGLONG)(*p - u'0'), &units))
            return false;
        ++digits;
    }
    LONGLONG frac = 0;
    int fracDigits = 0;
    bool roundUp = false;
    if (*p == u'.') {
        ++p;
        for (; *p >= u'0' && *p <= u'9'; ++p, ++fracDigits) {
            if (fracDigits < 4)
                frac = frac * 10 + (*p - u'0');
            else if (fracDigits == 4)
                roundUp = *p >= u'5';
        }
        for (int i = std::min(fracDigits, 4); i < 4; ++i)
            frac *= 10;
    }
    while (*p == u' ')
        ++p;
    if (*p || (digits == 0 && fracDigits == 0))
        return false;
    LONGLONG v = 0;
    if (__builtin_mul_overflow(units, (LONGLONG)10000, &v) || __builtin_add_overflow(v, frac + (roundUp ? 1 : 0), &v))
        return false;
    m_cur.int64 = negative ? -v : v;
    m_status = valid;
    return true;
}

CString COleCurrency::Format(DWORD, LCID) const {
    if (m_status == null)
        return CString();
    if (m_status != valid)
        return CString(u"Invalid Currency");
    ULONGLONG mag = m_cur.int64 < 0 ? 0ULL - (ULONGLONG)m_cur.int64 : (ULONGLONG)m_cur.int64;
    CString out;
    out.Format(u"%s%llu", m_cur.int64 < 0 ? u"-" : u"", mag / 10000);
    unsigned frac = (unsigned)(mag % 10000);
    if (frac) {
        CString f;
        f.Format(u".%04u", frac);
        f.TrimRight(u'0');
        out += f;
    }
    return out;
}

COleCurrency COleCurrency::operator+(const COleCurrency& o) const {
    COleCurrency r;
    if (m_status != valid || o.m_status != valid ||
        __builtin_add_overflow(m_cur.int64, o.m_cur.int64, &r.m_cur.int64)) {
        r.m_cur.int64 = 0;
        r.m_status = invalid;
    }
    return r;
}

COleCurrency COleCurrency::operator-(const COleCurrency& o) const {
    COleCurrency r;
    if (m_status != valid || o.m_status != valid ||
        __builtin_sub_overflow(m_cur.int64, o.m_cur.int64, &r.m_cur.int64)) {
        r.m_cur.int64 = 0;
        r.m_status = invalid;
    }
    return r;
}

// ---- COleVariant --------------------------------------------------------------------------------
COleVariant::COleVariant(const VARIANT& varSrc) {
    VariantInit(this);
    if (FAILED(VariantCopy(this, &varSrc)))
        AfxThrowMemoryException();
}

COleVariant::COleVariant(const COleVariant& varSrc) : COleVariant(static_cast<const VARIANT&>(varSrc)) {}

COleVariant::COleVariant(LPCVARIANT pSrc) {
    VariantInit(this);
    if (pSrc && FAILED(VariantCopy(this, pSrc)))
        AfxThrowMemoryException();
}

COleVariant::COleVariant(LPCWSTR lpszSrc) {
    VariantInit(this);
    *this = lpszSrc;
}

COleVariant::COleVariant(const CString& strSrc) : COleVariant((LPCWSTR)strSrc) {}

COleVariant::COleVariant(BYTE nSrc) {
    VariantInit(this);
    vt = VT_UI1;
    bVal = nSrc;
}

COleVariant::COleVariant(short nSrc, VARTYPE vtSrc) {
    VariantInit(this);
    if (vtSrc == VT_BOOL) {
        vt = VT_BOOL;
        boolVal = nSrc ? VARIANT_TRUE : VARIANT_FALSE;
    } else {
        vt = VT_I2;
        iVal = nSrc;
    }
}

COleVariant::COleVariant(long lSrc, VARTYPE vtSrc) {
    VariantInit(this);
    if (vtSrc == VT_BOOL) {
        vt = VT_BOOL;
        boolVal = lSrc ? VARIANT_TRUE : VARIANT_FALSE;
    } else {
        vt = vtSrc == VT_ERROR ? VT_ERROR : VT_I4;
        lVal = lSrc;
    }
}

COleVariant::COleVariant(float fltSrc) {
    VariantInit(this);
    vt = VT_R4;
    fltVal = fltSrc;
}

COleVariant::COleVariant(double dblSrc) {
    VariantInit(this);
    vt = VT_R8;
    dblVal = dblSrc;
}

COleVariant::COleVariant(const COleCurrency& curSrc) {
    VariantInit(this);
    *this = curSrc;
}

COleVariant::COleVariant(const COleDateTime& dateSrc) {
    VariantInit(this);
    *this = dateSrc;
}

COleVariant& COleVariant::operator=(const COleVariant& varSrc) { return *this = static_cast<const VARIANT&>(varSrc); }

COleVariant& COleVariant::operator=(const VARIANT& varSrc) {
    if (FAILED(VariantCopy(this, &varSrc)))
        AfxThrowMemoryException();
    return *this;
}

COleVariant& COleVariant::operator=(LPCWSTR lpszSrc) {
    Clear();
    if (lpszSrc) {
        BSTR b = SysAllocString(lpszSrc);
        if (!b)
            AfxThrowMemoryException();
        vt = VT_BSTR;
        bstrVal = b;
    } else {
        vt = VT_NULL; // no text is not the same as empty text
    }
    return *this;
}

COleVariant& COleVariant::operator=(long lSrc) {
    Clear();
    vt = VT_I4;
    lVal = lSrc;
    return *this;
}

COleVariant& COleVariant::operator=(double dblSrc) {
    Clear();
    vt = VT_R8;
    dblVal = dblSrc;
    return *this;
}

COleVariant& COleVariant::operator=(const COleDateTime& dateSrc) {
    Clear();
    if (dateSrc.GetStatus() == COleDateTime::valid) {
        vt = VT_DATE;
        date = dateSrc.m_dt;
    } else if (dateSrc.GetStatus() == COleDateTime::null) {
        vt = VT_NULL;
    } else {
        vt = VT_ERROR;
        scode = DISP_E_OVERFLOW;
    }
    return *this;
}

COleVariant& COleVariant::operator=(const COleCurrency& curSrc) {
    Clear();
    if (curSrc.GetStatus() == COleCurrency::valid) {
        vt = VT_CY;
        cyVal = curSrc.m_cur;
    } else if (curSrc.GetStatus() == COleCurrency::null) {
        vt = VT_NULL;
    } else {
        vt = VT_ERROR;
        scode = DISP_E_OVERFLOW;
    }
    return *this;
}

bool COleVariant::operator==(const VARIANT& o) const {
    if (vt != o.vt)
        return false;
    switch (vt) {
    case VT_EMPTY: case VT_NULL: return true;
    case VT_BOOL: return (boolVal != 0) == (o.boolVal != 0);
    case VT_UI1: case VT_I1: return bVal == o.bVal;
    case VT_I2: case VT_UI2: return iVal == o.iVal;
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_ERROR: return lVal == o.lVal;
    case VT_I8: case VT_UI8: case VT_CY: return llVal == o.llVal;
    case VT_R4: return fltVal == o.fltVal;
    case VT_R8: case VT_DATE: return dblVal == o.dblVal;
    case VT_BSTR: {
        UINT n = SysStringLen(bstrVal);
        return n == SysStringLen(o.bstrVal) && (n == 0 || std::memcmp(bstrVal, o.bstrVal, n * sizeof(OLECHAR)) == 0);
    }
    case VT_UNKNOWN: case VT_DISPATCH: return punkVal == o.punkVal;
    default: return std::memcmp(&llVal, &o.llVal, sizeof(llVal)) == 0;
    }
}

void COleVariant::ChangeType(VARTYPE vartype, LPVARIANT pSrc) {
    if (!pSrc)
        pSrc = this;
    if (pSrc == this && vt == vartype)
        return;
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = VariantChangeType(&result, pSrc, 0, vartype);
    if (FAILED(hr))
        AfxThrowOleException(hr);
    Clear();
    std::memcpy(static_cast<VARIANT*>(this), &result, sizeof(VARIANT));
}

void COleVariant::Attach(VARIANT& varSrc) {
    Clear();
    std::memcpy(static_cast<VARIANT*>(this), &varSrc, sizeof(VARIANT));
    varSrc.vt = VT_EMPTY; // the source no longer owns anything
}

VARIANT COleVariant::Detach() {
    VARIANT v;
    std::memcpy(&v, static_cast<VARIANT*>(this), sizeof(VARIANT));
    VariantInit(this);
    return v;
}

CArchive& AFXAPI operator<<(CArchive& ar, const COleVariant& varSrc) {
    ar << (WORD)varSrc.vt;
    switch (varSrc.vt) {
    case VT_EMPTY: case VT_NULL: break;
    case VT_BOOL: ar << (WORD)varSrc.boolVal; break;
    case VT_UI1: ar << varSrc.bVal; break;
    case VT_I2: ar << (WORD)varSrc.iVal; break;
    case VT_I4: case VT_ERROR: ar << varSrc.lVal; break;
    case VT_CY: ar << (DWORD)varSrc.cyVal.Lo << (LONG)varSrc.cyVal.Hi; break;
    case VT_R4: ar << varSrc.fltVal; break;
    case VT_R8: case VT_DATE: ar << varSrc.dblVal; break;
    case VT_BSTR: {
        DWORD cb = SysStringByteLen(varSrc.bstrVal);
        ar << cb;
        if (cb)
            ar.Write(varSrc.bstrVal, cb);
        break;
    }
    default:
        AfxThrowNotSupportedException(); // interfaces and arrays have no stored form
    }
    return ar;
}

CArchive& AFXAPI operator>>(CArchive& ar, COleVariant& varSrc) {
    varSrc.Clear();
    WORD type = 0;
    ar >> type;
    VARIANT v;
    VariantInit(&v);
    v.vt = type;
    switch (type) {
    case VT_EMPTY: case VT_NULL: break;
    case VT_BOOL: { WORD w; ar >> w; v.boolVal = w ? VARIANT_TRUE : VARIANT_FALSE; break; }
    case VT_UI1: ar >> v.bVal; break;
    case VT_I2: { WORD w; ar >> w; v.iVal = (SHORT)w; break; }
    case VT_I4: case VT_ERROR: ar >> v.lVal; break;
    case VT_CY: { DWORD lo; LONG hi; ar >> lo >> hi; v.cyVal.Lo = lo; v.cyVal.Hi = hi; break; }
    case VT_R4: ar >> v.fltVal; break;
    case VT_R8: case VT_DATE: ar >> v.dblVal; break;
    case VT_BSTR: {
        DWORD cb = 0;
        ar >> cb;
        // A length past what a string can hold is a damaged archive, not an allocation to try.
        if (cb > 0x3FFFFFF0u || cb % sizeof(OLECHAR))
            AfxThrowArchiveException(CArchiveException::badIndex);
        v.bstrVal = SysAllocStringLen(nullptr, cb / sizeof(OLECHAR));
        if (!v.bstrVal)
            AfxThrowMemoryException();
        if (cb && ar.Read(v.bstrVal, cb) != cb) {
            SysFreeString(v.bstrVal);
            AfxThrowArchiveException(CArchiveException::endOfFile);
        }
        break;
    }
    default:
        AfxThrowArchiveException(CArchiveException::badSchema);
    }
    varSrc.Attach(v);
    return ar;
}
