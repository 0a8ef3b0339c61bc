// The no-preview view: one picture, chosen from the main frame's preview words at every paint.
#include "preview/no_preview_view.h"

#include "preview/main_preview_view.h"
#include "preview/preview_host.h"
#include "res/preview/preview_res.h"

IMPLEMENT_DYNCREATE(CCorrupted_NoPreview_View, CView)

UINT CCorrupted_NoPreview_View::ChooseBitmap()
{
    IPreviewHost* host = GetPreviewHost();
    if (!host)
        return IDB_PREVIEW_UNSUPPORTED;
    if (host->GetNoPreviewItemFlag())
        return IDB_PREVIEW_NO_ITEM;
    if (host->GetPreviewableFlag() || host->GetPreviewOkFlag() == 0)
        return IDB_PREVIEW_DAMAGED;
    return IDB_PREVIEW_UNSUPPORTED;
}

void CCorrupted_NoPreview_View::OnDraw(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    DrawCentredBitmap(pDC, client, ChooseBitmap());
}
