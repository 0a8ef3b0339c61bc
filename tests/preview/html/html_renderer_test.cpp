// The renderer in the preview pane: pages shown from local files, links, forms, scrolling and closing.
#include <sys/stat.h>

#include "preview/html/html_views.h"
#include "preview/preview_fixture.h"
#include "backend/images/image_decode.h"
#include "support/image_samples.h"
#include "support/support.h"

namespace {

class HtmlPreviewTest : public PreviewPaneTest {
protected:
    // Pages and what they name lie in one folder.
    CString Write(const std::string& name, const std::string& bytes)
    {
        if (m_dir.empty())
            m_dir = testsupport::ScratchDir();
        std::string path = m_dir + "/" + name;
        std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return CString(path.c_str());
    }
    std::string m_dir;
    CHtmlRenderer* Renderer() { return HtmlViewRenderer; }
    // The first element (depth first) whose text is `word`.
    HtmlElement* Find(HtmlElements& list, HtmlView word)
    {
        for (auto& e : list) {
            if (e->kind == kHtmlText && e->text == word)
                return e.get();
            if (HtmlElement* inner = Find(e->children, word))
                return inner;
        }
        return nullptr;
    }
    int ChildCount(HWND parent)
    {
        int count = 0;
        for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            ++count;
        return count;
    }
};

const char kPage[] =
    "<html><head><title>Sample page</title><script>alert(1)</script></head><body bgcolor=#FFFFF0>"
    "<h1>Heading</h1><p>Plain, <b>bold</b>, <i>italic</i>, <u>underlined</u> and <font color=red size=5>"
    "large red</font> text. <a href=second.html>Second page</a></p>"
    "<table border=1 cellpadding=3 width=80%><tr bgcolor=silver><th>Name<th>Size</tr>"
    "<tr><td>a.txt<td align=right>12</tr><tr><td colspan=2 align=center>spanning cell</tr></table>"
    "<ul><li>first<li>second</ul><ol><li>one<li>two</ol>"
    "<form action=second.html method=get>Name <input name=n value=me> <input type=checkbox name=c checked>"
    " <select name=s><option value=1>One<option selected>Two</select> <input type=submit value=Send></form>"
    "<img src=picture.png width=80 border=1> <img src=missing.gif>"
    "</body></html>";

TEST_F(HtmlPreviewTest, HtmlFileRendersTextTablesListsFormsAndImages)
{
    Write("picture.png", std::string(100, 'x'));
    CString path = Write("page.html", kPage);
    Preview(path, u".html");
    ASSERT_NE(pane->m_pCustomHtmlView, nullptr);
    ASSERT_NE(Renderer(), nullptr);
    EXPECT_EQ(host.ok, 1);
    HtmlDocument& doc = *Renderer()->m_pDocument;
    EXPECT_EQ(doc.m_title, u"Sample page");
    CString title;
    pane->m_pCustomHtmlView->GetWindowText(title);
    EXPECT_EQ(title, CString(u"Sample page"));
    EXPECT_EQ(doc.m_background, 0xF0FFFFu);
    EXPECT_NE(Find(doc.m_elements, u"spanning"), nullptr);
    EXPECT_EQ(Find(doc.m_elements, u"alert(1)"), nullptr);
    // Four form controls, each a child of the renderer window.
    EXPECT_EQ(ChildCount(HtmlViewDialog), 4);
    EXPECT_EQ(Renderer()->m_controls.GetRowCount(), 4);
    EXPECT_EQ(Renderer()->m_forms.GetRowCount(), 1);
    SavePicture("html_page");
}

// A 24-bit bitmap file of one colour.
std::string Bitmap(int width, int height, unsigned char r, unsigned char g, unsigned char b)
{
    const std::vector<uint8_t> file =
        image_samples::Bmp24(width, height, [&](int, int) { return uint32_t(r) << 16 | uint32_t(g) << 8 | b; });
    return std::string(file.begin(), file.end());
}

TEST_F(HtmlPreviewTest, LocalPicturesArriveAndThePageIsLaidOutAgain)
{
    Write("red.bmp", Bitmap(20, 10, 255, 0, 0));
    Write("not.gif", "not a picture");
    CString path = Write("pictures.html", "<img src=red.bmp> <img src=not.gif> <img src=red.bmp width=40>");
    Preview(path, u".html");
    ASSERT_NE(Renderer(), nullptr);
    for (int i = 0; i < 500 && Renderer()->m_images.GetFinishedCount() < 2; ++i)
        Sleep(2);
    headless::PumpUntilIdle();
    std::vector<HtmlElement*> images;
    for (auto& e : Renderer()->m_pDocument->m_elements)
        if (e->kind == kHtmlImage)
            images.push_back(e.get());
    ASSERT_EQ(images.size(), 3u);
    EXPECT_EQ(images[0]->width, 20);
    EXPECT_EQ(images[0]->height, 10);
    EXPECT_EQ(images[1]->width, kPlaceholderWidth);  // no picture: the white placeholder
    EXPECT_EQ(images[2]->width, 40);
    EXPECT_EQ(images[2]->height, 20);
    SavePicture("html_pictures");
}

// A GIF opened by itself stands on the viewer's white background at the top left, pixel for pixel; no yellow
// anywhere (that picture page is for links followed inside a page).
TEST_F(HtmlPreviewTest, AGifFileStandsOnTheViewersOwnBackground)
{
    const std::vector<uint8_t> gif = image_samples::Gif(6, 4);
    CString path = Write("sample.gif", std::string(gif.begin(), gif.end()));
    Preview(path, u".gif");
    ASSERT_NE(pane->m_pHtmlView, nullptr);
    EXPECT_EQ(host.ok, 1);
    CHtmlRenderer* renderer = static_cast<CHtmlView*>(pane->m_pHtmlView)->GetRenderer();
    ASSERT_NE(renderer, nullptr);
    for (int i = 0; i < 500 && renderer->m_images.GetFinishedCount() < 1; ++i)
        Sleep(2);
    headless::PumpUntilIdle();
    const std::string shot = m_dir + "/shot.png";
    ASSERT_TRUE(headless::SavePng(hFrame, shot));
    backend::DecodedImage screen;
    ASSERT_TRUE(backend::DecodeImageFile(shot, screen));
    auto at = [&](POINT p) { return screen.pixels[size_t(p.y) * screen.width + p.x] & 0xFFFFFF; };
    // The viewer's client area in the frame's picture (the frame's non-client area is in it too).
    CRect view;
    pane->m_pHtmlView->GetClientRect(&view);
    pane->m_pHtmlView->ClientToScreen(&view);
    CRect frameRect;
    ::GetWindowRect(hFrame, &frameRect);
    view.OffsetRect(-frameRect.left, -frameRect.top);
    // The picture is where the sample's first pixel first appears; every other pixel of the view is white.
    POINT origin{-1, -1};
    int yellow = 0;
    for (int y = view.top; y < view.bottom - 20; ++y)
        for (int x = view.left; x < view.right - 20; ++x) {
            const uint32_t c = at({x, y});
            yellow += c == 0xFFFF00;
            if (origin.x < 0 && c == (image_samples::SampleColour(0, 0) & 0xFFFFFF))
                origin = {x, y};
        }
    EXPECT_EQ(yellow, 0);
    ASSERT_GE(origin.x, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(at({origin.x + x, origin.y + y}), image_samples::SampleColour(x, y) & 0xFFFFFF) << x << "," << y;
    for (POINT p : {POINT{origin.x + 8, origin.y + 2}, POINT{origin.x, origin.y + 6},
                    POINT{view.left + 200, view.top + 150}})
        EXPECT_EQ(at(p), 0xFFFFFFu) << p.x << "," << p.y;
    SavePicture("html_gif");
}

TEST_F(HtmlPreviewTest, ClickingALinkShowsTheLinkedLocalPage)
{
    Write("second.html", "<title>Second</title><p>Arrived");
    CString path = Write("page.html", kPage);
    Preview(path, u".html");
    ASSERT_NE(Renderer(), nullptr);
    HtmlElement* link = Find(Renderer()->m_pDocument->m_elements, u"Second");
    ASSERT_NE(link, nullptr);
    ASSERT_GE(link->linkIndex, 0);
    int y = link->y - int(SendMessageW(HtmlViewDialog, WM_HTML_GETPOSY, 0, 0));
    headless::Click(HtmlViewDialog, POINT{link->x + 2, y + 2});
    headless::PumpUntilIdle();
    EXPECT_EQ(Renderer()->m_pDocument->m_title, u"Second");
    EXPECT_NE(Find(Renderer()->m_pDocument->m_elements, u"Arrived"), nullptr);
    EXPECT_EQ(Renderer()->m_history.GetRowCount(), 2);
}

TEST_F(HtmlPreviewTest, NetworkAddressesAreNeverFetched)
{
    CString path = WriteFile("page.html", "<p>stay</p>");
    Preview(path, u".html");
    ASSERT_NE(Renderer(), nullptr);
    EXPECT_FALSE(Renderer()->Navigate(u"http://127.0.0.1:9/x.html"));
    EXPECT_NE(Find(Renderer()->m_pDocument->m_elements, u"stay"), nullptr);
    std::string data;
    EXPECT_FALSE(Renderer()->FetchBinary(u"http://127.0.0.1:9/a.gif", data));
    HtmlText reply;
    EXPECT_FALSE(Renderer()->PostForm(u"http://127.0.0.1:9/f", u"a=b", reply));
}

TEST_F(HtmlPreviewTest, WheelOnAPageThatFitsDoesNothingAndLongPagesScroll)
{
    CString small = WriteFile("small.html", "<p>short</p>");
    Preview(small, u".html");
    ASSERT_NE(HtmlViewDialog, nullptr);
    EXPECT_EQ(SendMessageW(HtmlViewDialog, WM_HTML_GETMAXY, 0, 0), 0);
    // A page that fits has a maximum of 0: wheel, bar and thumb requests must not divide by it.
    SendMessageW(HtmlViewDialog, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-120)), 0);
    SendMessageW(HtmlViewDialog, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 50), 0);
    SendMessageW(HtmlViewDialog, WM_HSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(SendMessageW(HtmlViewDialog, WM_HTML_GETPOSY, 0, 0), 0);

    std::string lines;
    for (int i = 0; i < 200; ++i)
        lines += "line " + std::to_string(i) + "<br>";
    CString tall = WriteFile("tall.html", lines);
    Preview(tall, u".html");
    ASSERT_GT(SendMessageW(HtmlViewDialog, WM_HTML_GETMAXY, 0, 0), 0);
    SendMessageW(HtmlViewDialog, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-120)), 0);
    EXPECT_EQ(SendMessageW(HtmlViewDialog, WM_HTML_GETPOSY, 0, 0), 30);
    // Scrolled to the bottom, then the content shrinks: the position follows the new maximum.
    SendMessageW(HtmlViewDialog, WM_HTML_SETPOSY, 0, 100000);
    LRESULT max = SendMessageW(HtmlViewDialog, WM_HTML_GETMAXY, 0, 0);
    EXPECT_EQ(SendMessageW(HtmlViewDialog, WM_HTML_GETPOSY, 0, 0), max);
    SendMessageW(HtmlViewDialog, WM_HTML_SETCONTENT, 100, 10);
    EXPECT_EQ(SendMessageW(HtmlViewDialog, WM_HTML_GETMAXY, 0, 0), 0);
    EXPECT_EQ(SendMessageW(HtmlViewDialog, WM_HTML_GETPOSY, 0, 0), 0);
    SendMessageW(HtmlViewDialog, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(120)), 0);
}

TEST_F(HtmlPreviewTest, ClosingWhileImagesLoadDoesNotBlock)
{
    // Many images, some of them a FIFO and a device that would never end a read.
    CString fifo = Write("pipe.gif", "");
    std::string fifoPath(fifo.GetLength(), ' ');
    for (int i = 0; i < fifo.GetLength(); ++i)
        fifoPath[size_t(i)] = char(fifo[i]);
    ::unlink(fifoPath.c_str());
    ASSERT_EQ(::mkfifo(fifoPath.c_str(), 0600), 0);
    std::string page = "<img src=pipe.gif><img src=\"file:///dev/zero\">";
    for (int i = 0; i < 600; ++i)
        page += "<img src=img" + std::to_string(i) + ".gif>";
    CString path = Write("images.html", page);
    Preview(path, u".html");
    ASSERT_NE(Renderer(), nullptr);
    EXPECT_EQ(Renderer()->m_images.GetCount(), kMaxImagesPerPage);
    pane->CloseChildViews();
    headless::PumpUntilIdle();
    EXPECT_EQ(HtmlViewRenderer, nullptr);
    ::unlink(fifoPath.c_str());
}

TEST_F(HtmlPreviewTest, ImageArrivalsRelayoutAtEveryTenth)
{
    CString path = WriteFile("p.html", "<p>x</p>");
    Preview(path, u".html");
    ASSERT_NE(Renderer(), nullptr);
    std::vector<int> relaid;
    for (int finished = 1; finished <= 25; ++finished) {
        Renderer()->OnImagesLoaded(finished, 25);
        MSG msg;
        if (PeekMessageW(&msg, HtmlViewDialog, WM_HTML_RELAYOUT, WM_HTML_RELAYOUT, PM_REMOVE))
            relaid.push_back(finished);
    }
    EXPECT_EQ(relaid, (std::vector<int>{10, 20, 25}));
    CString idle(Renderer()->m_strIdle.c_str());
    EXPECT_EQ(idle.Left(6), CString(u"Ready,"));
}

struct GroupCase {
    const char* name;
    std::string bytes;
    bool shown;  // a page, else the no-preview picture
};

class HtmlGroupTest : public HtmlPreviewTest, public testing::WithParamInterface<GroupCase> {};

TEST_P(HtmlGroupTest, ShowsAPageOrTheUnavailablePicture)
{
    const GroupCase& c = GetParam();
    std::string name = c.name;
    CString path = WriteFile(name, c.bytes);
    Preview(path, CString(name.substr(name.rfind('.')).c_str()));
    if (c.shown) {
        ASSERT_NE(pane->m_pHtmlView, nullptr);
        EXPECT_EQ(host.ok, 1);
        auto* view = static_cast<CHtml_View*>(pane->m_pHtmlView);
        ASSERT_NE(view->m_pDialog, nullptr);
        // The dialog leaves the view's right and bottom 8 pixels and takes the focus.
        CRect dialog, client;
        view->m_pDialog->GetWindowRect(&dialog);
        view->GetClientRect(&client);
        EXPECT_EQ(dialog.Width(), client.Width() - 8);
        EXPECT_EQ(dialog.Height(), client.Height() - 8);
        EXPECT_EQ(GetFocus(), view->m_pDialog->m_hWnd);
        EXPECT_NE(view->GetRenderer()->m_pDocument->m_nItems, 0);
        SavePicture("html_" + name.substr(0, name.find('.')));
    } else {
        EXPECT_NE(pane->m_pNoPreviewView, nullptr);
    }
}

const std::string kMht = "MIME-Version: 1.0\r\nContent-Type: multipart/related;\r\n\tboundary=\"XYZ\"\r\n\r\n"
                         "--XYZ\r\nContent-Type: image/gif\r\nContent-Location: a.gif\r\n\r\nGIF89a\r\n"
                         "--XYZ\r\nContent-Type: text/html; charset=\"utf-8\"\r\n"
                         "Content-Transfer-Encoding: quoted-printable\r\n\r\n<p>Hello =E4=B8=AD wor=\r\nld</p>\r\n"
                         "--XYZ--\r\n";

INSTANTIATE_TEST_SUITE_P(
    Files, HtmlGroupTest,
    testing::Values(GroupCase{"page.htm", "<p>A page</p>", true}, GroupCase{"archive.mht", kMht, true},
                    GroupCase{"base64.mht",
                              "Content-Type: multipart/related; boundary=b\n\n--b\nContent-Type: text/html\n"
                              "Content-Transfer-Encoding: base64\n\nPHA+aGk8L3A+\n--b--\n",
                              true},
                    // Crafted archives: no boundary, an endless header, no html part, a boundary-only file.
                    GroupCase{"noboundary.mht", "Content-Type: multipart/related\r\n\r\n--\r\n", false},
                    GroupCase{"header.mht", "Content-Type: text/plain\r\n" + std::string(100000, 'X'), false},
                    GroupCase{"nohtml.mht",
                              "Content-Type: multipart/related; boundary=q\r\n\r\n" + [] {
                                  std::string parts;
                                  for (int i = 0; i < 3000; ++i)
                                      parts += "--q\r\nContent-Type: image/png\r\n\r\nx\r\n";
                                  return parts;
                              }(),
                              false},
                    GroupCase{"bare.mht", "--q", false}, GroupCase{"sheet.xls", "\xD0\xCF\x11\xE0", false},
                    GroupCase{"doc.kdoc", "x", false}, GroupCase{"picture.gif", "GIF89a", true}));

TEST(HtmlStringTableTest, ListsAndTablesAnswerBadIndexesSafely)
{
    EXPECT_EQ(CHtmlStringList::HashText(u"abc", 3), 6332514u);
    CHtmlStringList list;
    EXPECT_EQ(list.Add(nullptr), 0);
    EXPECT_EQ(list.Add(u"one"), 1);
    int length = 7;
    EXPECT_EQ(HtmlView(list.GetAt(-1, &length)), u"");
    EXPECT_EQ(length, 0);
    EXPECT_EQ(list.Set(1, u"x"), 0);
    CHtmlStringTable table;
    table.AddRow();
    table.AddString(0, u"a");
    table.AddString(0, u"b");
    EXPECT_EQ(table.m_nMaxColumns, 2);
    EXPECT_EQ(table.RemoveRow(table.GetRowCount()), 0);
    EXPECT_EQ(table.GetRowCount(), 1);
    EXPECT_EQ(table.GetRow(5).GetCount(), 0);
    EXPECT_EQ(table.RemoveRow(0), 1);
    EXPECT_EQ(table.GetRowCount(), 0);
}

} // namespace
