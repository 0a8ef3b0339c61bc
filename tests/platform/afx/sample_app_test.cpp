// The sample program runs headless from start to exit: frame, view, a modal dialog with data
// exchange, and the end of the loop when the frame closes.
#include "tools/sample_app/sample_app.cpp"

#include <gtest/gtest.h>

namespace {

TEST(SampleApp, RunsUnattendedFromStartToExit) {
    CString line = u"-auto";
    EXPECT_EQ(RunSampleApp(line.GetBuffer(), SW_SHOWNORMAL), 0);
    EXPECT_EQ(AfxGetApp(), nullptr) << "the run's application object is gone with it";
}

} // namespace
