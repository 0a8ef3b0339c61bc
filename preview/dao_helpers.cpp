// The field-value texts of the Access record list and the tree cursor of its database tree.
#include "preview/dao_helpers.h"

namespace {

// The names of the variant types below 73 (empty where the type has none).
const char16_t* TypeName(unsigned type)
{
    static const char16_t* const kLow[] = {
        u"VT_EMPTY", u"VT_NULL", u"VT_I2", u"VT_I4", u"VT_R4", u"VT_R8", u"VT_CY", u"VT_DATE",
        u"VT_BSTR", u"VT_DISPATCH", u"VT_ERROR", u"VT_BOOL", u"VT_VARIANT", u"VT_UNKNOWN", nullptr, nullptr,
        u"VT_I1", u"VT_UI1", u"VT_UI2", u"VT_UI4", u"VT_I8", u"VT_UI8", u"VT_INT", u"VT_UINT",
        u"VT_VOID", u"VT_HRESULT", u"VT_PTR", u"VT_SAFEARRAY", u"VT_CARRAY", u"VT_USERDEFINED", u"VT_LPSTR",
        u"VT_LPWSTR",
    };
    static const char16_t* const kHigh[] = {
        u"VT_FILETIME", u"VT_BLOB", u"VT_STREAM", u"VT_STORAGE", u"VT_STREAMED_OBJECT", u"VT_STORED_OBJECT",
        u"VT_BLOB_OBJECT", u"VT_CF", u"VT_CLSID",
    };
    if (type < 32)
        return kLow[type];
    if (type >= 64 && type < 73)
        return kHigh[type - 64];
    return nullptr;
}

} // namespace

CString BoolText(BOOL value) { return value ? CString(u"TRUE") : CString(u"FALSE"); }

CString VariantText(const COleVariant& value)
{
    CString text(u"Fish");
    unsigned type = value.vt;
    switch (type) {
    case VT_EMPTY:
    case VT_NULL: text = u"NULL"; break;
    case VT_I2: text.Format(u"%hd", value.iVal); break;
    case VT_I4: text.Format(u"%d", int(value.lVal)); break;
    case VT_R4: text.Format(u"%e", double(value.fltVal)); break;
    case VT_R8: text.Format(u"%e", value.dblVal); break;
    case VT_CY: text = COleCurrency(value.cyVal).Format(0, LANG_USER_DEFAULT); break;
    case VT_DATE: text = COleDateTime(value.date).Format(u"%m %d %y"); break;
    case VT_BSTR: text = value.bstrVal ? CString(value.bstrVal) : CString(); break;
    case VT_BOOL: return BoolText(value.boolVal);
    case VT_UI1: text.Format(u"0x%02hX", (unsigned short)value.bVal); break;
    default:
        if (const char16_t* name = TypeName(type); name && type < 73)
            text = name;
        break;
    }
    bool wrapped = false;
    if (type & VT_ARRAY) {
        text = u"Array of ";
        type &= ~unsigned(VT_ARRAY);
        wrapped = true;
    }
    if (type & VT_BYREF) {
        text += u"Pointer to ";
        type &= ~unsigned(VT_BYREF);
        wrapped = true;
    }
    if (wrapped)
        if (const char16_t* name = TypeName(type))
            text += name;
    return text;
}

CTreeCursor CTreeCursor::AddChild(LPCWSTR text, int image, HTREEITEM hInsertAfter)
{
    if (!m_pTree)
        return CTreeCursor();
    TVINSERTSTRUCTW insert{};
    insert.hParent = m_hTreeItem;
    insert.hInsertAfter = hInsertAfter;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<LPWSTR>(text);
    if (image != -1) {
        insert.item.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.item.iImage = image;
        insert.item.iSelectedImage = image;
    }
    HTREEITEM item = (HTREEITEM)m_pTree->SendMessage(TVM_INSERTITEMW, 0, (LPARAM)&insert);
    return CTreeCursor(item, m_pTree);
}

int CTreeCursor::GetImage() const
{
    if (!m_pTree)
        return -1;
    TVITEMW item{};
    item.mask = TVIF_HANDLE | TVIF_IMAGE;
    item.hItem = m_hTreeItem;
    if (!m_pTree->SendMessage(TVM_GETITEMW, 0, (LPARAM)&item))
        return -1;
    return item.iImage;
}
