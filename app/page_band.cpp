// The wizard pages' shared pictures and button skins.
#include "app/page_band.h"

#include "controls/skin_button.h"
#include "res/app/wizard_front_res.h"
#include "res/controls/controls_res.h"

CSize DrawPageBitmap(CDC* dc, UINT id, int x, int y)
{
    CBitmap bitmap;
    CDC memory;
    if (!bitmap.LoadBitmap(id) || !memory.CreateCompatibleDC(dc))
        return CSize(0, 0);
    BITMAP info{};
    bitmap.GetBitmap(&info);
    CBitmap* old = memory.SelectObject(&bitmap);
    dc->BitBlt(x, y, info.bmWidth, info.bmHeight, &memory, 0, 0, SRCCOPY);
    memory.SelectObject(old);
    return CSize(info.bmWidth, info.bmHeight);
}

void StretchPageBitmap(CDC* dc, UINT id, const CRect& target)
{
    CBitmap bitmap;
    CDC memory;
    if (!bitmap.LoadBitmap(id) || !memory.CreateCompatibleDC(dc))
        return;
    BITMAP info{};
    bitmap.GetBitmap(&info);
    CBitmap* old = memory.SelectObject(&bitmap);
    dc->SetStretchBltMode(COLORONCOLOR);
    dc->StretchBlt(target.left, target.top, target.Width(), target.Height(), &memory, 0, 0, info.bmWidth,
                   info.bmHeight, SRCCOPY);
    memory.SelectObject(old);
}

int DrawPageBand(CDC* dc, const CRect& client, UINT banner)
{
    const CSize left = DrawPageBitmap(dc, banner, client.left, client.top);
    CBitmap end;
    BITMAP endInfo{};
    if (end.LoadBitmap(IDB_BAND_END))
        end.GetBitmap(&endInfo);
    const int right = client.right - endInfo.bmWidth;
    DrawPageBitmap(dc, IDB_BAND_END, right, client.top);
    CBitmap tile;
    CDC memory;
    if (tile.LoadBitmap(IDB_BAND_TILE) && memory.CreateCompatibleDC(dc) && right > client.left + left.cx) {
        BITMAP info{};
        tile.GetBitmap(&info);
        CBitmap* old = memory.SelectObject(&tile);
        dc->SetStretchBltMode(COLORONCOLOR);
        dc->StretchBlt(client.left + left.cx, client.top, right - client.left - left.cx, info.bmHeight, &memory, 0, 1,
                       info.bmWidth, info.bmHeight, SRCCOPY);
        memory.SelectObject(old);
    }
    return std::max<int>(left.cy, endInfo.bmHeight);
}

void SetupWizardButton(CSkinButton& button, WizardButtonKind kind)
{
    HMODULE module = AfxGetResourceHandle();
    switch (kind) {
    case WIZARD_NEXT: button.SetIcon(IDI_SKIN_NEXT); break;
    case WIZARD_BACK:
        button.SetIcon(IDI_SKIN_BACK);
        button.SetAlign(CSkinButton::ALIGN_IMAGE_RIGHT);
        break;
    case WIZARD_STOP: button.SetIcon(IDI_SKIN_STOP); break;
    case WIZARD_HOME:
        button.SetBitmaps(IDB_SKIN_HOME, SKIN_HOME_KEY);
        button.SetTransparent();
        break;
    }
    if (kind != WIZARD_HOME) {
        button.OffsetColor(CSkinButton::COLOR_BK_ACTIVE, 30);
        button.SetColor(CSkinButton::COLOR_FG_ACTIVE, kind == WIZARD_STOP ? 0x0000E4 : 0x008000);
    }
    button.SetSound(MAKEINTRESOURCEW(IDW_SKIN_HOVER), module);
}
