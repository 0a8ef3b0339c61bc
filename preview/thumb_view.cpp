// The thumbnail view: a list in icon view whose images are the folder's pictures scaled into 160 x 120 cells.
#include "preview/thumb_view.h"

#include "afx/window_dc.h"
#include "preview/preview_image.h"

IMPLEMENT_DYNCREATE(CThumbView, CListView)
BEGIN_MESSAGE_MAP(CThumbView, CListView)
    ON_NOTIFY_REFLECT(HDN_ITEMCHANGEDW, OnHeaderItemChanged)
END_MESSAGE_MAP()

BOOL CThumbView::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.style = (cs.style & ~LVS_TYPEMASK) | LVS_ICON | LVS_AUTOARRANGE | LVS_SHOWSELALWAYS | LVS_SINGLESEL;
    return CListView::PreCreateWindow(cs);
}

void CThumbView::ResetImageList()
{
    m_imageList.DeleteImageList();
    m_imageList.Create(kThumbWidth, kThumbHeight, ILC_COLOR24, 0, 1);
    GetListCtrl().SetImageList(&m_imageList, LVSIL_NORMAL);
}

void CThumbView::OnInitialUpdate()
{
    CListView::OnInitialUpdate();
    ResetImageList();
}

void CThumbView::FillThumbnails()
{
    auto* doc = dynamic_cast<IImageFolderDocument*>(GetDocument());
    if (!doc || !GetSafeHwnd())
        return;
    CListCtrl& list = GetListCtrl();
    ResetImageList();
    list.DeleteAllItems();
    const std::vector<CString> names = doc->GetImageNames();
    const CString folder = doc->GetImageFolder();
    m_imageList.SetImageCount(UINT(names.size()));

    list.SetRedraw(FALSE);
    for (size_t i = 0; i < names.size(); ++i) {
        CString caption;
        caption.Format(u"%d", int(i) + 1);
        list.InsertItem(int(i), caption, int(i));
    }
    list.SetRedraw(TRUE);
    list.Invalidate();

    CBrush black, white;
    black.CreateSolidBrush(RGB(0, 0, 0));
    white.CreateSolidBrush(RGB(255, 255, 255));
    const CRect cell(0, 0, kThumbWidth, kThumbHeight);
    for (size_t i = 0; i < names.size(); ++i) {
        CString path;
        path.Format(u"%s\\%s", folder.GetString(), names[i].GetString());
        const int type = PreviewImageType(path);
        if (type == 0)
            continue;
        CPreviewImage image(path, type);
        if (!image.IsValid() || image.GetWidth() <= 0 || image.GetHeight() <= 0)
            continue;
        const float r = float(image.GetHeight()) / float(image.GetWidth());
        int x = 0, y = 0, width = kThumbWidth, height = kThumbHeight;
        if (r <= 0.75f) {
            height = int(r * kThumbWidth);
            y = (kThumbHeight - height) / 2;
        } else {
            width = int(kThumbHeight / r);
            x = (kThumbWidth - width) / 2;
        }
        if (!GetSafeHwnd())
            break;
        CClientDC screen(this);
        CDC memDC;
        CBitmap bitmap;
        if (!memDC.CreateCompatibleDC(&screen) || !bitmap.CreateCompatibleBitmap(&screen, kThumbWidth, kThumbHeight))
            continue;
        CBitmap* old = memDC.SelectObject(&bitmap);
        memDC.FillRect(&cell, &white);
        image.Stretch(memDC.m_hDC, x, y, width, height, SRCCOPY);
        memDC.FrameRect(&cell, &black);
        memDC.SelectObject(old);
        m_imageList.Replace(int(i), &bitmap, nullptr);
        list.RedrawItems(int(i), int(i));
    }
    list.Invalidate();
}

// Choosing a thumbnail makes its picture the document's current one.
void CThumbView::OnHeaderItemChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    if (auto* doc = dynamic_cast<IImageFolderDocument*>(GetDocument()))
        doc->SetCurrentImage(reinterpret_cast<NMHEADERW*>(pNMHDR)->iItem);
}
