// The preview pane: which viewer each extension reaches, the no-preview picture's rule, closing
// and laying out the viewers, and the header band.
#include "preview/preview_fixture.h"

#include "preview/no_preview_view.h"
#include "res/preview/preview_res.h"

#include <set>

namespace {

struct Slots {
    CView* CMainPreviewView::*slot;
    const char* name;
};

// Every slot that holds a live viewer, by name.
std::set<std::string> LiveSlots(CMainPreviewView* pane)
{
    const Slots all[] = {
        {&CMainPreviewView::m_pImageView, "image"},       {&CMainPreviewView::m_pHtmlView, "html"},
        {&CMainPreviewView::m_pDocumentView, "document"}, {&CMainPreviewView::m_pArchiveView, "archive"},
        {&CMainPreviewView::m_pAviView, "avi"},           {&CMainPreviewView::m_pMediaView, "media"},
        {&CMainPreviewView::m_pThumbView, "thumb"},       {&CMainPreviewView::m_pDbfView, "dbf"},
        {&CMainPreviewView::m_pMdbView, "mdb"},           {&CMainPreviewView::m_pNoPreviewView, "nopreview"},
        {&CMainPreviewView::m_pCustomHtmlView, "customhtml"}, {&CMainPreviewView::m_pDxfView, "dxf"},
        {&CMainPreviewView::m_pPsdView, "psd"},           {&CMainPreviewView::m_pLargeFileView, "large"},
        {&CMainPreviewView::m_pPictureView, "picture"},
    };
    std::set<std::string> live;
    for (const Slots& s : all)
        if (CView* v = pane->*(s.slot)) {
            EXPECT_TRUE(::IsWindow(v->m_hWnd)) << s.name;
            live.insert(s.name);
        }
    return live;
}

} // namespace

TEST(PreviewExtensions, SixtySevenExtensionsComparedExactly)
{
    const char16_t* previewable[] = {
        u".png", u".j2k", u".jp2", u".j2c", u".jpc", u".jpeg", u".pcx", u".pnm", u".pgm", u".ppm", u".bmp",
        u".tga", u".tif", u".tiff", u".jpg", u".ico", u".emf", u".gif", u".kdoc", u".xls", u".htm", u".mht",
        u".html", u".pdf", u".rtf", u".doc", u".gz", u".tgz", u".zip", u".cab", u".rar", u".psd", u".avi",
        u".wmv", u".asf",
        u".wm", u".wma", u".wav", u".snd", u".au", u".aif", u".mpeg", u".mpg", u".m1v", u".mp2", u".mpa",
        u".mid", u".rmi", u".midi", u".dvr-ms", u".wvx", u".wmx", u".asx", u".mp3", u".dat", u".ppt", u".dbf",
        u".mdb", u".c", u".cpp", u".h", u".hpp", u".txt", u".ini", u".xml", u".dxf", u".largefile"};
    EXPECT_EQ(std::size(previewable), 67u);
    for (const char16_t* e : previewable)
        EXPECT_TRUE(CMainPreviewView::IsPreviewableExtension(u"", e)) << CStringA(e).GetString();
    for (const char16_t* e : {u".JPG", u".GZ", u"", u"jpg", u".exe", u"fileType", u".tar"})
        EXPECT_FALSE(CMainPreviewView::IsPreviewableExtension(u"", e)) << CStringA(e).GetString();
}

TEST(NoPreviewPicture, ChosenFromTheThreeWords)
{
    TestPreviewHost host;
    SetPreviewHost(&host);
    struct {
        LONG noItem, previewable, ok;
        UINT bitmap;
    } cases[] = {
        {1, 1, 0, IDB_PREVIEW_NO_ITEM}, {1, 0, 1, IDB_PREVIEW_NO_ITEM}, {0, 1, 1, IDB_PREVIEW_DAMAGED},
        {0, 0, 0, IDB_PREVIEW_DAMAGED}, {0, 1, 0, IDB_PREVIEW_DAMAGED}, {0, 0, 1, IDB_PREVIEW_UNSUPPORTED},
    };
    for (const auto& c : cases) {
        host.noItem = c.noItem;
        host.previewable = c.previewable;
        host.ok = c.ok;
        EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), c.bitmap)
            << c.noItem << c.previewable << c.ok;
    }
    SetPreviewHost(nullptr);
}

TEST_F(PreviewPaneTest, NewPaneStartsOnTheNoPreviewViewer)
{
    EXPECT_EQ(host.pane, pane);
    EXPECT_EQ(LiveSlots(pane), std::set<std::string>{"nopreview"});
    EXPECT_EQ(host.previewable, 0);
    EXPECT_EQ(host.ok, 1);
    EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), (UINT)IDB_PREVIEW_UNSUPPORTED);
    EXPECT_EQ(pane->m_pNoPreviewView->GetDlgCtrlID(), AFX_IDW_PANE_FIRST);
    SavePicture("unsupported");
    // The list's mark switches the picture at the next paint, without a new viewer.
    host.noItem = 1;
    EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), (UINT)IDB_PREVIEW_NO_ITEM);
    pane->m_pNoPreviewView->Invalidate();
    SavePicture("no_item");
}

// Kinds whose viewer is not in the program show "cannot be previewed", never "damaged".
TEST_F(PreviewPaneTest, MissingComponentsShowTheUnsupportedPicture)
{
    for (const char16_t* e : {u".xls", u".ppt",
                              u".mdb"}) {
        host.itemPath = u"\\docs\\file";
        Preview(u"c:\\tmp\\tmp0" + CString(e), e);
        SCOPED_TRACE(CStringA(e).GetString());
        EXPECT_EQ(LiveSlots(pane), std::set<std::string>{"nopreview"});
        EXPECT_EQ(host.previewable, 0);
        EXPECT_EQ(host.ok, 1);
        EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), (UINT)IDB_PREVIEW_UNSUPPORTED);
        EXPECT_TRUE(host.itemPath.IsEmpty());
    }
}

TEST_F(PreviewPaneTest, NotPreviewableAndTooLarge)
{
    host.focusCalls = 0;
    Preview(u"", u"");
    EXPECT_EQ(LiveSlots(pane), std::set<std::string>{"nopreview"});
    EXPECT_EQ(host.previewable, 0);
    EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), (UINT)IDB_PREVIEW_UNSUPPORTED);
    EXPECT_EQ(host.focusCalls, 0); // a file that is not previewable leaves the focus alone

    host.path = u"unchanged";
    host.itemPath = u"\\big.bin";
    Preview(u"largefile", u".largefile");
    EXPECT_EQ(LiveSlots(pane), std::set<std::string>{"large"});
    EXPECT_EQ(host.path, u"unchanged");
    EXPECT_EQ(host.itemPath, u"\\big.bin");
    EXPECT_EQ(host.focusCalls, 1);
    SavePicture("too_large");
}

TEST_F(PreviewPaneTest, CloseAndLayOutTheViewers)
{
    Preview(u"largefile", u".largefile");
    CView* large = pane->m_pLargeFileView;
    ASSERT_NE(large, nullptr);
    HWND hLarge = large->m_hWnd;
    pane->MoveWindow(0, 0, 300, 200);
    CRect rc;
    large->GetWindowRect(&rc);
    pane->ScreenToClient(&rc);
    CRect client;
    pane->GetClientRect(&client);
    EXPECT_EQ(rc, CRect(0, 35, client.Width(), client.Height()));
    pane->CloseChildViews();
    EXPECT_TRUE(LiveSlots(pane).empty());
    EXPECT_FALSE(::IsWindow(hLarge));
}

TEST_F(PreviewPaneTest, NoHostCreatesNothing)
{
    pane->CloseChildViews();
    SetPreviewHost(nullptr);
    pane->DispatchPreview(u"x.largefile", u".largefile");
    pane->DispatchPreview(u"x.exe", u".exe");
    EXPECT_TRUE(LiveSlots(pane).empty());
}

TEST_F(PreviewPaneTest, PicturesAreCentredAndClippedEvenly)
{
    CBitmap bmp;
    ASSERT_TRUE(bmp.LoadBitmap(IDB_PREVIEW_TOO_LARGE));
    BITMAP bm{};
    bmp.GetBitmap(&bm);
    EXPECT_EQ(bm.bmWidth, 202);
    EXPECT_EQ(bm.bmHeight, 140);
    for (UINT id : {IDB_PREVIEW_DAMAGED, IDB_PREVIEW_UNSUPPORTED, IDB_PREVIEW_NO_ITEM}) {
        CBitmap b;
        EXPECT_TRUE(b.LoadBitmap(id)) << id;
    }
    // A 100 x 60 client shows the middle of the picture: its pixel (101, 70) lands at (50, 30).
    CDC mem;
    mem.CreateCompatibleDC(nullptr);
    CBitmap target;
    CClientDC screen(nullptr);
    target.CreateCompatibleBitmap(&screen, 100, 60);
    CBitmap* old = mem.SelectObject(&target);
    DrawCentredBitmap(&mem, CRect(0, 0, 100, 60), IDB_PREVIEW_TOO_LARGE);
    CDC src;
    src.CreateCompatibleDC(nullptr);
    CBitmap* oldSrc = src.SelectObject(&bmp);
    for (POINT p : {POINT{50, 30}, POINT{0, 0}, POINT{99, 59}, POINT{20, 45}})
        EXPECT_EQ(mem.GetPixel(p.x, p.y), src.GetPixel(p.x + 51, p.y + 40)) << p.x << "," << p.y;
    src.SelectObject(oldSrc);
    mem.SelectObject(old);
}

TEST_F(PreviewPaneTest, HeaderBandAndBackground)
{
    host.itemPath = u"\\文档\\报告.txt";
    CDC mem;
    mem.CreateCompatibleDC(nullptr);
    CBitmap target;
    CClientDC screen(nullptr);
    CRect client;
    pane->GetClientRect(&client);
    target.CreateCompatibleBitmap(&screen, client.Width(), client.Height());
    CBitmap* old = mem.SelectObject(&target);
    pane->OnDraw(&mem);
    EXPECT_EQ(pane->m_rcHeader.bottom, 50);
    EXPECT_EQ(mem.GetPixel(client.Width() / 2, 60), RGB(189, 211, 255));
    EXPECT_NE(mem.GetPixel(client.Width() / 2, 40), RGB(189, 211, 255));
    pane->m_bShowHeader = 0;
    pane->OnDraw(&mem);
    EXPECT_EQ(pane->m_rcHeader.bottom, 5);
    EXPECT_EQ(mem.GetPixel(client.Width() / 2, 6), RGB(189, 211, 255));
    mem.SelectObject(old);
}
