// The sample program's entry point.
#include "tools/sample_app/sample_app.h"

int main(int argc, char** argv) {
    CString line = AfxMakeCommandLine(argc, argv);
    return RunSampleApp(line.GetBuffer(), SW_SHOWNORMAL);
}
