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
