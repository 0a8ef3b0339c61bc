// Painting: update areas, WM_PAINT and erasing, window DCs over top-level surfaces, scrolling.
#include "win32/user/internal.h"

#include <algorithm>
#include <atomic>
#include <mutex>

namespace user {

namespace {

struct PaintState {
    std::map<HWND, std::shared_ptr<gdi::Surface>> surfaces;
    // The screen as a DC on the desktop sees it: top-level windows are copied in when such a DC
    // first draws or reads, and what is drawn on it goes back into the windows under it (see
    // SyncDesktop). A DC that only measures text costs no copy.
    std::shared_ptr<gdi::Surface> desktop;
    std::shared_ptr<gdi::Surface> desktopBefore; // the screen as last composed or synced
    int desktopDCs = 0;
    bool desktopPainted = false; // the screen surfaces hold the desktop's colour (under desktopPixels)
    std::atomic<bool> desktopDirty{false}; // composed since the last sync with no DC out
    // Guards the two screen surfaces' pixels: composing runs under the GDI lock, syncing under the
    // window manager's, so neither of those serialises them. Nothing is locked while it is held.
    std::mutex desktopPixels;
    std::map<HDC, HWND> dcs;       // DCs handed out, with their window
    std::map<HWND, HDC> ownDCs;    // CS_OWNDC windows keep theirs
    HWND locked = nullptr;         // LockWindowUpdate
    Presenter* presenter = nullptr;
};

PaintState& P()
{
    static auto* p = new PaintState;
    return *p;
}

RECT ScreenWindowRect(HWND h)
{
    Window* w = Find(h);
    POINT o = WindowOrigin(h);
    return RECT{o.x, o.y, o.x + Width(w->rcWindow), o.y + Height(w->rcWindow)};
}

RECT ScreenClientRect(HWND h)
{
    Window* w = Find(h);
    POINT o = ClientOrigin(h);
    return RECT{o.x, o.y, o.x + Width(w->rcClient), o.y + Height(w->rcClient)};
}

void Subtract(HRGN rgn, const RECT& r)
{
    HRGN x = CreateRectRgnIndirect(&r);
    CombineRgn(rgn, rgn, x, RGN_DIFF);
    DeleteObject(x);
}

void Intersect(HRGN rgn, const RECT& r)
{
    HRGN x = CreateRectRgnIndirect(&r);
    CombineRgn(rgn, rgn, x, RGN_AND);
    DeleteObject(x);
}

std::shared_ptr<gdi::Surface> SurfaceFor(HWND root)
{
    Window* w = Find(root);
    if (!w)
        return nullptr;
    int cx = std::max<int>(1, Width(w->rcWindow)), cy = std::max<int>(1, Height(w->rcWindow));
    auto& s = P().surfaces[root];
    if (!s || s->width != cx || s->height != cy) {
        auto old = s;
        s = gdi::Surface::Create(cx, cy);
        // Keep what was drawn where the sizes overlap, as a window being resized shows.
        if (s && old)
            for (int y = 0; y < std::min(cy, old->height); ++y)
                std::copy_n(old->Row(y), std::min(cx, old->width), s->Row(y));
    }
    return s;
}

bool RedrawOffInChain(HWND h)
{
    for (Window* w = Find(h); w && w->hwnd != Desktop(); w = Find(w->parent))
        if (w->redrawOff)
            return true;
    return false;
}

bool LockedInChain(HWND h)
{
    HWND locked = P().locked;
    if (!locked)
        return false;
    for (Window* w = Find(h); w; w = Find(w->parent))
        if (w->hwnd == locked)
            return true;
    return false;
}

// The visible region of a window's client area (or whole window) in screen coordinates.
HRGN VisibleRegion(HWND hwnd, bool whole, DWORD flags)
{
    Window* w = Find(hwnd);
    RECT area = whole ? ScreenWindowRect(hwnd) : ScreenClientRect(hwnd);
    HRGN rgn = CreateRectRgnIndirect(&area);
    if (!IsVisibleChain(hwnd) || RedrawOffInChain(hwnd) ||
        (LockedInChain(hwnd) && !(flags & DCX_LOCKWINDOWUPDATE))) {
        SetRectRgn(rgn, 0, 0, 0, 0);
        return rgn;
    }
    if ((flags & DCX_CLIPCHILDREN) || (w->style & WS_CLIPCHILDREN))
        for (HWND c : w->children) {
            Window* x = Find(c);
            if (x && (x->style & WS_VISIBLE))
                Subtract(rgn, ScreenWindowRect(c));
        }
    HWND desk = Desktop();
    for (Window* cur = w; cur && cur->parent && cur->parent != desk; cur = Find(cur->parent)) {
        Window* parent = Find(cur->parent);
        Intersect(rgn, ScreenClientRect(parent->hwnd));
        bool clipSiblings = (cur->style & WS_CLIPSIBLINGS) || (cur == w && (flags & DCX_CLIPSIBLINGS));
        if (clipSiblings)
            for (HWND s : parent->children) {
                if (s == cur->hwnd)
                    break; // only the siblings above in the z-order
                Window* x = Find(s);
                if (x && (x->style & WS_VISIBLE))
                    Subtract(rgn, ScreenWindowRect(s));
            }
    }
    HWND root = RootOf(hwnd);
    Intersect(rgn, ScreenWindowRect(root));
    if (w->region && root == hwnd) {
        HRGN shape = CreateRectRgn(0, 0, 0, 0);
        CombineRgn(shape, w->region, nullptr, RGN_COPY);
        POINT o = WindowOrigin(hwnd);
        OffsetRgn(shape, o.x, o.y);
        CombineRgn(rgn, rgn, shape, RGN_AND);
        DeleteObject(shape);
    }
    return rgn;
}

struct ScreenWindow {
    HWND hwnd;
    RECT rc;
    std::shared_ptr<gdi::Surface> surface;
    LayeredLook look; // opaque and unkeyed unless the window is layered
};

// A window pixel over what lies under it, at a constant opacity; the result is opaque.
uint32_t BlendOver(uint32_t under, uint32_t over, unsigned alpha)
{
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        unsigned u = (under >> shift) & 0xFF, o = (over >> shift) & 0xFF;
        out |= ((o * alpha + u * (255 - alpha) + 127) / 255) << shift;
    }
    return out;
}

// Visible top-level windows, topmost first, with their surfaces: lock held.
std::vector<ScreenWindow> ScreenWindows()
{
    std::vector<ScreenWindow> v;
    for (HWND t : Find(Desktop())->children) {
        Window* w = Find(t);
        if (!w || !(w->style & WS_VISIBLE))
            continue;
        if (auto s = SurfaceFor(t))
            v.push_back({t, w->rcWindow, s, LookOf(w)});
    }
    return v;
}

// The desktop's colour as a screen pixel.
uint32_t DesktopPixel()
{
    COLORREF c = GetSysColor(COLOR_BACKGROUND);
    return 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

// The screen surfaces, made once: lock held. Their pixels are made and take the desktop's colour
// when a DC first draws on them or reads them (ComposeDesktop), so a DC that only measures text
// costs neither memory nor a fill.
bool MakeDesktop()
{
    auto& p = P();
    if (p.desktop && p.desktopBefore)
        return true;
    RECT scr = ScreenRect();
    p.desktop = gdi::Surface::CreateDeferred(scr.right, scr.bottom);
    p.desktopBefore = gdi::Surface::CreateDeferred(scr.right, scr.bottom);
    if (!p.desktop || !p.desktopBefore) {
        p.desktop = p.desktopBefore = nullptr;
        return false;
    }
    return true;
}

// Brings the windows' pixels onto the screen surface, bottom window first. It runs when a screen
// DC first draws or reads, under the GDI lock and without the window manager's, so it works from
// the windows as they stood when the DC was handed out. A pixel another screen DC drew on and
// that is not synced yet keeps that drawing.
void ComposeDesktop(const std::vector<ScreenWindow>& wins, RECT scr, gdi::Surface& now, gdi::Surface& before)
{
    auto& p = P();
    std::lock_guard<std::mutex> pixels(p.desktopPixels);
    if (!now.Realise() || !before.Realise())
        return; // the DC then draws nowhere
    p.desktopDirty = true;
    uint32_t background = DesktopPixel();
    if (!p.desktopPainted) {
        for (auto* s : {&now, &before})
            for (int y = 0; y < s->height; ++y)
                std::fill_n(s->Row(y), s->width, background);
        p.desktopPainted = true;
    }
    std::vector<RECT> below;
    for (auto it = wins.rbegin(); it != wins.rend(); ++it) {
        RECT on;
        if (!IntersectRect(&on, &it->rc, &scr))
            continue;
        int fx = on.left - it->rc.left, fy = on.top - it->rc.top;
        int cx = std::min<int>(Width(on), it->surface->width - fx), cy = std::min<int>(Height(on), it->surface->height - fy);
        const LayeredLook& look = it->look;
        bool plain = look.alpha == 255 && !look.keyed;
        for (int y = 0; y < cy; ++y) {
            const uint32_t* from = it->surface->Row(fy + y) + fx;
            uint32_t* a = now.Row(on.top + y) + on.left;
            uint32_t* b = before.Row(on.top + y) + on.left;
            for (int x = 0; x < cx; ++x) {
                if (a[x] != b[x])
                    continue;
                if (plain) {
                    a[x] = b[x] = from[x];
                    continue;
                }
                // What shows through is the windows below as composed in this pass, else the
                // desktop (never what this window left there the last time).
                POINT pt{on.left + x, on.top + y};
                bool covered = std::any_of(below.begin(), below.end(), [&](const RECT& r) { return PtInRect(&r, pt); });
                uint32_t under = covered ? a[x] : background;
                if (look.keyed && (from[x] & 0xFFFFFF) == look.key)
                    a[x] = b[x] = under;
                else
                    a[x] = b[x] = look.alpha == 255 ? from[x] : BlendOver(under, from[x], look.alpha);
            }
        }
        below.push_back(on);
    }
}

// What was drawn on the screen since it was composed goes into the topmost window under each
// changed pixel. The change is applied as the difference of bits, so an inverting tracker drawn
// and taken away again leaves a window exactly as it was, even if the window painted meanwhile.
// Returns the windows that changed: lock held.
std::vector<HWND> SyncDesktop()
{
    auto& p = P();
    std::vector<HWND> changed;
    if (!p.desktopDirty || !p.desktop || !p.desktopBefore || !p.desktop->pixels || !p.desktopBefore->pixels)
        return changed;
    std::lock_guard<std::mutex> pixels(p.desktopPixels);
    if (p.desktopDCs == 0)
        p.desktopDirty = false;
    auto wins = ScreenWindows();
    std::vector<bool> touched(wins.size());
    gdi::Surface& now = *p.desktop;
    gdi::Surface& before = *p.desktopBefore;
    for (int y = 0; y < now.height; ++y) {
        uint32_t* a = now.Row(y);
        uint32_t* b = before.Row(y);
        if (std::equal(a, a + now.width, b))
            continue;
        for (int x = 0; x < now.width; ++x) {
            if (a[x] == b[x])
                continue;
            uint32_t delta = a[x] ^ b[x];
            b[x] = a[x];
            for (size_t i = 0; i < wins.size(); ++i) {
                const RECT& rc = wins[i].rc;
                if (x < rc.left || x >= rc.right || y < rc.top || y >= rc.bottom)
                    continue;
                int wx = x - rc.left, wy = y - rc.top;
                if (wx < wins[i].surface->width && wy < wins[i].surface->height) {
                    wins[i].surface->Row(wy)[wx] ^= delta;
                    touched[i] = true;
                }
                break;
            }
        }
    }
    for (size_t i = 0; i < wins.size(); ++i)
        if (touched[i])
            changed.push_back(wins[i].hwnd);
    return changed;
}

// Makes or refreshes the DC of a window: lock held.
HDC MakeDC(HWND hwnd, DWORD flags, HRGN extraClip, HRGN updateClip)
{
    HWND desk = Desktop();
    if (!hwnd || hwnd == desk) {
        auto& p = P();
        SyncDesktop(); // windows it changes are damaged when that DC is released
        if (!MakeDesktop())
            return nullptr;
        HDC dc = gdi::CreateSurfaceDC(p.desktop, POINT{0, 0}, nullptr);
        if (dc) {
            gdi::SetSurfaceDCPrepare(dc, [wins = ScreenWindows(), scr = ScreenRect(), now = p.desktop,
                                          before = p.desktopBefore] { ComposeDesktop(wins, scr, *now, *before); });
            p.dcs[dc] = desk;
            ++p.desktopDCs;
        }
        return dc;
    }
    Window* w = Find(hwnd);
    if (!w)
        return nullptr;
    bool whole = (flags & DCX_WINDOW) != 0;
    HWND root = RootOf(hwnd);
    auto surface = SurfaceFor(root);
    if (!surface)
        return nullptr;
    HRGN vis = VisibleRegion(hwnd, whole, flags);
    RECT area = whole ? ScreenWindowRect(hwnd) : ScreenClientRect(hwnd);
    POINT rootOrigin = WindowOrigin(root);
    OffsetRgn(vis, -area.left, -area.top);
    if (updateClip)
        CombineRgn(vis, vis, updateClip, RGN_AND);
    if (extraClip && (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN)))
        CombineRgn(vis, vis, extraClip, (flags & DCX_INTERSECTRGN) ? RGN_AND : RGN_DIFF);
    POINT origin{area.left - rootOrigin.x, area.top - rootOrigin.y};
    HDC dc = nullptr;
    bool own = (w->cls->style & CS_OWNDC) && !(flags & DCX_CACHE) && !whole;
    if (own) {
        auto it = P().ownDCs.find(hwnd);
        if (it != P().ownDCs.end() && gdi::SetSurfaceDCVisRegion(it->second, origin, vis, false))
            dc = it->second;
        else {
            dc = gdi::CreateSurfaceDC(surface, origin, vis);
            if (dc)
                P().ownDCs[hwnd] = dc;
        }
    } else {
        dc = gdi::CreateSurfaceDC(surface, origin, vis);
    }
    DeleteObject(vis);
    if (dc)
        P().dcs[dc] = hwnd;
    return dc;
}

void Damage(HWND hwnd)
{
    Presenter* p;
    HWND root;
    RECT r;
    {
        Guard lk(Lock());
        p = P().presenter;
        if (!p)
            return;
        root = RootOf(hwnd);
        if (!root)
            return;
        Window* w = Find(root);
        r = RECT{0, 0, Width(w->rcWindow), Height(w->rcWindow)};
    }
    p->Damaged(root, r);
}

HBRUSH ResolveBrush(HBRUSH b)
{
    // Class brushes may be a system colour index plus one.
    ULONG_PTR v = (ULONG_PTR)b;
    if (v > 0 && v <= 31)
        return GetSysColorBrush((int)v - 1);
    return b;
}

// The update area's helpers (lock held); each keeps the bounding box in step with the region.
void SyncUpdateBox(Window* w)
{
    if (!w->updateRgn || GetRgnBox(w->updateRgn, &w->update) <= NULLREGION)
        w->update = RECT{};
}

bool AddUpdate(Window* w, HRGN rgn) // true when rgn added anything
{
    RECT box;
    if (GetRgnBox(rgn, &box) <= NULLREGION)
        return false;
    if (!w->updateRgn)
        w->updateRgn = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(w->updateRgn, w->updateRgn, rgn, RGN_OR);
    SyncUpdateBox(w);
    return true;
}

void SubtractUpdate(Window* w, HRGN rgn) // null rgn: the whole area
{
    if (w->updateRgn && rgn)
        CombineRgn(w->updateRgn, w->updateRgn, rgn, RGN_DIFF);
    else if (w->updateRgn)
        SetRectRgn(w->updateRgn, 0, 0, 0, 0);
    SyncUpdateBox(w);
}

bool NeedsPaint(const Window* w)
{
    return !IsRectEmpty(&w->update) || w->ncPaint || w->internalPaint;
}

void UpdateNow(HWND hwnd, bool children, bool eraseOnly)
{
    bool need, nc, erase;
    std::vector<HWND> kids;
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w || !IsVisibleChain(hwnd) || RedrawOffInChain(hwnd))
            return;
        need = NeedsPaint(w);
        nc = w->ncPaint;
        erase = w->erase;
        kids = w->children;
    }
    if (eraseOnly) {
        if (nc) {
            {
                Guard lk(Lock());
                if (Window* w = Find(hwnd))
                    w->ncPaint = false;
            }
            SendMessageW(hwnd, WM_NCPAINT, 1, 0);
        }
        if (erase) {
            // Only the invalid part is erased: what is still valid keeps its pixels.
            HRGN clip = CreateRectRgn(0, 0, 0, 0);
            {
                Guard lk(Lock());
                if (Window* w = Find(hwnd)) {
                    w->erase = false;
                    if (w->updateRgn)
                        CombineRgn(clip, w->updateRgn, nullptr, RGN_COPY);
                }
            }
            HDC dc = GetDCEx(hwnd, clip, DCX_CACHE | DCX_INTERSECTRGN);
            DeleteObject(clip);
            if (dc) {
                SendMessageW(hwnd, WM_ERASEBKGND, (WPARAM)dc, 0);
                ReleaseDC(hwnd, dc);
            }
        }
    } else if (need) {
        SendMessageW(hwnd, WM_PAINT, 0, 0);
    }
    if (children)
        for (HWND k : kids)
            UpdateNow(k, true, eraseOnly);
}

} // namespace

Presenter* CurrentPresenter()
{
    Guard lk(Lock());
    return P().presenter;
}

void InvalidateInternal(HWND hwnd, const RECT* rc, bool erase, bool children, bool frame, HRGN rgn)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w || hwnd == Desktop())
        return;
    RECT client{0, 0, Width(w->rcClient), Height(w->rcClient)};
    RECT r = client;
    if (rc)
        IntersectRect(&r, rc, &client);
    HRGN area = CreateRectRgnIndirect(&r);
    if (rgn)
        CombineRgn(area, area, rgn, RGN_AND);
    if (AddUpdate(w, area) && erase)
        w->erase = true;
    if (frame)
        w->ncPaint = true;
    if (auto q = QueueOf(w->tid))
        q->cv.notify_all();
    struct Kid {
        HWND hwnd;
        RECT box;
        HRGN rgn;
    };
    std::vector<Kid> kids;
    if (children)
        for (HWND c : w->children) {
            Window* x = Find(c);
            if (!x || !(x->style & WS_VISIBLE))
                continue;
            // The part of the invalid area over the child, in the child's client coordinates.
            HRGN in = CreateRectRgnIndirect(&x->rcWindow);
            RECT box;
            if (CombineRgn(in, in, area, RGN_AND) == NULLREGION) {
                DeleteObject(in);
                continue;
            }
            OffsetRgn(in, -x->rcClient.left, -x->rcClient.top);
            GetRgnBox(in, &box);
            if (!EqualRect(&x->rcWindow, &x->rcClient))
                x->ncPaint = true;
            kids.push_back({c, box, in});
        }
    DeleteObject(area);
    lk.unlock();
    for (auto& k : kids) {
        InvalidateInternal(k.hwnd, &k.box, erase, true, false, k.rgn);
        DeleteObject(k.rgn);
    }
}

bool FindPaintWindow(DWORD tid, HWND filter, HWND* out)
{
    // Depth first from the top-level windows: a parent paints before its children.
    std::function<bool(HWND)> visit = [&](HWND h) -> bool {
        Window* w = Find(h);
        if (!w || !(w->style & WS_VISIBLE) || w->redrawOff)
            return false;
        if (w->tid == tid && NeedsPaint(w)) {
            bool match = !filter || filter == h;
            for (Window* a = w; !match && a && (a->style & WS_CHILD); a = Find(a->parent))
                match = a->parent == filter;
            if (match) {
                *out = h;
                return true;
            }
        }
        for (HWND c : w->children)
            if (visit(c))
                return true;
        return false;
    };
    for (HWND top : Find(Desktop())->children)
        if (visit(top))
            return true;
    return false;
}

void OnWindowDestroyed(Window* w)
{
    auto& p = P();
    p.surfaces.erase(w->hwnd);
    auto it = p.ownDCs.find(w->hwnd);
    if (it != p.ownDCs.end()) {
        p.dcs.erase(it->second);
        gdi::ReleaseSurfaceDC(it->second);
        p.ownDCs.erase(it);
    }
    if (w->region) {
        DeleteObject(w->region);
        w->region = nullptr;
    }
    if (w->updateRgn) {
        DeleteObject(w->updateRgn);
        w->updateRgn = nullptr;
        w->update = RECT{};
    }
    if (p.locked == w->hwnd)
        p.locked = nullptr;
    if (w->menu && !(w->style & WS_CHILD)) {
        HMENU m = w->menu;
        w->menu = nullptr;
        DestroyMenuLocked(m);
    }
    if (w->sysMenu) {
        DestroyMenuLocked(w->sysMenu);
        w->sysMenu = nullptr;
    }
}

LRESULT DefWindowPaintMessages(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled)
{
    *handled = true;
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (BeginPaint(hwnd, &ps))
            EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: {
        HBRUSH brush = (HBRUSH)GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND);
        if (!brush)
            return 0;
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect((HDC)wParam, &rc, ResolveBrush(brush));
        return 1;
    }
    case WM_SETREDRAW: {
        Guard lk(Lock());
        if (Window* w = Find(hwnd))
            w->redrawOff = !wParam;
        return 0;
    }
    case WM_PRINT: {
        HDC hdc = (HDC)wParam;
        DWORD flags = (DWORD)lParam;
        if ((flags & PRF_CHECKVISIBLE) && !IsWindowVisible(hwnd))
            return 0;
        RECT wr, cr;
        GetWindowRect(hwnd, &wr);
        POINT co{0, 0};
        ClientToScreen(hwnd, &co);
        GetClientRect(hwnd, &cr);
        POINT clientOffset{co.x - wr.left, co.y - wr.top};
        if (flags & PRF_NONCLIENT)
            DrawNonClient(hwnd, hdc);
        POINT old;
        if (flags & PRF_NONCLIENT)
            OffsetViewportOrgEx(hdc, clientOffset.x, clientOffset.y, &old);
        if (flags & PRF_ERASEBKGND)
            SendMessageW(hwnd, WM_ERASEBKGND, (WPARAM)hdc, 0);
        if (flags & PRF_CLIENT)
            SendMessageW(hwnd, WM_PRINTCLIENT, (WPARAM)hdc, (LPARAM)flags);
        if (flags & PRF_CHILDREN) {
            // Children are printed bottom first, so the topmost ends up on top.
            std::vector<HWND> kids;
            {
                Guard lk(Lock());
                if (Window* w = Find(hwnd))
                    kids.assign(w->children.rbegin(), w->children.rend());
            }
            for (HWND k : kids) {
                if (!(GetWindowLongW(k, GWL_STYLE) & WS_VISIBLE))
                    continue;
                RECT kr;
                GetWindowRect(k, &kr);
                int dx = kr.left - co.x, dy = kr.top - co.y;
                POINT prev;
                OffsetViewportOrgEx(hdc, dx, dy, &prev);
                SendMessageW(k, WM_PRINT, (WPARAM)hdc, (LPARAM)(flags | PRF_NONCLIENT));
                SetViewportOrgEx(hdc, prev.x, prev.y, nullptr);
            }
        }
        if (flags & PRF_NONCLIENT)
            SetViewportOrgEx(hdc, old.x, old.y, nullptr);
        return 0;
    }
    case WM_PRINTCLIENT:
        return 0;
    }
    *handled = false;
    return 0;
}

} // namespace user

using namespace user;

void user::SetPresenter(Presenter* presenter)
{
    Guard lk(Lock());
    P().presenter = presenter;
}

std::shared_ptr<gdi::Surface> user::WindowSurface(HWND top)
{
    Guard lk(Lock());
    Window* w = Find(top);
    if (!w || !IsTopLevel(w))
        return nullptr;
    SyncDesktop(); // a tracker drawing on the screen shows in the window while it runs
    return SurfaceFor(top);
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT ps)
{
    if (!ps) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    bool nc;
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        nc = w->ncPaint;
        w->ncPaint = false;
    }
    if (nc)
        SendMessageW(hwnd, WM_NCPAINT, 1, 0);
    bool caretHidden = HideCaretForPaint(hwnd);
    RECT update;
    bool erase;
    HDC dc;
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w)
            return nullptr;
        // The DC is clipped to the exact update area, so drawing outside it leaves the rest alone.
        HRGN clip = CreateRectRgn(0, 0, 0, 0);
        if (w->updateRgn)
            CombineRgn(clip, w->updateRgn, nullptr, RGN_COPY);
        update = w->update;
        erase = w->erase;
        SubtractUpdate(w, nullptr);
        w->erase = false;
        w->internalPaint = false;
        dc = MakeDC(hwnd, 0, nullptr, clip);
        DeleteObject(clip);
    }
    *ps = PAINTSTRUCT{};
    ps->hdc = dc;
    ps->rcPaint = update;
    ps->fErase = erase;
    ps->fRestore = caretHidden;
    if (dc && erase && !IsRectEmpty(&update))
        ps->fErase = !SendMessageW(hwnd, WM_ERASEBKGND, (WPARAM)dc, 0);
    return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps)
{
    if (!ps)
        return FALSE;
    ReleaseDC(hwnd, ps->hdc);
    if (ps->fRestore)
        ShowCaretAfterPaint(hwnd);
    return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN rgn, UINT flags)
{
    if (!hwnd) {
        // The desktop's client coordinates are the screen's: each top-level window takes the part of
        // the area over it, moved into its own client coordinates.
        std::vector<HWND> tops;
        {
            Guard lk(Lock());
            tops = Find(Desktop())->children;
        }
        HRGN screen = nullptr;
        if (rgn) {
            screen = CreateRectRgn(0, 0, 0, 0);
            if (CombineRgn(screen, rgn, nullptr, RGN_COPY) == ERROR) {
                DeleteObject(screen);
                return FALSE;
            }
        } else if (rect) {
            screen = CreateRectRgnIndirect(rect);
        }
        for (HWND t : tops) {
            if (!screen) {
                RedrawWindow(t, nullptr, nullptr, flags | RDW_ALLCHILDREN);
                continue;
            }
            RECT wr;
            POINT co{0, 0};
            if (!GetWindowRect(t, &wr) || !ClientToScreen(t, &co))
                continue;
            HRGN local = CreateRectRgnIndirect(&wr);
            if (CombineRgn(local, local, screen, RGN_AND) > NULLREGION) {
                OffsetRgn(local, -co.x, -co.y);
                RedrawWindow(t, nullptr, local, flags | RDW_ALLCHILDREN);
            }
            DeleteObject(local);
        }
        if (screen)
            DeleteObject(screen);
        return TRUE;
    }
    RECT area;
    const RECT* areaPtr = nullptr;
    if (rgn) {
        if (GetRgnBox(rgn, &area) == 0)
            return FALSE;
        areaPtr = &area;
    } else if (rect) {
        area = *rect;
        areaPtr = &area;
    }
    bool children;
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        children = (flags & RDW_ALLCHILDREN) || (!(flags & RDW_NOCHILDREN) && !(w->style & WS_CLIPCHILDREN));
    }
    if (flags & RDW_INVALIDATE) {
        if (!areaPtr || !IsRectEmpty(areaPtr) || (flags & RDW_FRAME))
            InvalidateInternal(hwnd, areaPtr, (flags & RDW_ERASE) != 0, children, (flags & RDW_FRAME) != 0, rgn);
        if (flags & RDW_INTERNALPAINT) {
            Guard lk(Lock());
            if (Window* w = Find(hwnd))
                w->internalPaint = true;
        }
    } else if (flags & RDW_VALIDATE) {
        // r is the area to validate in h's client coordinates; null means all of it.
        std::function<void(HWND, HRGN)> validate = [&](HWND h, HRGN r) {
            std::vector<std::pair<HWND, HRGN>> kids;
            {
                Guard lk(Lock());
                Window* w = Find(h);
                if (!w)
                    return;
                SubtractUpdate(w, r);
                if (IsRectEmpty(&w->update) || (flags & RDW_NOERASE))
                    w->erase = false;
                if (flags & RDW_NOFRAME)
                    w->ncPaint = false;
                if (flags & RDW_NOINTERNALPAINT)
                    w->internalPaint = false;
                if (children)
                    for (HWND c : w->children) {
                        Window* x = Find(c);
                        if (!x)
                            continue;
                        HRGN in = nullptr;
                        if (r) {
                            in = CreateRectRgnIndirect(&x->rcClient);
                            if (CombineRgn(in, in, r, RGN_AND) == NULLREGION) {
                                DeleteObject(in);
                                continue;
                            }
                            OffsetRgn(in, -x->rcClient.left, -x->rcClient.top);
                        }
                        kids.push_back({c, in});
                    }
            }
            for (auto& [c, cr] : kids) {
                validate(c, cr);
                if (cr)
                    DeleteObject(cr);
            }
        };
        HRGN area = nullptr;
        if (rgn) {
            area = CreateRectRgn(0, 0, 0, 0);
            CombineRgn(area, rgn, nullptr, RGN_COPY);
        } else if (rect) {
            area = CreateRectRgnIndirect(rect);
        }
        validate(hwnd, area);
        if (area)
            DeleteObject(area);
    }
    if (flags & RDW_UPDATENOW)
        UpdateNow(hwnd, children || (flags & RDW_ALLCHILDREN), false);
    else if (flags & RDW_ERASENOW)
        UpdateNow(hwnd, children, true);
    return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase)
{
    if (hwnd && !IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return RedrawWindow(hwnd, rect, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase)
{
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return RedrawWindow(hwnd, nullptr, rgn, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL ValidateRect(HWND hwnd, const RECT* rect)
{
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return RedrawWindow(hwnd, rect, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL ValidateRgn(HWND hwnd, HRGN rgn)
{
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return RedrawWindow(hwnd, nullptr, rgn, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase)
{
    RECT u;
    bool needErase;
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        u = w->update;
        needErase = w->erase;
    }
    if (rect)
        *rect = u;
    if (erase && needErase && !IsRectEmpty(&u))
        RedrawWindow(hwnd, nullptr, nullptr, RDW_ERASENOW | RDW_NOCHILDREN);
    return !IsRectEmpty(&u);
}

int GetUpdateRgn(HWND hwnd, HRGN rgn, BOOL erase)
{
    if (!rgn || !IsWindow(hwnd)) {
        SetLastError(rgn ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    GetUpdateRect(hwnd, nullptr, erase);
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return ERROR;
    }
    if (!w->updateRgn)
        return SetRectRgn(rgn, 0, 0, 0, 0) ? NULLREGION : ERROR;
    return CombineRgn(rgn, w->updateRgn, nullptr, RGN_COPY);
}

BOOL UpdateWindow(HWND hwnd)
{
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

HDC GetDCEx(HWND hwnd, HRGN clip, DWORD flags)
{
    Guard lk(Lock());
    if (hwnd && !Find(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return MakeDC(hwnd, flags, clip, nullptr);
}

HDC GetDC(HWND hwnd)
{
    return GetDCEx(hwnd, nullptr, 0);
}

HDC GetWindowDC(HWND hwnd)
{
    return GetDCEx(hwnd, nullptr, DCX_WINDOW | DCX_CACHE);
}

int ReleaseDC(HWND hwnd, HDC hdc)
{
    HWND owner;
    bool own;
    std::vector<HWND> changed;
    {
        Guard lk(Lock());
        auto& p = P();
        auto it = p.dcs.find(hdc);
        if (it == p.dcs.end())
            return 0;
        owner = it->second;
        auto o = p.ownDCs.find(owner);
        own = o != p.ownDCs.end() && o->second == hdc;
        if (!own)
            p.dcs.erase(it);
        if (owner == Desktop()) {
            --p.desktopDCs;
            changed = SyncDesktop();
        }
    }
    if (!own)
        gdi::ReleaseSurfaceDC(hdc);
    if (owner && owner != GetDesktopWindow())
        Damage(owner);
    for (HWND h : changed)
        Damage(h);
    return 1;
}

HWND WindowFromDC(HDC hdc)
{
    Guard lk(Lock());
    auto it = P().dcs.find(hdc);
    return it == P().dcs.end() ? nullptr : it->second;
}

int ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update, LPRECT updateRect,
                   UINT flags)
{
    RECT client;
    if (!GetClientRect(hwnd, &client)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return ERROR;
    }
    RECT src = client, clipR = client;
    if (scroll)
        IntersectRect(&src, scroll, &client);
    if (clip)
        IntersectRect(&clipR, clip, &client);
    RECT area;
    IntersectRect(&area, &src, &clipR);
    RECT moved = area, dest;
    OffsetRect(&moved, dx, dy);
    IntersectRect(&dest, &moved, &clipR);
    if (!IsRectEmpty(&dest) && IsWindowVisible(hwnd)) {
        HDC dc = GetDCEx(hwnd, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
        if (dc) {
            BitBlt(dc, dest.left, dest.top, Width(dest), Height(dest), dc, dest.left - dx, dest.top - dy, SRCCOPY);
            ReleaseDC(hwnd, dc);
        }
    }
    // What the move uncovered needs painting (an L shape when both dx and dy are set); the part of
    // an existing update area inside the scrolled rectangle moves along with the pixels.
    HRGN exposedRgn = CreateRectRgnIndirect(&area);
    HRGN destRgn = CreateRectRgnIndirect(&dest);
    CombineRgn(exposedRgn, exposedRgn, destRgn, RGN_DIFF);
    DeleteObject(destRgn);
    RECT exposed;
    if (GetRgnBox(exposedRgn, &exposed) <= NULLREGION)
        exposed = RECT{};
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (w && w->updateRgn) {
            HRGN moved = CreateRectRgnIndirect(&area);
            if (CombineRgn(moved, moved, w->updateRgn, RGN_AND) > NULLREGION) {
                OffsetRgn(moved, dx, dy);
                HRGN clipRgn = CreateRectRgnIndirect(&clipR);
                CombineRgn(moved, moved, clipRgn, RGN_AND);
                DeleteObject(clipRgn);
                AddUpdate(w, moved);
            }
            DeleteObject(moved);
        }
    }
    if (flags & SW_SCROLLCHILDREN) {
        std::vector<HWND> kids;
        {
            Guard lk(Lock());
            if (Window* w = Find(hwnd))
                kids = w->children;
        }
        for (HWND k : kids) {
            RECT kr;
            {
                Guard lk(Lock());
                Window* x = Find(k);
                if (!x)
                    continue;
                kr = x->rcWindow;
            }
            RECT in;
            if (!scroll || IntersectRect(&in, &kr, &src))
                SetWindowPos(k, nullptr, kr.left + dx, kr.top + dy, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        }
    }
    if (updateRect)
        *updateRect = exposed;
    int kind = IsRectEmpty(&exposed) ? NULLREGION : CombineRgn(exposedRgn, exposedRgn, nullptr, RGN_COPY);
    if (update)
        CombineRgn(update, exposedRgn, nullptr, RGN_COPY);
    if ((flags & SW_INVALIDATE) && !IsRectEmpty(&exposed))
        RedrawWindow(hwnd, nullptr, exposedRgn,
                     RDW_INVALIDATE | ((flags & SW_ERASE) ? RDW_ERASE : 0) |
                         ((flags & SW_SCROLLCHILDREN) ? RDW_ALLCHILDREN : 0));
    DeleteObject(exposedRgn);
    return kind;
}

BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip)
{
    return ScrollWindowEx(hwnd, dx, dy, scroll, clip, nullptr, nullptr,
                          SW_INVALIDATE | SW_ERASE | (scroll ? 0 : SW_SCROLLCHILDREN)) != ERROR;
}

BOOL LockWindowUpdate(HWND hwnd)
{
    HWND previous;
    {
        Guard lk(Lock());
        auto& p = P();
        if (hwnd) {
            if (!Find(hwnd)) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return FALSE;
            }
            if (p.locked && Find(p.locked))
                return FALSE; // one window at a time
            p.locked = hwnd;
            return TRUE;
        }
        previous = p.locked;
        p.locked = nullptr;
    }
    if (previous && IsWindow(previous))
        RedrawWindow(previous, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return TRUE;
}

int SetWindowRgn(HWND hwnd, HRGN rgn, BOOL redraw)
{
    {
        Guard lk(Lock());
        Window* w = Find(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (w->region && w->region != rgn)
            DeleteObject(w->region);
        w->region = rgn;
    }
    NotifyChanged(hwnd);
    if (redraw)
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return 1;
}

int GetWindowRgn(HWND hwnd, HRGN rgn)
{
    Guard lk(Lock());
    Window* w = Find(hwnd);
    if (!w || !rgn || !w->region)
        return ERROR;
    return CombineRgn(rgn, w->region, nullptr, RGN_COPY);
}
