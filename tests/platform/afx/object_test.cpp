// Run-time classes: derivation checks, creation by name and the exception macros.
#include "afx/afx.h"

#include <gtest/gtest.h>

namespace object_test {

class CShape : public CObject {
    DECLARE_DYNAMIC(CShape)
};
class CCircle : public CShape {
    DECLARE_DYNCREATE(CCircle)
public:
    int m_nRadius = 7;
};
class CSquare : public CShape {
    DECLARE_DYNAMIC(CSquare)
};

IMPLEMENT_DYNAMIC(CShape, CObject)
IMPLEMENT_DYNCREATE(CCircle, CShape)
IMPLEMENT_DYNAMIC(CSquare, CShape)

} // namespace object_test

namespace {
using namespace object_test;

TEST(RuntimeClass, IsKindOfFollowsTheBaseChainOnly) {
    CCircle circle;
    struct Case {
        CRuntimeClass* cls;
        BOOL expected;
    } cases[] = {
        {RUNTIME_CLASS(CCircle), TRUE},
        {RUNTIME_CLASS(CShape), TRUE},
        {RUNTIME_CLASS(CObject), TRUE},
        {RUNTIME_CLASS(CSquare), FALSE},
        {RUNTIME_CLASS(CException), FALSE},
        {nullptr, FALSE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(circle.IsKindOf(c.cls), c.expected) << (c.cls ? c.cls->m_lpszClassName : "null");
    EXPECT_EQ(DYNAMIC_DOWNCAST(CSquare, &circle), nullptr);
    EXPECT_EQ(DYNAMIC_DOWNCAST(CShape, &circle), &circle);
}

TEST(RuntimeClass, CreatesOnlyDynCreateClassesByName) {
    CObject* p = CRuntimeClass::CreateObject("CCircle");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->GetRuntimeClass(), RUNTIME_CLASS(CCircle));
    EXPECT_EQ(static_cast<CCircle*>(p)->m_nRadius, 7);
    delete p;

    EXPECT_EQ(CRuntimeClass::FromName(u"CSquare"), RUNTIME_CLASS(CSquare));
    EXPECT_EQ(CRuntimeClass::CreateObject(u"CSquare"), nullptr); // known, but not creatable
    EXPECT_EQ(CRuntimeClass::FromName("CNoSuchClass"), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName(u"CCircle\u00e9"), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName(static_cast<LPCSTR>(nullptr)), nullptr);
    EXPECT_EQ(RUNTIME_CLASS(CShape)->m_nObjectSize, static_cast<int>(sizeof(CShape)));
    EXPECT_FALSE(RUNTIME_CLASS(CShape)->IsSerializable());
}

TEST(Exceptions, CatchBlockFreesTheExceptionUnlessRethrown) {
    bool caught = false;
    TRY {
        AfxThrowMemoryException();
    }
    CATCH(CMemoryException, e) {
        caught = true;
        WCHAR msg[8];
        EXPECT_TRUE(e->GetErrorMessage(msg, 8));
        EXPECT_EQ(std::u16string(msg), u"Out of ");
    }
    END_CATCH
    EXPECT_TRUE(caught); // ASan reports a leak or double free if the ownership rule is wrong

    CException* outer = nullptr;
    try {
        TRY {
            AfxThrowNotSupportedException();
        }
        CATCH_ALL(e) {
            THROW_LAST();
        }
        END_CATCH_ALL
    } catch (CException* e) {
        outer = e;
    }
    ASSERT_NE(outer, nullptr);
    EXPECT_TRUE(outer->IsKindOf(RUNTIME_CLASS(CNotSupportedException)));
    outer->Delete();

    CMemoryException onStack(FALSE);
    onStack.Delete(); // not owned by the heap: must survive
    EXPECT_TRUE(onStack.IsKindOf(RUNTIME_CLASS(CSimpleException)));
}

} // namespace
