// Painting a wizard dialog's skin: the program's skin picture over a white body.
#include "app/dialog_skin.h"

#include "app/message_dlg.h"

BOOL PaintDialogSkin(CWnd* dialog, CDC* dc, UINT bitmapId)
{
    CDialogSkin skin(bitmapId);
    if (!skin.Bitmap())
        return FALSE;
    CRect client;
    dialog->GetClientRect(&client);
    dc->FillSolidRect(&client, RGB(255, 255, 255));
    return skin.Paint(dc);
}
