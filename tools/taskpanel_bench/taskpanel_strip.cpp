// Writes a PNG strip of the sample task panel in every theme, 0 to 12 from left to right: three
// groups (the middle one special, the last one with a group image), a hot link, a focused link and a
// disabled one.
#include "sample_panel.h"

#include "toolkit/taskpanel/task_panel_theme.h"
#include "win32/gdi/surface.h"

#include <cstdio>

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : "taskpanel_strip.png";
    const int width = 210, height = 430, themes = 13, gap = 4;
    CWnd host;
    host.CreateEx(0, AfxRegisterWndClass(0), u"host", WS_POPUP | WS_VISIBLE, 0, 0, width + 20, height + 20, nullptr,
                  nullptr);
    CTKPTaskPanel panel;
    panel.Create(WS_VISIBLE, CRect(0, 0, width, height), &host, 1);
    FillSamplePanel(panel, 3, 4);
    panel.SetFocus();
    panel.SetFocusedItem(panel.GetAt(0)->GetItemAt(1), TRUE);
    panel.SetHotItem(panel.GetAt(0)->GetItemAt(0));

    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = themes * (width + gap) + gap;
    bi.bmiHeader.biHeight = -(height + 2 * gap);
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP strip = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, strip);
    PatBlt(dc, 0, 0, bi.bmiHeader.biWidth, -bi.bmiHeader.biHeight, WHITENESS);
    for (int id = 0; id < themes; ++id) {
        panel.SetTheme(id);
        POINT previous;
        SetViewportOrgEx(dc, gap + id * (width + gap), gap, &previous);
        panel.SendMessage(WM_PRINT, WPARAM(dc), PRF_CLIENT);
        SetViewportOrgEx(dc, previous.x, previous.y, nullptr);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    const bool ok = gdi::WritePng(strip, path);
    DeleteObject(strip);
    panel.DestroyWindow();
    host.DestroyWindow();
    if (!ok) {
        std::fprintf(stderr, "taskpanel_strip: cannot write %s\n", path);
        return 1;
    }
    std::printf("%s\n", path);
    return 0;
}
