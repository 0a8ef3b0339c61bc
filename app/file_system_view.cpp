// Page 3 of the wizard: the choice among the volumes a full scan found.
#include "app/file_system_view.h"

IMPLEMENT_DYNCREATE(CFileSystemView, CView)

void CFileSystemView::OnDraw(CDC*) {}
