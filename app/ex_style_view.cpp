// Page 0 of the wizard: the choice of the scan mode.
#include "app/ex_style_view.h"

IMPLEMENT_DYNCREATE(CEx_StyleView, CView)

void CEx_StyleView::OnDraw(CDC*) {}
