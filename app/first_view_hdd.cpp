// Page 1 of the wizard: the drive and its partitions.
#include "app/first_view_hdd.h"

IMPLEMENT_DYNCREATE(CFirstView_HDD, CView)

void CFirstView_HDD::OnDraw(CDC*) {}
