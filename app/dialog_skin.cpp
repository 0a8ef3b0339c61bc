// Painting a dialog's skin.
#include "app/dialog_skin.h"

BOOL PaintDialogSkin(CWnd* dialog, CDC* dc, UINT bitmapId)
{
    CBitmap skin;
    CDC memory;
    if (!skin.LoadBitmap(bitmapId) || !memory.CreateCompatibleDC(dc))
        return FALSE;
    BITMAP info{};
    skin.GetBitmap(&info);
    CRect client;
    dialog->GetClientRect(&client);
    dc->FillSolidRect(&client, RGB(255, 255, 255));
    CBitmap* old = memory.SelectObject(&skin);
    dc->BitBlt(0, 0, info.bmWidth, info.bmHeight, &memory, 0, 0, SRCCOPY);
    memory.SelectObject(old);
    return TRUE;
}
