// The skin of the wizard's small dialogs: their head picture on a white body.
#pragma once

#include "afx/afx.h"
#include "afx/gdi.h"

// Paints the skin bitmap at the top left over a white client area; FALSE (nothing painted) when the bitmap or a
// memory DC is missing, so the caller falls back to the default erase.
BOOL PaintDialogSkin(CWnd* dialog, CDC* dc, UINT bitmapId);
