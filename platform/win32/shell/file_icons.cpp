// The system image lists: the layer's own file-type icons, drawn once at 16 and 32 pixels.
#include "win32/gdi.h"
#include "win32/gdi/shared_image_list.h"
#include "win32/shell/shell_internal.h"
#include "win32/user.h"

#include <mutex>

namespace {

constexpr COLORREF kKey = RGB(255, 0, 255); // the transparent colour of the drawing

// Draws on a 32-unit grid scaled to the icon's size, so both sizes share one design.
class Painter {
public:
    Painter(HDC dc, int x0, int size) : dc_(dc), x0_(x0), size_(size) {}

    void Fill(int l, int t, int r, int b, COLORREF c)
    {
        RECT rc{X(l), Y(t), X(r), Y(b)};
        if (rc.right <= rc.left)
            rc.right = rc.left + 1;
        if (rc.bottom <= rc.top)
            rc.bottom = rc.top + 1;
        HBRUSH br = CreateSolidBrush(c);
        FillRect(dc_, &rc, br);
        DeleteObject(br);
    }
    // A filled rectangle with a one-pixel border.
    void Box(int l, int t, int r, int b, COLORREF fill, COLORREF border)
    {
        Fill(l, t, r, b, border);
        RECT rc{X(l) + 1, Y(t) + 1, X(r) - 1, Y(b) - 1};
        if (rc.right > rc.left && rc.bottom > rc.top) {
            HBRUSH br = CreateSolidBrush(fill);
            FillRect(dc_, &rc, br);
            DeleteObject(br);
        }
    }
    void Shape(std::initializer_list<POINT> grid, COLORREF fill, COLORREF border)
    {
        POINT pts[8];
        int n = 0;
        for (POINT p : grid)
            if (n < 8)
                pts[n++] = POINT{X(p.x), Y(p.y)};
        HBRUSH br = CreateSolidBrush(fill);
        HPEN pen = CreatePen(PS_SOLID, 1, border);
        HGDIOBJ ob = SelectObject(dc_, br), op = SelectObject(dc_, pen);
        Polygon(dc_, pts, n);
        SelectObject(dc_, ob);
        SelectObject(dc_, op);
        DeleteObject(br);
        DeleteObject(pen);
    }
    void Oval(int l, int t, int r, int b, COLORREF fill, COLORREF border)
    {
        HBRUSH br = CreateSolidBrush(fill);
        HPEN pen = CreatePen(PS_SOLID, 1, border);
        HGDIOBJ ob = SelectObject(dc_, br), op = SelectObject(dc_, pen);
        Ellipse(dc_, X(l), Y(t), X(r), Y(b));
        SelectObject(dc_, ob);
        SelectObject(dc_, op);
        DeleteObject(br);
        DeleteObject(pen);
    }

private:
    int X(int g) const { return x0_ + g * size_ / 32; }
    int Y(int g) const { return g * size_ / 32; }
    HDC dc_;
    int x0_, size_;
};

// A sheet of paper with a folded corner, the base of every document icon.
void Page(Painter& p)
{
    p.Box(6, 2, 27, 31, RGB(255, 255, 255), RGB(96, 96, 96));
    p.Fill(21, 2, 27, 8, kKey);
    p.Shape({{21, 2}, {21, 8}, {27, 8}}, RGB(208, 208, 208), RGB(96, 96, 96));
}

void Lines(Painter& p, COLORREF c, int from)
{
    for (int y = from; y <= 26; y += 4)
        p.Fill(10, y, 23, y + 2, c);
}

void DrawKind(Painter& p, int kind)
{
    switch (kind) {
    case shell::kIconFolder:
    case shell::kIconFolderOpen:
        p.Shape({{2, 8}, {12, 8}, {15, 11}, {29, 11}, {29, 28}, {2, 28}}, RGB(240, 200, 80), RGB(150, 110, 20));
        if (kind == shell::kIconFolderOpen)
            p.Shape({{5, 15}, {31, 15}, {27, 28}, {2, 28}}, RGB(255, 230, 140), RGB(150, 110, 20));
        else
            p.Fill(3, 13, 28, 14, RGB(255, 236, 160));
        return;
    case shell::kIconDrive:
        p.Box(2, 11, 30, 24, RGB(200, 200, 200), RGB(64, 64, 64));
        p.Fill(3, 20, 29, 23, RGB(150, 150, 150));
        p.Fill(23, 15, 27, 18, RGB(0, 200, 0));
        return;
    case shell::kIconRemovable:
        p.Box(5, 9, 27, 26, RGB(220, 220, 210), RGB(64, 64, 64));
        p.Fill(9, 20, 23, 22, RGB(40, 40, 40));
        return;
    case shell::kIconProgram:
        p.Box(2, 5, 30, 27, RGB(255, 255, 255), RGB(0, 0, 96));
        p.Fill(3, 6, 29, 11, RGB(0, 0, 160));
        p.Fill(24, 7, 28, 10, RGB(192, 192, 192));
        return;
    }
    Page(p);
    switch (kind) {
    case shell::kIconText:
        Lines(p, RGB(0, 0, 0), 10);
        break;
    case shell::kIconImage:
        p.Fill(9, 10, 24, 26, RGB(120, 180, 255));
        p.Shape({{9, 26}, {15, 16}, {24, 26}}, RGB(40, 150, 40), RGB(30, 110, 30));
        p.Oval(18, 11, 23, 16, RGB(255, 220, 0), RGB(220, 160, 0));
        break;
    case shell::kIconAudio:
        p.Oval(9, 20, 16, 26, RGB(120, 40, 160), RGB(80, 20, 120));
        p.Fill(14, 9, 16, 23, RGB(80, 20, 120));
        p.Fill(14, 9, 22, 12, RGB(80, 20, 120));
        break;
    case shell::kIconVideo:
        p.Fill(9, 10, 24, 27, RGB(32, 32, 32));
        for (int y = 11; y < 26; y += 4) {
            p.Fill(10, y, 12, y + 2, RGB(255, 255, 255));
            p.Fill(21, y, 23, y + 2, RGB(255, 255, 255));
        }
        p.Fill(13, 13, 20, 24, RGB(90, 150, 230));
        break;
    case shell::kIconArchive:
        p.Fill(9, 9, 24, 28, RGB(230, 180, 60));
        for (int y = 10; y < 26; y += 3)
            p.Fill(15, y, 18, y + 2, RGB(90, 60, 10));
        p.Box(13, 22, 20, 27, RGB(200, 200, 200), RGB(90, 60, 10));
        break;
    case shell::kIconWeb:
        p.Oval(9, 11, 25, 27, RGB(60, 130, 230), RGB(20, 60, 150));
        p.Shape({{12, 15}, {17, 13}, {18, 19}, {13, 22}}, RGB(60, 170, 60), RGB(40, 120, 40));
        break;
    case shell::kIconOffice:
        p.Fill(9, 9, 24, 13, RGB(30, 80, 180));
        Lines(p, RGB(80, 110, 200), 16);
        break;
    case shell::kIconHelp:
        p.Oval(10, 11, 24, 25, RGB(230, 190, 40), RGB(140, 100, 0));
        p.Fill(14, 13, 20, 15, RGB(60, 40, 0));
        p.Fill(19, 13, 21, 18, RGB(60, 40, 0));
        p.Fill(16, 17, 19, 19, RGB(60, 40, 0));
        p.Fill(16, 21, 18, 23, RGB(60, 40, 0));
        break;
    default:
        Lines(p, RGB(160, 160, 160), 12);
        break;
    }
}

HIMAGELIST Build(int size)
{
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, shell::kIconCount, 4);
    if (!list)
        return nullptr;
    int width = size * shell::kIconCount;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP strip = CreateCompatibleBitmap(screen, width, size);
    ReleaseDC(nullptr, screen);
    if (!dc || !strip) {
        if (dc)
            DeleteDC(dc);
        ImageList_Destroy(list);
        return nullptr;
    }
    HGDIOBJ old = SelectObject(dc, strip);
    RECT all{0, 0, width, size};
    HBRUSH key = CreateSolidBrush(kKey);
    FillRect(dc, &all, key);
    DeleteObject(key);
    for (int kind = 0; kind < shell::kIconCount; ++kind) {
        Painter p(dc, kind * size, size);
        DrawKind(p, kind);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    ImageList_AddMasked(list, strip, kKey);
    DeleteObject(strip);
    gdi::ShareImageList(list);
    return list;
}

} // namespace

HIMAGELIST shell::SystemImageList(bool small)
{
    static std::mutex lock;
    static HIMAGELIST lists[2] = {nullptr, nullptr};
    std::lock_guard<std::mutex> g(lock);
    HIMAGELIST& l = lists[small ? 1 : 0];
    if (!l)
        l = Build(small ? 16 : 32);
    return l;
}
