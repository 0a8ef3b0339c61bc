// The skinned dialogs: each skin bitmap covers its dialog's client area, so the erase leaves nothing of the
// client unpainted, with the dialog fonts the program really gets.
#include "app/about_dlg.h"
#include "app/filter_dlg.h"
#include "app/message_dlg.h"
#include "app/properties_dlg.h"
#include "app/search_dlg.h"
#include "app_res.h"
#include "results_fixture.h"
#include "tool_dialogs_res.h"

#include <functional>

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

SIZE BitmapSize(UINT id)
{
    HBITMAP bitmap = static_cast<HBITMAP>(
        ::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    BITMAP bm{};
    if (bitmap) {
        ::GetObjectW(bitmap, sizeof bm, &bm);
        ::DeleteObject(bitmap);
    }
    return SIZE{bm.bmWidth, bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight};
}

TEST(DialogSkins, EachSkinIsAtLeastItsDialogsClientArea)
{
    const struct {
        const char* name;
        UINT dialog, skin;
    } cases[] = {
        {"message", IDD_MESSAGE, IDB_MESSAGE_SKIN},       {"progress", IDD_PROGRESS_WAIT, IDB_MESSAGE_SKIN},
        {"about", IDD_ABOUTBOX, IDB_ABOUT_SKIN},         {"search", IDD_SEARCH, IDB_SEARCH_SKIN},
        {"filter", IDD_FILE_FILTER, IDB_FILTER_SKIN},    {"properties", IDD_PROPERTIES, IDB_PROPERTIES_SKIN},
        {"save", IDD_SAVE_PROGRESS, IDB_SAVE_PROGRESS_SKIN}, {"saving", IDD_SAVING, IDB_SAVING_SKIN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HWND dlg = ::CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(c.dialog), nullptr, PlainDialogProc, 0);
        ASSERT_TRUE(dlg);
        RECT client{};
        ::GetClientRect(dlg, &client);
        ::DestroyWindow(dlg);
        const SIZE skin = BitmapSize(c.skin);
        EXPECT_GT(client.right, 0);
        EXPECT_LE(client.right, skin.cx);
        EXPECT_LE(client.bottom, skin.cy);
    }
}

// The real dialogs, erased onto a canvas of a colour no skin has: none of it may be left.
class DialogSkinPaint : public resultstest::ResultsFixture {
protected:
    // Runs the dialog modally and erases its client area onto a fresh canvas while it is up.
    void ExpectCovered(const char* name, CDialog& dialog)
    {
        SCOPED_TRACE(name);
        const COLORREF kUnpainted = RGB(255, 0, 255);
        int uncovered = -1;
        RECT client{};
        headless::AnswerNextModal([&](HWND box) {
            ::GetClientRect(box, &client);
            HDC screen = ::GetDC(nullptr);
            HDC dc = ::CreateCompatibleDC(screen);
            HBITMAP canvas = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
            ::ReleaseDC(nullptr, screen);
            HGDIOBJ old = ::SelectObject(dc, canvas);
            HBRUSH fill = ::CreateSolidBrush(kUnpainted);
            ::FillRect(dc, &client, fill);
            ::DeleteObject(fill);
            ::SendMessageW(box, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
            uncovered = 0;
            for (int y = 0; y < client.bottom; ++y)
                for (int x = 0; x < client.right; ++x)
                    uncovered += ::GetPixel(dc, x, y) == kUnpainted;
            ::SelectObject(dc, old);
            ::DeleteObject(canvas);
            ::DeleteDC(dc);
            ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        });
        dialog.DoModal();
        EXPECT_GT(client.right, 0);
        EXPECT_EQ(uncovered, 0) << client.right << " x " << client.bottom;
    }
};

TEST_F(DialogSkinPaint, TheSkinCoversTheWholeClientArea)
{
    CAboutDlg about;
    ExpectCovered("about", about);
    CSkinMessageDlg message(u"text", 0);
    ExpectCovered("message", message);
    CSearchDlg search(&tree);
    ExpectCovered("search", search);
    CFilterDlg filter(&tree);
    ExpectCovered("filter", filter);
    ItemProperties item;
    item.name = u"a.txt";
    CPropertiesDlg properties(item);
    ExpectCovered("properties", properties);
}

} // namespace
