// Page 2 of the wizard: the scan and its progress.
#include "app/second_view_hdd.h"

IMPLEMENT_DYNCREATE(CSecondView_HDD, CView)

void CSecondView_HDD::OnDraw(CDC*) {}
