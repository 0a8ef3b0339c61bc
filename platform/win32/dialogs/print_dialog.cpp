// PrintDlgW: the layer has no printers, so the print dialog answers as Windows does on a machine without
// one.
#include "win32/dialogs.h"
#include "win32/dialogs/dialog_template.h"
#include "win32/user.h"

using namespace dialogs;

BOOL PrintDlgW(LPPRINTDLGW lppd)
{
    SetExtendedError(0);
    if (!lppd || lppd->lStructSize != sizeof(PRINTDLGW)) {
        SetExtendedError(lppd ? CDERR_STRUCTSIZE : CDERR_INITIALIZATION);
        return FALSE;
    }
    lppd->hDC = nullptr;
    if (!(lppd->Flags & (PD_RETURNDEFAULT | PD_NOWARNING)))
        ::MessageBoxW(lppd->hwndOwner, u"No printers are installed. Install a printer before you print.", u"Print",
                      MB_OK | MB_ICONEXCLAMATION);
    SetExtendedError(PDERR_NODEFAULTPRN);
    return FALSE;
}
