// Tests of the accessibility binding on a system without oleacc.dll.
#include <gtest/gtest.h>

#include "toolkit/base/accessible.h"

TEST(Accessibility, WithoutOleAccNoObjectIsHanded) {
    IID iid{};
    void* object = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(CallAccessibleObjectFromWindow(nullptr, 0, iid, &object), E_FAIL);
    EXPECT_EQ(object, reinterpret_cast<void*>(0x1234));
    EXPECT_EQ(CallLresultFromObject(iid, 0, nullptr), LRESULT(E_FAIL));
    CallNotifyWinEvent(0x8005, nullptr, -4, 1);  // reported when the system has it, else nothing
}

#include "afx/cmd_target.h"

namespace {

VARIANT Var(VARTYPE vt)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    return v;
}

// A command target exposing the mix-in's interface through its interface map, as command bars do.
class AccessibleTarget : public CCmdTarget, public CTKPAccessibleSupport {
public:
    LPUNKNOWN GetInterface(const void* iid) override
    {
        const IID& id = *static_cast<const IID*>(iid);
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDispatch) || IsEqualIID(id, IID_IAccessible))
            return GetAccessible();
        return nullptr;
    }
    CCmdTarget* GetAccessibleTarget() override { return this; }
    HRESULT GetAccessibleChildCount(long* count) override
    {
        *count = 3;
        return S_OK;
    }
    HRESULT GetAccessibleName(VARIANT child, BSTR*) override
    {
        lastChild = GetChildIdFromVariant(&child);
        return S_OK;
    }
    void OnFinalRelease() override { ++finalReleases; }
    LONG lastChild = -2;
    int finalReleases = 0;
};

} // namespace

TEST(Accessibility, ChildIdsDecodeFromEveryVariantForm)
{
    LONG four = 42;
    SHORT two = -3;
    VARIANT i4 = Var(VT_I4), i2 = Var(VT_I2), byRef4 = Var(VT_BYREF | VT_I4), byRef2 = Var(VT_BYREF | VT_I2);
    i4.lVal = 7;
    i2.iVal = -3;
    byRef4.plVal = &four;
    byRef2.piVal = &two;
    VARIANT nullRef4 = Var(VT_BYREF | VT_I4), bstr = Var(VT_BSTR), empty = Var(VT_EMPTY);
    VARIANT toI2 = Var(VT_BYREF | VT_VARIANT), toBstr = Var(VT_BYREF | VT_VARIANT), twice = Var(VT_BYREF | VT_VARIANT);
    toI2.pvarVal = &i2;
    toBstr.pvarVal = &bstr;
    twice.pvarVal = &toI2;
    VARIANT nullVariantRef = Var(VT_BYREF | VT_VARIANT), loop = Var(VT_BYREF | VT_VARIANT);
    loop.pvarVal = &loop;

    const struct {
        const char* name;
        const VARIANT* var;
        LONG id;
    } cases[] = {
        {"I4", &i4, 7},           {"I2 sign-extended", &i2, -3},       {"byref I4", &byRef4, 42},
        {"byref I2", &byRef2, -3}, {"null byref I4", &nullRef4, -1},    {"variant to I2", &toI2, -3},
        {"variant to BSTR", &toBstr, -1}, {"two levels", &twice, -3},   {"null variant ref", &nullVariantRef, -1},
        {"other type", &bstr, -1}, {"empty", &empty, -1},              {"null pointer", nullptr, -1},
        {"reference loop", &loop, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetChildIdFromVariant(c.var), c.id) << c.name;
}

TEST(Accessibility, InterfaceForwardsToTheOwnerAndSharesItsCount)
{
    AccessibleTarget target;
    IAccessible* acc = target.GetAccessible();

    long count = 0;
    EXPECT_EQ(acc->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 3);
    VARIANT child = Var(VT_I4);
    child.lVal = 2;
    EXPECT_EQ(acc->get_accName(child, nullptr), S_OK);
    EXPECT_EQ(target.lastChild, 2);

    // Operations the owner does not override answer as the base does.
    VARIANT out = Var(VT_EMPTY);
    EXPECT_EQ(acc->get_accFocus(&out), S_FALSE);
    EXPECT_EQ(acc->get_accSelection(&out), S_FALSE);
    EXPECT_EQ(acc->get_accRole(child, &out), E_NOTIMPL);
    EXPECT_EQ(acc->accDoDefaultAction(child), E_NOTIMPL);
    UINT typeInfos = 9;
    EXPECT_EQ(acc->GetTypeInfoCount(&typeInfos), E_NOTIMPL);

    // Two queries through the interface count on the owner, not on a count of their own.
    void* a = nullptr;
    void* b = nullptr;
    EXPECT_EQ(acc->QueryInterface(IID_IAccessible, &a), S_OK);
    EXPECT_EQ(acc->QueryInterface(IID_IUnknown, &b), S_OK);
    EXPECT_EQ(a, static_cast<void*>(acc));
    EXPECT_EQ(target.m_dwRef, 3);
    void* none = &count;
    EXPECT_EQ(acc->QueryInterface(IID{1, 2, 3, {}}, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(acc->Release(), 2u);
    EXPECT_EQ(acc->Release(), 1u);
    EXPECT_EQ(target.finalReleases, 0);
}
