// The document view through the pane: text, source and rich text shown read-only, PDF pages rendered,
// failures as damaged files (Word documents: word_document_test.cpp).
#include "preview/preview_fixture.h"

#include "preview/document_view.h"
#include "preview/no_preview_view.h"
#include "preview/pdf_viewer_control.h"
#include "res/preview/preview_res.h"
#include "preview/archive/archive_writers.h"
#include "support/pdf_samples.h"

namespace {

using archive_test::Gzip;

// Pages of 144 × 72 points with their left square filled red.
std::string WritePdf(int pages) { return pdf_samples::WritePdf(pages, 144, 72, "1 0 0 rg 0 0 72 72 re f"); }

std::u16string RichText(CMainPreviewView* pane)
{
    auto* view = static_cast<CAdobeReaderView*>(pane->m_pDocumentView);
    if (!view || !::IsWindow(view->m_richEdit.m_hWnd))
        return u"<none>";
    return headless::Text(view->m_richEdit.m_hWnd);
}

} // namespace

TEST_F(PreviewPaneTest, DocumentKindsAndTheirOutcome)
{
    struct {
        const char* file;
        std::string bytes;
        const char16_t* extension;
        std::u16string text;   // the rich edit's text, "<none>" without one
        bool noPreview;        // whether the no-preview viewer is added
        UINT picture;          // the picture it would show
        std::u16string message = u""; // the error the user is shown
    } cases[] = {
        {"Notes.TXT", "\xEF\xBB\xBFhello\nworld", u".TXT", u"hello\r\nworld", false, 0},
        {"main.cpp", "int main() {}\n", u".cpp", u"int main() {}\r\n", false, 0},
        {"config.ini", "", u".ini", u"", false, 0},
        {"letter.rtf", "{\\rtf1 hello}", u".rtf", u"hello", false, 0},
        {"empty.rtf", "", u".rtf", u"", true, IDB_PREVIEW_DAMAGED},
        // A document the viewer cannot open is said so, as when there is no viewer at all.
        {"manual.pdf", "%PDF-1.4", u".pdf", u"<none>", false, 0, u"无法打开。     "},
        {"empty.pdf", "", u".pdf", u"<none>", false, 0, u"无法打开。     "},
        // The first member of a gzip file is read by the rule of text files: mark, UTF-8, else GBK.
        {"bom.gz", Gzip("\xEF\xBB\xBF\xE6\x81\xA2\xE5\xA4\x8D ok"), u".gz", u"恢复 ok", false, 0},
        {"utf8.gz", Gzip("\xE6\x81\xA2\xE5\xA4\x8D ok"), u".gz", u"恢复 ok", false, 0},
        {"gbk.gz", Gzip("\xBB\xD6\xB8\xB4 ok"), u".gz", u"恢复 ok", false, 0},
        {"utf16.tgz", Gzip(std::string("\xFF\xFE\x62\x60\x0D\x59", 6)), u".tgz", u"恢复", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        host.lastMessage.Empty();
        CString path = WriteFile(c.file, c.bytes);
        Preview(path, c.extension);
        ASSERT_NE(pane->m_pDocumentView, nullptr);
        EXPECT_EQ(RichText(pane), c.text);
        EXPECT_EQ(pane->m_pNoPreviewView != nullptr, c.noPreview);
        if (c.noPreview)
            EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), c.picture);
        else
            EXPECT_EQ(host.ok, 1);
        EXPECT_EQ(std::u16string((LPCWSTR)host.lastMessage), c.message);
    }
}

TEST_F(PreviewPaneTest, PdfPagesRenderAtScreenResolution)
{
    const std::string pdf = WritePdf(12);
    Preview(WriteFile("pages.pdf", pdf), u".pdf");
    auto* view = static_cast<CAdobeReaderView*>(pane->m_pDocumentView);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(pane->m_pNoPreviewView, nullptr);
    EXPECT_EQ(host.ok, 1);
    CWPViewPDFX& pdfView = view->m_pdf;
    ASSERT_EQ(pdfView.GetPageCount(), 12);
    // 144 × 72 points at 96 DPI: 192 × 96 pixels, the left half red.
    HBITMAP page = pdfView.PageBitmap(11);
    ASSERT_NE(page, nullptr);
    BITMAP info{};
    ::GetObjectW(page, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 192);
    EXPECT_EQ(std::abs(info.bmHeight), 96);
    CClientDC screen(nullptr);
    CDC mem;
    mem.CreateCompatibleDC(&screen);
    HGDIOBJ old = ::SelectObject(mem.m_hDC, page);
    EXPECT_EQ(mem.GetPixel(40, 50), RGB(255, 0, 0));
    EXPECT_EQ(mem.GetPixel(150, 50), RGB(255, 255, 255));
    ::SelectObject(mem.m_hDC, old);
    // Scrolling to the end renders the last pages; only a few stay in memory.
    ::SendMessageW(pdfView.m_hWnd, WM_VSCROLL, SB_BOTTOM, 0);
    headless::PumpUntilIdle();
    SavePicture("pdf");

    // Cut documents, a cut cross-reference table aside, and a document without pages cannot be opened.
    for (const std::string& bad : {pdf.substr(0, 40), WritePdf(0)}) {
        host.lastMessage.Empty();
        Preview(WriteFile("bad.pdf", bad), u".pdf");
        EXPECT_EQ(host.lastMessage, CString(u"无法打开。     "));
        EXPECT_EQ(host.lastMessageType, 2);
    }
}

TEST_F(PreviewPaneTest, TextIsReadOnlyAndFillsTheView)
{
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "\xB5\xDA" + std::to_string(i) + "\xD0\xD0 line of text\n"; // 第 i 行 in GBK
    // GBK for the Chinese: the file has no mark, so it is read in the program's code page.
    CString path = WriteFile("lines.txt", std::string("\xB5\xDA") + "1 gbk\n" + text);
    Preview(path, u".txt");
    auto* view = static_cast<CAdobeReaderView*>(pane->m_pDocumentView);
    ASSERT_NE(view, nullptr);
    HWND edit = view->m_richEdit.m_hWnd;
    EXPECT_EQ(headless::Text(edit).substr(0, 12), u"第1 gbk\r\n第0行 ");
    EXPECT_TRUE(GetWindowLongW(edit, GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(GetDlgCtrlID(edit), CAdobeReaderView::IDC_RICH_EDIT);
    EXPECT_EQ((HFONT)SendMessageW(edit, WM_GETFONT, 0, 0), (HFONT)view->m_pFont->GetSafeHandle());
    CRect editRect, viewRect;
    ::GetClientRect(view->m_hWnd, &viewRect);
    ::GetWindowRect(edit, &editRect);
    EXPECT_EQ(editRect.Width(), viewRect.Width());
    EXPECT_EQ(editRect.Height(), viewRect.Height());
    SavePicture("text");
}

TEST_F(PreviewPaneTest, UnreadableTextShowsNoNoPreviewViewer)
{
    // A text file that cannot be read still gets no no-preview viewer; its view stays empty.
    Preview(u"/nonexistent/file.txt", u".txt");
    EXPECT_NE(pane->m_pDocumentView, nullptr);
    EXPECT_EQ(pane->m_pNoPreviewView, nullptr);
    EXPECT_EQ(host.ok, 0);
    // A source file that cannot be read is checked, so it shows as damaged.
    Preview(u"/nonexistent/file.c", u".c");
    EXPECT_NE(pane->m_pNoPreviewView, nullptr);
    EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), (UINT)IDB_PREVIEW_DAMAGED);
}

TEST_F(PreviewPaneTest, RichEditKeepsItsOleCallbackAndItsStorages)
{
    Preview(WriteFile("a.txt", "text"), u".txt");
    auto* view = static_cast<CAdobeReaderView*>(pane->m_pDocumentView);
    ASSERT_NE(view, nullptr);
    COleRichEditCtrl& edit = view->m_richEdit;
    ASSERT_NE(edit.m_pCallback, nullptr);
    EXPECT_TRUE(edit.m_bCallbackSet);
    CRichEditOleCallback* cb = edit.m_pCallback;
    EXPECT_EQ(cb->m_dwRef, 1u) << "the control holds the only reference";

    IStorage* first = nullptr;
    IStorage* second = nullptr;
    EXPECT_EQ(cb->GetNewStorage(&first), S_OK);
    EXPECT_EQ(cb->GetNewStorage(&second), S_OK);
    EXPECT_EQ(cb->m_iNumStorages, 2);
    IStorage* found = nullptr;
    const DWORD mode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
    for (const char16_t* name : {u"REOLEStorage1", u"REOLEStorage2"}) {
        EXPECT_EQ(cb->m_pStorage->OpenStorage(name, nullptr, mode, nullptr, 0, &found), S_OK);
        found->Release();
    }
    first->Release();
    second->Release();

    void* out = nullptr;
    EXPECT_EQ(cb->QueryInterface(IID_IDispatch, &out), E_NOINTERFACE);
    EXPECT_EQ(cb->QueryInterface(IID_IRichEditOleCallback, &out), S_OK);
    EXPECT_EQ(out, static_cast<IRichEditOleCallback*>(cb));
    cb->Release();
    EXPECT_EQ(cb->m_dwRef, 1u);
}
