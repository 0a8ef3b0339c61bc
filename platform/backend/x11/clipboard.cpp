// The layer's clipboard joined to the desktop's CLIPBOARD selection, for text and bitmaps.
#include "backend/x11/internal.h"

#include "win32/kernel.h"
#include "win32/kernel/util.h"

#include <X11/Xatom.h>
#include <X11/extensions/Xfixes.h>

#include <chrono>
#include <cstring>
#include <poll.h>
#include <thread>

namespace x11 {

namespace {

// ---- Offering the layer's clipboard -----------------------------------------------------------

bool LayerText(std::string* utf8)
{
    HANDLE h = GetClipboardData(CF_UNICODETEXT);
    if (!h)
        return false;
    auto* p = (const char16_t*)GlobalLock(h);
    size_t cap = GlobalSize(h) / 2, n = 0;
    while (p && n < cap && p[n])
        ++n;
    *utf8 = p ? Utf8(std::u16string(p, n)) : std::string();
    GlobalUnlock(h);
    return p != nullptr;
}

// A bitmap file of the clipboard's bitmap: the packed DIB behind a file header.
bool LayerBitmapFile(std::vector<unsigned char>* file)
{
    std::vector<unsigned char> dib;
    if (HANDLE h = GetClipboardData(CF_DIB)) {
        auto* p = (const unsigned char*)GlobalLock(h);
        if (p)
            dib.assign(p, p + GlobalSize(h));
        GlobalUnlock(h);
    } else if (HBITMAP bm = (HBITMAP)GetClipboardData(CF_BITMAP)) {
        BITMAP info{};
        if (!GetObjectW(bm, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight <= 0)
            return false;
        BITMAPINFOHEADER bih{};
        bih.biSize = sizeof(bih);
        bih.biWidth = info.bmWidth;
        bih.biHeight = info.bmHeight;
        bih.biPlanes = 1;
        bih.biBitCount = 32;
        size_t bytes = (size_t)info.bmWidth * info.bmHeight * 4;
        dib.resize(sizeof(bih) + bytes);
        memcpy(dib.data(), &bih, sizeof(bih));
        HDC dc = GetDC(nullptr);
        int rows = GetDIBits(dc, bm, 0, (UINT)info.bmHeight, dib.data() + sizeof(bih), (BITMAPINFO*)dib.data(),
                             DIB_RGB_COLORS);
        ReleaseDC(nullptr, dc);
        if (rows != info.bmHeight)
            return false;
    }
    if (dib.size() < sizeof(BITMAPINFOHEADER))
        return false;
    BITMAPINFOHEADER bih;
    memcpy(&bih, dib.data(), sizeof(bih));
    size_t colours = bih.biClrUsed ? bih.biClrUsed : (bih.biBitCount <= 8 ? (1u << bih.biBitCount) : 0);
    size_t masks = bih.biCompression == 3 /* BI_BITFIELDS */ ? 12 : 0;
    uint32_t offset = (uint32_t)(14 + bih.biSize + masks + colours * 4);
    uint32_t size = (uint32_t)(14 + dib.size());
    file->assign(14, 0);
    (*file)[0] = 'B';
    (*file)[1] = 'M';
    memcpy(file->data() + 2, &size, 4);
    memcpy(file->data() + 10, &offset, 4);
    file->insert(file->end(), dib.begin(), dib.end());
    return true;
}

// ---- Reading another program's clipboard -----------------------------------------------------

// Reads go through a connection of their own, so the layer thread that asks can wait for the
// answer without taking events from the presenter's thread.
struct Reader : user::ForeignClipboard {
    std::mutex lock;
    Display* dpy = nullptr;
    ::Window win = 0;
    Atom clipboard = 0, property = 0, targets = 0, incr = 0, utf8 = 0, textUtf8 = 0, bmp = 0;

    bool Open()
    {
        if (dpy)
            return true;
        dpy = XOpenDisplay(DisplayString(C().dpy));
        if (!dpy)
            return false;
        win = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), -10, -10, 1, 1, 0, 0, 0);
        XSelectInput(dpy, win, PropertyChangeMask);
        clipboard = XInternAtom(dpy, "CLIPBOARD", False);
        property = XInternAtom(dpy, "DOVEMARK_SELECTION", False);
        targets = XInternAtom(dpy, "TARGETS", False);
        incr = XInternAtom(dpy, "INCR", False);
        utf8 = XInternAtom(dpy, "UTF8_STRING", False);
        textUtf8 = XInternAtom(dpy, "text/plain;charset=utf-8", False);
        bmp = XInternAtom(dpy, "image/bmp", False);
        return true;
    }

    void Close()
    {
        std::lock_guard<std::mutex> g(lock);
        if (dpy)
            XCloseDisplay(dpy);
        dpy = nullptr;
    }

    bool WaitFor(int type, XEvent* ev)
    {
        // A program that never answers must not hang the one asking.
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        for (;;) {
            while (XPending(dpy)) {
                XNextEvent(dpy, ev);
                if (ev->type == type && (type != PropertyNotify || (ev->xproperty.atom == property &&
                                                                     ev->xproperty.state == PropertyNewValue)))
                    return true;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            pollfd p{ConnectionNumber(dpy), POLLIN, 0};
            poll(&p, 1, (int)left.count());
        }
    }

    bool TakeProperty(Atom* type, std::vector<unsigned char>* out)
    {
        int format;
        unsigned long n, after;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(dpy, win, property, 0, 0x1000000, True, AnyPropertyType, type, &format, &n, &after,
                               &data) != Success)
            return false;
        size_t unit = format == 32 ? sizeof(long) : (size_t)format / 8;
        if (data)
            out->insert(out->end(), data, data + n * unit);
        if (data)
            XFree(data);
        return true;
    }

    bool Convert(Atom target, Atom* type, std::vector<unsigned char>* out)
    {
        out->clear();
        XDeleteProperty(dpy, win, property);
        XConvertSelection(dpy, clipboard, target, property, win, CurrentTime);
        XEvent ev;
        if (!WaitFor(SelectionNotify, &ev) || ev.xselection.property == None)
            return false;
        if (!TakeProperty(type, out))
            return false;
        if (*type != incr)
            return true;
        // Large data comes in pieces, each announced by a new value of the property.
        out->clear();
        for (;;) {
            if (!WaitFor(PropertyNotify, &ev))
                return false;
            std::vector<unsigned char> piece;
            if (!TakeProperty(type, &piece))
                return false;
            if (piece.empty())
                return true;
            out->insert(out->end(), piece.begin(), piece.end());
        }
    }

    std::vector<UINT> Formats() override
    {
        std::lock_guard<std::mutex> g(lock);
        std::vector<UINT> list;
        Atom type;
        std::vector<unsigned char> data;
        if (!Open() || !Convert(targets, &type, &data))
            return list;
        size_t n = data.size() / sizeof(long);
        bool text = false, image = false;
        for (size_t i = 0; i < n; ++i) {
            long a;
            memcpy(&a, data.data() + i * sizeof(long), sizeof(long));
            text |= (Atom)a == utf8 || (Atom)a == textUtf8 || (Atom)a == XA_STRING;
            image |= (Atom)a == bmp;
        }
        if (text)
            list.push_back(CF_UNICODETEXT);
        if (image)
            list.push_back(CF_DIB);
        return list;
    }

    bool Read(UINT format, std::vector<BYTE>* out) override
    {
        std::lock_guard<std::mutex> g(lock);
        if (!Open())
            return false;
        Atom type;
        std::vector<unsigned char> data;
        if (format == CF_UNICODETEXT) {
            std::u16string text;
            if (Convert(utf8, &type, &data) || Convert(textUtf8, &type, &data))
                text = dovemark::kernel::Utf8ToUtf16(std::string(data.begin(), data.end()));
            else if (Convert(XA_STRING, &type, &data))
                text.assign(data.begin(), data.end()); // Latin-1
            else
                return false;
            text.push_back(0);
            out->assign((const BYTE*)text.data(), (const BYTE*)(text.data() + text.size()));
            return true;
        }
        if (format == CF_DIB && Convert(bmp, &type, &data) && data.size() > 14 + sizeof(BITMAPINFOHEADER) &&
            data[0] == 'B' && data[1] == 'M') {
            out->assign(data.begin() + 14, data.end());
            return true;
        }
        return false;
    }
};

Reader& R()
{
    static auto* r = new Reader;
    return *r;
}

void Refuse(XSelectionRequestEvent& req)
{
    XEvent ev{};
    ev.xselection.type = SelectionNotify;
    ev.xselection.requestor = req.requestor;
    ev.xselection.selection = req.selection;
    ev.xselection.target = req.target;
    ev.xselection.property = None;
    ev.xselection.time = req.time;
    XSendEvent(C().dpy, req.requestor, False, 0, &ev);
}

void FollowForeignOwner()
{
    // The old owner hears of it through a sent message, which this thread must not wait for: the
    // owner's thread may itself be waiting for this one.
    std::thread([] { user::SetForeignClipboard(&R()); }).detach();
}

} // namespace

void ClaimClipboard()
{
    auto& c = C();
    XSetSelectionOwner(c.dpy, c.atoms.clipboard, c.clipOwner, CurrentTime);
}

void HandleSelectionRequest(XSelectionRequestEvent& req)
{
    auto& c = C();
    auto& a = c.atoms;
    Atom property = req.property ? req.property : req.target; // old clients name no property
    if (req.selection != a.clipboard || req.owner != c.clipOwner || !OpenClipboard(nullptr)) {
        Refuse(req);
        return;
    }
    std::string text;
    std::vector<unsigned char> bitmap;
    bool hasText = IsClipboardFormatAvailable(CF_UNICODETEXT) && LayerText(&text);
    bool hasBitmap = (IsClipboardFormatAvailable(CF_DIB) || IsClipboardFormatAvailable(CF_BITMAP)) &&
                     req.target != a.targets && LayerBitmapFile(&bitmap);
    bool canBitmap = IsClipboardFormatAvailable(CF_DIB) || IsClipboardFormatAvailable(CF_BITMAP);
    CloseClipboard();
    // Data larger than one request would need the incremental protocol, which is not offered.
    size_t limit = (size_t)(XExtendedMaxRequestSize(c.dpy) ? XExtendedMaxRequestSize(c.dpy) : XMaxRequestSize(c.dpy)) * 4 - 1024;
    bool ok = true;
    if (req.target == a.targets) {
        std::vector<Atom> list{a.targets};
        if (hasText)
            list.insert(list.end(), {a.utf8String, a.textPlainUtf8, XA_STRING});
        if (canBitmap)
            list.push_back(a.imageBmp);
        XChangeProperty(c.dpy, req.requestor, property, XA_ATOM, 32, PropModeReplace,
                        (const unsigned char*)list.data(), (int)list.size());
    } else if (hasText && (req.target == a.utf8String || req.target == a.textPlainUtf8) && text.size() < limit) {
        XChangeProperty(c.dpy, req.requestor, property, req.target, 8, PropModeReplace,
                        (const unsigned char*)text.data(), (int)text.size());
    } else if (hasText && req.target == XA_STRING && text.size() < limit) {
        std::u16string wide = dovemark::kernel::Utf8ToUtf16(text);
        std::string latin;
        for (char16_t ch : wide)
            latin.push_back(ch < 0x100 ? (char)ch : '?');
        XChangeProperty(c.dpy, req.requestor, property, XA_STRING, 8, PropModeReplace,
                        (const unsigned char*)latin.data(), (int)latin.size());
    } else if (hasBitmap && req.target == a.imageBmp && bitmap.size() < limit) {
        XChangeProperty(c.dpy, req.requestor, property, a.imageBmp, 8, PropModeReplace, bitmap.data(),
                        (int)bitmap.size());
    } else {
        ok = false;
    }
    if (!ok) {
        Refuse(req);
        return;
    }
    XEvent ev{};
    ev.xselection.type = SelectionNotify;
    ev.xselection.requestor = req.requestor;
    ev.xselection.selection = req.selection;
    ev.xselection.target = req.target;
    ev.xselection.property = property;
    ev.xselection.time = req.time;
    XSendEvent(c.dpy, req.requestor, False, 0, &ev);
}

void HandleSelectionClear(XSelectionClearEvent& ev)
{
    auto& c = C();
    // With XFixes every new owner is told there, this one included.
    if (c.xfixesEvent >= 0 || ev.selection != c.atoms.clipboard || ev.window != c.clipOwner)
        return;
    FollowForeignOwner();
}

bool HandleClipboardOwnerEvent(XEvent& ev)
{
    auto& c = C();
    if (c.xfixesEvent < 0 || ev.type != c.xfixesEvent + XFixesSelectionNotify)
        return false;
    auto& n = reinterpret_cast<XFixesSelectionNotifyEvent&>(ev);
    if (n.selection == c.atoms.clipboard && n.owner != None && n.owner != c.clipOwner)
        FollowForeignOwner();
    return true;
}

void TakeForeignClipboardIfOwned()
{
    auto& c = C();
    ::Window owner = XGetSelectionOwner(c.dpy, c.atoms.clipboard);
    if (owner != None && owner != c.clipOwner && CountClipboardFormats() == 0)
        user::SetForeignClipboard(&R());
}

void CloseClipboardReader()
{
    user::SetForeignClipboard(nullptr);
    R().Close();
}

} // namespace x11
