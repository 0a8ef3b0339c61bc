// The modules the layer provides for run-time binding, with the entry points programs look up.
#include "win32/controls.h"
#include "win32/controls/dll_version.h"
#include "win32/gdi.h"
#include "win32/kernel.h"
#include "win32/user.h"

namespace {
template <typename F>
FARPROC Proc(F* f)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(f));
}
} // namespace

void dovemark::RegisterBuiltInModules()
{
    RegisterModule("msimg32.dll", {{"GradientFill", Proc(&GradientFill)}, {"AlphaBlend", Proc(&AlphaBlend)}});
    RegisterModule("comctl32.dll", {{"DllGetVersion", Proc(&CommonControlsGetVersion)},
                                    {"InitCommonControlsEx", Proc(&InitCommonControlsEx)},
                                    {"InitCommonControls", Proc(&InitCommonControls)},
                                    {"_TrackMouseEvent", Proc(&_TrackMouseEvent)}});
    // Functions programs bind at run time because older systems lacked them.
    RegisterModule("user32.dll", {{"GetSystemMetrics", Proc(&GetSystemMetrics)},
                                  {"MonitorFromWindow", Proc(&MonitorFromWindow)},
                                  {"MonitorFromRect", Proc(&MonitorFromRect)},
                                  {"MonitorFromPoint", Proc(&MonitorFromPoint)},
                                  {"GetMonitorInfoW", Proc(&GetMonitorInfoW)},
                                  {"NotifyWinEvent", Proc(&NotifyWinEvent)},
                                  {"SetLayeredWindowAttributes", Proc(&SetLayeredWindowAttributes)},
                                  {"GetLayeredWindowAttributes", Proc(&GetLayeredWindowAttributes)}});
}
