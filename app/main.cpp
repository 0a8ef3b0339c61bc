// Entry point of the dovemark executable: the application object and the framework's start-up.
#include "app/dovemark_app.h"

// The program's one application object.
CDovemarkApp theApp;

int main(int argc, char** argv)
{
    CString line = AfxMakeCommandLine(argc, argv);
    return AfxWinMain(::GetModuleHandleW(nullptr), nullptr, line.GetBuffer(), SW_SHOWNORMAL);
}
