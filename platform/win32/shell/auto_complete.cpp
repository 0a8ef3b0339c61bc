// Shell auto-complete of edit windows, which the layer does not offer: callers keep a plain edit.
#include "win32/shell.h"

HRESULT SHAutoComplete(HWND, DWORD)
{
    return E_FAIL;
}
