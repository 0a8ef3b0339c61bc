// The MDI tab client's refresh request.
#include "toolkit/docking/tab_client_wnd.h"

IMPLEMENT_DYNAMIC(CTKPTabClientWnd, CWnd)

void CTKPTabClientWnd::Refresh()
{
    m_bRefreshPending = TRUE;
}
