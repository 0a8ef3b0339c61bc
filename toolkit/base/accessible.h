// The accessibility face of toolkit objects (an IAccessible forwarded to virtual operations of the
// object that embeds it) and the system's accessibility functions, reached without linking to them:
// events through USER32, objects through oleacc.dll when the system has it.
#pragma once

#include "win32/ole.h"
#include "win32/types.h"

class CCmdTarget;

// Mixed into command bars, their controls and the task panel. A client holds the address of the
// embedded interface; its methods step back to the object and call the operation of the same name.
// Reference counting and QueryInterface go to the owning command target, so the interface shares
// its owner's count and interface map.
class CTKPAccessibleSupport {
public:
    CTKPAccessibleSupport();
    virtual ~CTKPAccessibleSupport() = default;
    CTKPAccessibleSupport(const CTKPAccessibleSupport&) = delete;
    CTKPAccessibleSupport& operator=(const CTKPAccessibleSupport&) = delete;

    virtual HRESULT GetAccessibleParent(IDispatch** ppdispParent);
    virtual HRESULT GetAccessibleChildCount(long* pcountChildren);
    virtual HRESULT GetAccessibleChild(VARIANT varChild, IDispatch** ppdispChild);
    virtual HRESULT GetAccessibleName(VARIANT varChild, BSTR* pszName);
    virtual HRESULT GetAccessibleValue(VARIANT varChild, BSTR* pszValue);
    virtual HRESULT GetAccessibleDescription(VARIANT varChild, BSTR* pszDescription);
    virtual HRESULT GetAccessibleRole(VARIANT varChild, VARIANT* pvarRole);
    virtual HRESULT GetAccessibleState(VARIANT varChild, VARIANT* pvarState);
    virtual HRESULT GetAccessibleHelp(VARIANT varChild, BSTR* pszHelp);
    virtual HRESULT GetAccessibleHelpTopic(BSTR* pszHelpFile, VARIANT varChild, long* pidTopic);
    virtual HRESULT GetAccessibleKeyboardShortcut(VARIANT varChild, BSTR* pszKeyboardShortcut);
    virtual HRESULT GetAccessibleFocus(VARIANT* pvarChild);
    virtual HRESULT GetAccessibleSelection(VARIANT* pvarChildren);
    virtual HRESULT GetAccessibleDefaultAction(VARIANT varChild, BSTR* pszDefaultAction);
    virtual HRESULT AccessibleSelect(long flagsSelect, VARIANT varChild);
    virtual HRESULT AccessibleLocation(long* pxLeft, long* pyTop, long* pcxWidth, long* pcyHeight, VARIANT varChild);
    virtual HRESULT AccessibleNavigate(long navDir, VARIANT varStart, VARIANT* pvarEndUpAt);
    virtual HRESULT AccessibleHitTest(long xLeft, long yTop, VARIANT* pvarChild);
    virtual HRESULT AccessibleDoDefaultAction(VARIANT varChild);
    virtual HRESULT PutAccessibleName(VARIANT varChild, BSTR szName);
    virtual HRESULT PutAccessibleValue(VARIANT varChild, BSTR szValue);
    // The command target that owns this object; null leaves the interface uncounted and unqueryable.
    virtual CCmdTarget* GetAccessibleTarget();

    IAccessible* GetAccessible() { return &m_xAccessible; }

private:
    class XAccessible final : public IAccessible {
    public:
        HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
        ULONG AddRef() override;
        ULONG Release() override;
        HRESULT GetTypeInfoCount(UINT* pctinfo) override;
        HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
        HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
        HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                       VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;
        HRESULT get_accParent(IDispatch** ppdispParent) override;
        HRESULT get_accChildCount(long* pcountChildren) override;
        HRESULT get_accChild(VARIANT varChild, IDispatch** ppdispChild) override;
        HRESULT get_accName(VARIANT varChild, BSTR* pszName) override;
        HRESULT get_accValue(VARIANT varChild, BSTR* pszValue) override;
        HRESULT get_accDescription(VARIANT varChild, BSTR* pszDescription) override;
        HRESULT get_accRole(VARIANT varChild, VARIANT* pvarRole) override;
        HRESULT get_accState(VARIANT varChild, VARIANT* pvarState) override;
        HRESULT get_accHelp(VARIANT varChild, BSTR* pszHelp) override;
        HRESULT get_accHelpTopic(BSTR* pszHelpFile, VARIANT varChild, long* pidTopic) override;
        HRESULT get_accKeyboardShortcut(VARIANT varChild, BSTR* pszKeyboardShortcut) override;
        HRESULT get_accFocus(VARIANT* pvarChild) override;
        HRESULT get_accSelection(VARIANT* pvarChildren) override;
        HRESULT get_accDefaultAction(VARIANT varChild, BSTR* pszDefaultAction) override;
        HRESULT accSelect(long flagsSelect, VARIANT varChild) override;
        HRESULT accLocation(long* pxLeft, long* pyTop, long* pcxWidth, long* pcyHeight, VARIANT varChild) override;
        HRESULT accNavigate(long navDir, VARIANT varStart, VARIANT* pvarEndUpAt) override;
        HRESULT accHitTest(long xLeft, long yTop, VARIANT* pvarChild) override;
        HRESULT accDoDefaultAction(VARIANT varChild) override;
        HRESULT put_accName(VARIANT varChild, BSTR szName) override;
        HRESULT put_accValue(VARIANT varChild, BSTR szValue) override;

    private:
        CTKPAccessibleSupport* Owner();
    };
    XAccessible m_xAccessible;
};

// The child id an IAccessible method receives: VT_I4, VT_I2 (sign-extended), their by-reference forms
// when the reference is set, and VT_BYREF|VT_VARIANT followed to any depth; anything else is -1.
LONG GetChildIdFromVariant(const VARIANT* pVar);

void CallNotifyWinEvent(DWORD event, HWND hwnd, LONG objectId, LONG childId);
HRESULT CallAccessibleObjectFromWindow(HWND hwnd, DWORD objectId, const IID& riid, void** object);
LRESULT CallLresultFromObject(const IID& riid, WPARAM wParam, void* object);
