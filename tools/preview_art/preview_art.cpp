// Draws the pictures of the preview's no-preview and too-large views (a page symbol on the left and two
// lines of text, on white, 202 x 140 each) and the Access database tree's strip of 16 x 16 images.
#include "win32/win32.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kWidth = 202;
const int kHeight = 140;

struct Picture {
    const char* file;
    const char16_t* line1;
    const char16_t* line2;
    COLORREF accent;
    // 0 a cracked page, 1 a page with a question mark, 2 a pointer onto a page, 3 an oversized page.
    int symbol;
};

const COLORREF kInk = RGB(64, 72, 84);
const COLORREF kPaper = RGB(250, 251, 253);
const COLORREF kFrame = RGB(170, 182, 198);

void Page(HDC dc, int x, int y, int w, int h, COLORREF edge)
{
    HPEN pen = CreatePen(PS_SOLID, 2, edge);
    HBRUSH paper = CreateSolidBrush(kPaper);
    HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, paper);
    int fold = w / 3;
    POINT outline[] = {{x, y}, {x + w - fold, y}, {x + w, y + fold}, {x + w, y + h}, {x, y + h}};
    Polygon(dc, outline, 5);
    POINT corner[] = {{x + w - fold, y}, {x + w - fold, y + fold}, {x + w, y + fold}};
    Polyline(dc, corner, 3);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(paper);
    // Text lines on the page.
    HPEN rule = CreatePen(PS_SOLID, 1, RGB(200, 208, 220));
    oldPen = SelectObject(dc, rule);
    for (int ly = y + fold + 8; ly < y + h - 6; ly += 7) {
        MoveToEx(dc, x + 6, ly, nullptr);
        LineTo(dc, x + w - 6, ly);
    }
    SelectObject(dc, oldPen);
    DeleteObject(rule);
}

void Symbol(HDC dc, const Picture& p)
{
    const int x = 22, y = 34, w = 48, h = 64;
    Page(dc, x, y, w, h, p.symbol == 3 ? p.accent : kInk);
    HPEN pen = CreatePen(PS_SOLID, 4, p.accent);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    switch (p.symbol) {
    case 0: { // a crack across the page
        POINT crack[] = {{x + 8, y + 10}, {x + 22, y + 28}, {x + 14, y + 36}, {x + 32, y + 56}, {x + 40, y + 62}};
        Polyline(dc, crack, 5);
        break;
    }
    case 1: { // a question mark in a circle
        Ellipse(dc, x + 10, y + 18, x + 40, y + 48);
        HFONT f = CreateFontW(-22, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, ANTIALIASED_QUALITY, 0, u"DejaVu Sans");
        HGDIOBJ old = SelectObject(dc, f);
        SetTextColor(dc, p.accent);
        RECT rc{x + 10, y + 18, x + 40, y + 48};
        DrawTextW(dc, u"?", 1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, old);
        DeleteObject(f);
        break;
    }
    case 2: { // an arrow pointing at the page
        POINT shaft[] = {{x + 54, y + 70}, {x + 30, y + 40}};
        Polyline(dc, shaft, 2);
        POINT head[] = {{x + 24, y + 54}, {x + 30, y + 40}, {x + 44, y + 42}};
        Polyline(dc, head, 3);
        break;
    }
    case 3: { // arrows pushing out of the page's corners
        POINT a[] = {{x + w - 6, y + h - 20}, {x + w + 8, y + h + 0}};
        Polyline(dc, a, 2);
        POINT b[] = {{x + w - 4, y + h + 2}, {x + w + 8, y + h + 0}, {x + w + 8, y + h - 12}};
        Polyline(dc, b, 3);
        break;
    }
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
}

void Text(HDC dc, const Picture& p)
{
    HFONT big = CreateFontW(-18, 0, 0, 0, FW_BOLD, 0, 0, 0, GB2312_CHARSET, 0, 0, ANTIALIASED_QUALITY, 0,
                            u"WenQuanYi Micro Hei");
    HFONT small = CreateFontW(-15, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, ANTIALIASED_QUALITY, 0,
                              u"WenQuanYi Micro Hei");
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, big);
    SetTextColor(dc, p.accent);
    RECT r1{86, 44, kWidth - 6, 68};
    DrawTextW(dc, p.line1, -1, &r1, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    SelectObject(dc, small);
    SetTextColor(dc, kInk);
    RECT r2{86, 72, kWidth - 6, 94};
    DrawTextW(dc, p.line2, -1, &r2, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    SelectObject(dc, old);
    DeleteObject(big);
    DeleteObject(small);
}

bool WriteBmp(const std::string& path, const BYTE* bits, int w, int h)
{
    int stride = (w * 3 + 3) & ~3;
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + (DWORD)(stride * h);
    ih.biSize = sizeof ih;
    ih.biWidth = w;
    ih.biHeight = h;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biSizeImage = (DWORD)(stride * h);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 && std::fwrite(&ih, sizeof ih, 1, f) == 1 &&
              std::fwrite(bits, (size_t)stride, (size_t)h, f) == (size_t)h;
    return std::fclose(f) == 0 && ok;
}

bool Draw(const Picture& p, const std::string& folder)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = kWidth;
    bi.bmiHeader.biHeight = kHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp || !bits)
        return false;
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT all{0, 0, kWidth, kHeight};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc, &all, white);
    DeleteObject(white);
    HPEN frame = CreatePen(PS_SOLID, 1, kFrame);
    HGDIOBJ oldPen = SelectObject(dc, frame);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, 2, 2, kWidth - 2, kHeight - 2, 14, 14);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(frame);
    Symbol(dc, p);
    Text(dc, p);
    GdiFlush();
    bool ok = WriteBmp(folder + "/" + p.file, static_cast<const BYTE*>(bits), kWidth, kHeight);
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    return ok;
}

// ---- The Access tree's images: 12 cells of 16 x 16 on magenta (the mask colour) ----------------

const int kCell = 16;
const int kCells = 12;
const COLORREF kMask = RGB(255, 0, 255);

void Fill(HDC dc, int x, int y, int w, int h, COLORREF c)
{
    RECT r{x, y, x + w, y + h};
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc, &r, b);
    DeleteObject(b);
}

void Frame(HDC dc, int x, int y, int w, int h, COLORREF c)
{
    Fill(dc, x, y, w, 1, c);
    Fill(dc, x, y + h - 1, w, 1, c);
    Fill(dc, x, y, 1, h, c);
    Fill(dc, x + w - 1, y, 1, h, c);
}

// A database: three stacked discs.
void DatabaseCell(HDC dc, int x)
{
    for (int i = 0; i < 3; ++i) {
        Fill(dc, x + 3, 2 + i * 4, 10, 4, RGB(214, 160, 60));
        Fill(dc, x + 3, 2 + i * 4, 10, 1, RGB(250, 214, 130));
        Frame(dc, x + 2, 1 + i * 4, 12, 6, RGB(120, 72, 20));
    }
}

// A folder in the colour of what it holds.
void FolderCell(HDC dc, int x, COLORREF tab)
{
    Fill(dc, x + 1, 3, 6, 2, tab);
    Fill(dc, x + 1, 5, 14, 9, RGB(240, 206, 100));
    Frame(dc, x + 1, 5, 14, 9, RGB(150, 110, 30));
}

// A table: a grid with a header row.
void TableCell(HDC dc, int x)
{
    Fill(dc, x + 1, 2, 14, 12, RGB(255, 255, 255));
    Fill(dc, x + 1, 2, 14, 3, RGB(63, 122, 192));
    Frame(dc, x + 1, 2, 14, 12, RGB(40, 70, 120));
    for (int gy = 8; gy < 14; gy += 3)
        Fill(dc, x + 2, gy, 12, 1, RGB(170, 182, 198));
    Fill(dc, x + 6, 5, 1, 8, RGB(170, 182, 198));
    Fill(dc, x + 10, 5, 1, 8, RGB(170, 182, 198));
}

// A relation: two linked boxes.
void RelationCell(HDC dc, int x)
{
    Fill(dc, x + 1, 2, 5, 5, RGB(255, 255, 255));
    Frame(dc, x + 1, 2, 5, 5, RGB(40, 70, 120));
    Fill(dc, x + 10, 9, 5, 5, RGB(255, 255, 255));
    Frame(dc, x + 10, 9, 5, 5, RGB(40, 70, 120));
    Fill(dc, x + 5, 4, 3, 1, RGB(192, 64, 52));
    Fill(dc, x + 7, 4, 1, 7, RGB(192, 64, 52));
    Fill(dc, x + 7, 11, 3, 1, RGB(192, 64, 52));
}

// A query: a sheet with a magnifying glass.
void QueryCell(HDC dc, int x)
{
    Fill(dc, x + 2, 1, 10, 13, RGB(255, 255, 255));
    Frame(dc, x + 2, 1, 10, 13, RGB(110, 110, 110));
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(40, 70, 120));
    HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Ellipse(dc, x + 6, 5, x + 13, 12);
    MoveToEx(dc, x + 12, 11, nullptr);
    LineTo(dc, x + 15, 14);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
}

bool DrawAccessTree(const std::string& folder)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = kCell * kCells;
    bi.bmiHeader.biHeight = kCell;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp || !bits)
        return false;
    HGDIOBJ old = SelectObject(dc, bmp);
    Fill(dc, 0, 0, kCell * kCells, kCell, kMask);
    // The cells the tree uses: 0 the database, 2 a table, 3 the tables, 8 a relation, 9 the relations,
    // 10 a query, 11 the queries; the others stay empty.
    DatabaseCell(dc, 0 * kCell);
    TableCell(dc, 2 * kCell);
    FolderCell(dc, 3 * kCell, RGB(63, 122, 192));
    RelationCell(dc, 8 * kCell);
    FolderCell(dc, 9 * kCell, RGB(192, 64, 52));
    QueryCell(dc, 10 * kCell);
    FolderCell(dc, 11 * kCell, RGB(60, 150, 80));
    GdiFlush();
    bool ok = WriteBmp(folder + "/access_tree.bmp", static_cast<const BYTE*>(bits), kCell * kCells, kCell);
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const Picture pictures[] = {
        {"damaged.bmp", u"文件已损坏", u"无法预览", RGB(192, 64, 52), 0},
        {"unsupported.bmp", u"此文件类型", u"无法预览", RGB(63, 122, 192), 1},
        {"no_item.bmp", u"请选择文件", u"进行预览", RGB(63, 122, 192), 2},
        {"too_large.bmp", u"文件太大", u"无法预览", RGB(214, 132, 30), 3},
    };
    for (const Picture& p : pictures)
        if (!Draw(p, argv[1])) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], p.file);
            return 1;
        }
    if (!DrawAccessTree(argv[1])) {
        std::fprintf(stderr, "%s: cannot write access_tree.bmp\n", argv[0]);
        return 1;
    }
    return 0;
}
