// The X screen as the layer's monitors: RandR monitors when the server has them, and the work area.
#include "backend/x11/internal.h"

#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>

namespace x11 {

void ReadScreen()
{
    auto& c = C();
    std::vector<user::MonitorArea> list;
    int evBase, errBase, major = 0, minor = 0;
    if (XRRQueryExtension(c.dpy, &evBase, &errBase) && XRRQueryVersion(c.dpy, &major, &minor) &&
        (major > 1 || (major == 1 && minor >= 5))) {
        if (c.randrEvent < 0) {
            // Monitors plugged in or out, or a new resolution, are read again when they happen.
            c.randrEvent = evBase;
            XRRSelectInput(c.dpy, c.root, RRScreenChangeNotifyMask);
        }
        int n = 0;
        XRRMonitorInfo* m = XRRGetMonitors(c.dpy, c.root, True, &n);
        for (int i = 0; i < n; ++i) {
            RECT r{m[i].x, m[i].y, m[i].x + m[i].width, m[i].y + m[i].height};
            auto at = m[i].primary ? list.begin() : list.end();
            list.insert(at, user::MonitorArea{r, r});
        }
        if (m)
            XRRFreeMonitors(m);
    }
    if (list.empty()) {
        RECT r{0, 0, DisplayWidth(c.dpy, c.screen), DisplayHeight(c.dpy, c.screen)};
        list.push_back(user::MonitorArea{r, r});
    }
    // The desktop's work area (panels and docks left out) is given for the whole screen; each
    // monitor gets the part of it that lies on that monitor.
    Atom type;
    int format;
    unsigned long n = 0, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(c.dpy, c.root, c.atoms.netWorkarea, 0, 4, False, XA_CARDINAL, &type, &format, &n, &after,
                           &data) == Success &&
        data && format == 32 && n >= 4) {
        auto* v = (const long*)data;
        RECT work{(LONG)v[0], (LONG)v[1], (LONG)(v[0] + v[2]), (LONG)(v[1] + v[3])};
        for (auto& a : list) {
            RECT in;
            if (IntersectRect(&in, &a.monitor, &work))
                a.work = in;
        }
    }
    if (data)
        XFree(data);
    user::SetMonitors(list);
}

bool HandleScreenEvent(XEvent& ev)
{
    auto& c = C();
    if (c.randrEvent < 0 || ev.type != c.randrEvent + RRScreenChangeNotify)
        return false;
    XRRUpdateConfiguration(&ev);
    ReadScreen();
    return true;
}

void CheckWindowManager()
{
    auto& c = C();
    Atom type;
    int format;
    unsigned long n = 0, after;
    unsigned char* data = nullptr;
    bool found = XGetWindowProperty(c.dpy, c.root, c.atoms.netSupportingWmCheck, 0, 1, False, XA_WINDOW, &type,
                                    &format, &n, &after, &data) == Success &&
                 n == 1;
    if (data)
        XFree(data);
    c.windowManager = found;
}

} // namespace x11
