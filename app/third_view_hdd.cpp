// Page 4 of the wizard: the found folders and files.
#include "app/third_view_hdd.h"

IMPLEMENT_DYNCREATE(CThirdView_HDD, CView)

void CThirdView_HDD::OnDraw(CDC*) {}
