// The MDI frame: the window system has no MDI client class, so the frame cannot be made, and the
// failed creation frees it cleanly.
#include "afx/mdi_frame.h"

#include <gtest/gtest.h>

namespace {

TEST(MDIFrame, WithoutAnMDIClientTheFrameIsNotCreated)
{
    auto* frame = new CMDIFrameWnd;  // freed with its failed window
    EXPECT_TRUE(frame->IsKindOf(RUNTIME_CLASS(CFrameWnd)));
    EXPECT_FALSE(frame->Create(nullptr, u"mdi", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200)));
}

} // namespace
