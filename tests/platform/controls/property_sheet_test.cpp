// Property sheets: pages from templates, page changes, OK, Apply and Cancel, modal runs, bad input.
#include "platform/controls/control_fixture.h"

#include <cstring>
#include <string>

using namespace ctltest;

namespace {

// A page template in memory: a caption, the dialog font and one push button.
std::vector<WORD> PageTemplate(const char16_t* caption, short cx, short cy)
{
    std::vector<WORD> t;
    auto dword = [&](DWORD d) {
        t.push_back((WORD)(d & 0xFFFF));
        t.push_back((WORD)(d >> 16));
    };
    auto str = [&](const char16_t* s) {
        for (; *s; ++s)
            t.push_back((WORD)*s);
        t.push_back(0);
    };
    dword(WS_CHILD | WS_CAPTION | DS_SETFONT | DS_3DLOOK);
    dword(0);
    t.push_back(1);
    for (short v : {(short)0, (short)0, cx, cy})
        t.push_back((WORD)v);
    t.push_back(0);
    t.push_back(0);
    str(caption);
    t.push_back(9);
    str(u"MS Shell Dlg");
    if (t.size() % 2)
        t.push_back(0);
    dword(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON);
    dword(0);
    for (short v : {(short)7, (short)7, (short)50, (short)14})
        t.push_back((WORD)v);
    t.push_back(1001);
    t.push_back(0xFFFF);
    t.push_back(0x0080);
    str(u"Push");
    t.push_back(0);
    return t;
}

struct PageNote {
    int page;
    UINT code;
    LPARAM lParam;
    bool operator==(const PageNote& o) const { return page == o.page && code == o.code; }
};

struct Recorder {
    std::vector<PageNote> notes;
    std::map<int, LRESULT> answers; // by notification code, for every page
    std::map<int, HWND> pages;
    std::vector<LPARAM> initParams;
};
Recorder* g_rec = nullptr;

INT_PTR CALLBACK PageProc(HWND dlg, UINT msg, WPARAM, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        auto* psp = (PROPSHEETPAGEW*)lParam;
        SetWindowLongPtrW(dlg, DWLP_USER, psp->lParam);
        g_rec->pages[(int)psp->lParam] = dlg;
        g_rec->initParams.push_back(psp->lParam);
        return TRUE;
    }
    if (msg == WM_NOTIFY) {
        auto* nm = (PSHNOTIFY*)lParam;
        int page = (int)GetWindowLongPtrW(dlg, DWLP_USER);
        g_rec->notes.push_back({page, nm->hdr.code, nm->lParam});
        auto it = g_rec->answers.find((int)nm->hdr.code);
        SetWindowLongPtrW(dlg, DWLP_MSGRESULT, it == g_rec->answers.end() ? 0 : it->second);
        return TRUE;
    }
    return FALSE;
}

std::vector<UINT> g_callbacks;
UINT CALLBACK PageCallback(HWND, UINT msg, PROPSHEETPAGEW* p)
{
    g_callbacks.push_back(msg);
    return p->lParam == 99 && msg == PSPCB_CREATE ? 0 : 1;
}

class SheetTest : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        g_rec = &rec_;
        g_callbacks.clear();
        templates_ = {PageTemplate(u"Alpha", 200, 120), PageTemplate(u"Beta", 160, 150)};
    }
    void TearDown() override
    {
        if (sheet_ && IsWindow(sheet_))
            DestroyWindow(sheet_);
        g_rec = nullptr;
        ControlTest::TearDown();
    }
    PROPSHEETPAGEW Page(int index, DWORD flags = 0)
    {
        PROPSHEETPAGEW p{};
        p.dwSize = sizeof p;
        p.dwFlags = PSP_DLGINDIRECT | flags;
        p.pResource = (LPCDLGTEMPLATEW)templates_[(size_t)index % templates_.size()].data();
        p.pfnDlgProc = PageProc;
        p.lParam = index;
        p.pszTitle = u"Custom title";
        p.pfnCallback = PageCallback;
        return p;
    }
    PROPSHEETHEADERW Header(std::vector<PROPSHEETPAGEW>& pages, DWORD flags)
    {
        PROPSHEETHEADERW h{};
        h.dwSize = sizeof h;
        h.dwFlags = PSH_PROPSHEETPAGE | flags;
        h.hwndParent = parent_;
        h.pszCaption = u"Sheet";
        h.nPages = (UINT)pages.size();
        h.ppsp = pages.data();
        return h;
    }
    HWND Modeless(std::vector<PROPSHEETPAGEW> pages, DWORD flags = 0)
    {
        pages_ = std::move(pages);
        PROPSHEETHEADERW h = Header(pages_, flags | PSH_MODELESS);
        sheet_ = (HWND)PropertySheetW(&h);
        headless::PumpUntilIdle();
        return sheet_;
    }
    LRESULT Psm(UINT msg, WPARAM w = 0, LPARAM l = 0) { return SendMessageW(sheet_, msg, w, l); }
    std::vector<PageNote> TakeNotes()
    {
        headless::PumpUntilIdle();
        return std::exchange(rec_.notes, {});
    }
    std::u16string TabText(int i)
    {
        WCHAR buf[64] = {};
        TCITEMW it{};
        it.mask = TCIF_TEXT;
        it.pszText = buf;
        it.cchTextMax = 64;
        SendMessageW((HWND)Psm(PSM_GETTABCONTROL), TCM_GETITEMW, (WPARAM)i, (LPARAM)&it);
        return buf;
    }

    Recorder rec_;
    std::vector<std::vector<WORD>> templates_;
    std::vector<PROPSHEETPAGEW> pages_;
    HWND sheet_ = nullptr;
};

TEST_F(SheetTest, PagesAreMadeWhenFirstShownAndTheLeftPageMayRefuse)
{
    ASSERT_TRUE(Modeless({Page(0), Page(1, PSP_USETITLE)}));
    EXPECT_EQ(u"Alpha", TabText(0)) << "the template's caption";
    EXPECT_EQ(u"Custom title", TabText(1));
    EXPECT_EQ(std::vector<LPARAM>{0}, rec_.initParams) << "only the start page exists yet";
    EXPECT_EQ(std::vector<PageNote>{(PageNote{0, PSN_SETACTIVE, 0})}, TakeNotes());
    EXPECT_EQ((LRESULT)rec_.pages[0], Psm(PSM_GETCURRENTPAGEHWND));
    EXPECT_NE(nullptr, GetDlgItem(sheet_, IDC_PROPSHEET_APPLY));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet_, IDC_PROPSHEET_APPLY))) << "nothing changed yet";

    // A page fits the pane below the tabs.
    RECT page, tab;
    GetWindowRect(rec_.pages[0], &page);
    GetWindowRect((HWND)Psm(PSM_GETTABCONTROL), &tab);
    EXPECT_TRUE(page.left > tab.left && page.right < tab.right && page.bottom < tab.bottom);

    EXPECT_TRUE(Psm(PSM_SETCURSEL, 1, 0));
    EXPECT_EQ((std::vector<PageNote>{{0, PSN_KILLACTIVE, 0}, {1, PSN_SETACTIVE, 0}}), TakeNotes());
    EXPECT_TRUE(IsWindowVisible(rec_.pages[1]));
    EXPECT_FALSE(IsWindowVisible(rec_.pages[0]));

    rec_.answers[(int)PSN_KILLACTIVE] = TRUE;
    RECT first{};
    SendMessageW((HWND)Psm(PSM_GETTABCONTROL), TCM_GETITEMRECT, 0, (LPARAM)&first);
    headless::Click((HWND)Psm(PSM_GETTABCONTROL), {first.left + 4, first.top + 4});
    EXPECT_EQ((std::vector<PageNote>{{1, PSN_KILLACTIVE, 0}}), TakeNotes());
    EXPECT_EQ((LRESULT)rec_.pages[1], Psm(PSM_GETCURRENTPAGEHWND)) << "the page kept the sheet";
    rec_.answers.clear();
    headless::Click((HWND)Psm(PSM_GETTABCONTROL), {first.left + 4, first.top + 4});
    headless::PumpUntilIdle();
    EXPECT_EQ((LRESULT)rec_.pages[0], Psm(PSM_GETCURRENTPAGEHWND));

    EXPECT_EQ(1, Psm(PSM_HWNDTOINDEX, (WPARAM)rec_.pages[1]));
    EXPECT_EQ((LRESULT)rec_.pages[1], Psm(PSM_INDEXTOHWND, 1));
    EXPECT_EQ(0, Psm(PSM_INDEXTOHWND, 7));
}

struct EndCase {
    const char* name;
    int button;                  // PSBTN_
    std::map<int, LRESULT> answers;
    std::vector<PageNote> notes; // after both pages exist, page 1 current
    bool ended;
    INT_PTR result;
};

class SheetEnds : public SheetTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(SheetEnds, ButtonsTellEveryMadePage)
{
    const EndCase& c = GetParam();
    ASSERT_TRUE(Modeless({Page(0), Page(1), Page(0)}));
    Psm(PSM_SETCURSEL, 1, 0);
    Psm(PSM_CHANGED, (WPARAM)rec_.pages[1]);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet_, IDC_PROPSHEET_APPLY)));
    TakeNotes();
    rec_.answers = c.answers;
    Psm(PSM_PRESSBUTTON, (WPARAM)c.button);
    auto notes = TakeNotes();
    EXPECT_EQ(c.notes, notes);
    EXPECT_EQ(c.ended, Psm(PSM_GETCURRENTPAGEHWND) == 0);
    if (c.ended) {
        EXPECT_EQ(c.result, Psm(PSM_GETRESULT));
    }
    if (c.button == PSBTN_OK && c.ended) {
        EXPECT_EQ(TRUE, notes[1].lParam) << "PSN_APPLY says it comes from OK";
    }
    if (c.button == PSBTN_APPLYNOW) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet_, IDC_PROPSHEET_APPLY))) << "applied";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sheet, SheetEnds,
    ::testing::Values(
        EndCase{"ok", PSBTN_OK, {}, {{1, PSN_KILLACTIVE, 0}, {0, PSN_APPLY, 0}, {1, PSN_APPLY, 0}}, true, 1},
        EndCase{"ok_refused_by_page",
                PSBTN_OK,
                {{(int)PSN_APPLY, PSNRET_INVALID_NOCHANGEPAGE}},
                {{1, PSN_KILLACTIVE, 0}, {0, PSN_APPLY, 0}},
                false,
                0},
        EndCase{"ok_with_invalid_input", PSBTN_OK, {{(int)PSN_KILLACTIVE, TRUE}}, {{1, PSN_KILLACTIVE, 0}}, false, 0},
        EndCase{"apply", PSBTN_APPLYNOW, {}, {{1, PSN_KILLACTIVE, 0}, {0, PSN_APPLY, 0}, {1, PSN_APPLY, 0}}, false, 0},
        EndCase{"cancel", PSBTN_CANCEL, {}, {{1, PSN_QUERYCANCEL, 0}, {0, PSN_RESET, 0}, {1, PSN_RESET, 0}}, true, 0},
        EndCase{"cancel_refused", PSBTN_CANCEL, {{(int)PSN_QUERYCANCEL, TRUE}}, {{1, PSN_QUERYCANCEL, 0}}, false, 0}),
    [](const auto& i) { return std::string(i.param.name); });

// The sheet's own template has no place: it opens over the middle of its owner.
TEST_F(SheetTest, TheSheetOpensCentredOverItsOwner)
{
    SetWindowPos(parent_, nullptr, 150, 100, 600, 500, SWP_NOZORDER);
    ShowWindow(parent_, SW_SHOWNA);
    ASSERT_NE(Modeless({Page(0), Page(1)}), nullptr);
    RECT owner, sheet;
    GetWindowRect(parent_, &owner);
    GetWindowRect(sheet_, &sheet);
    EXPECT_NEAR((sheet.left + sheet.right) / 2, (owner.left + owner.right) / 2, 1);
    EXPECT_NEAR((sheet.top + sheet.bottom) / 2, (owner.top + owner.bottom) / 2, 1);
}

TEST_F(SheetTest, ModalSheetReturnsWhatTheUserChose)
{
    for (auto [button, want] : {std::pair<int, INT_PTR>{IDOK, 1}, {IDCANCEL, 0}}) {
        pages_ = {Page(0), Page(1)};
        PROPSHEETHEADERW h = Header(pages_, PSH_NOAPPLYNOW);
        HWND seen = nullptr;
        bool ownerDisabled = false, hasApply = true;
        headless::AnswerNextModal([&, button = button](HWND sheet) {
            seen = sheet;
            ownerDisabled = !IsWindowEnabled(parent_);
            hasApply = GetDlgItem(sheet, IDC_PROPSHEET_APPLY) != nullptr;
            headless::Click(GetDlgItem(sheet, button), {5, 5});
        });
        EXPECT_EQ(want, PropertySheetW(&h)) << button;
        EXPECT_TRUE(ownerDisabled);
        EXPECT_FALSE(hasApply);
        EXPECT_TRUE(IsWindowEnabled(parent_));
        EXPECT_FALSE(IsWindow(seen)) << "a modal sheet is gone when it returns";
    }
}

TEST_F(SheetTest, PageCallbacksAndBadInput)
{
    // A page whose callback refuses creation is left out; the next takes its place.
    {
        PROPSHEETPAGEW refused = Page(0, PSP_USECALLBACK);
        refused.lParam = 99;
        ASSERT_TRUE(Modeless({refused, Page(1, PSP_USECALLBACK)}));
        EXPECT_EQ(1, Psm(PSM_GETTABCONTROL) ? SendMessageW((HWND)Psm(PSM_GETTABCONTROL), TCM_GETITEMCOUNT, 0, 0) : -1);
        EXPECT_EQ(std::vector<LPARAM>{1}, rec_.initParams);
        DestroyWindow(sheet_);
        EXPECT_EQ((std::vector<UINT>{PSPCB_ADDREF, PSPCB_ADDREF, PSPCB_CREATE, PSPCB_RELEASE, PSPCB_CREATE,
                                     PSPCB_RELEASE}),
                  g_callbacks);
    }

    PROPSHEETPAGEW p = Page(0);
    HPROPSHEETPAGE h = CreatePropertySheetPageW(&p);
    ASSERT_NE(nullptr, h);
    EXPECT_TRUE(DestroyPropertySheetPage(h));
    EXPECT_FALSE(DestroyPropertySheetPage(h)) << "a destroyed page is refused";
    p.dwSize = 8;
    EXPECT_EQ(nullptr, CreatePropertySheetPageW(&p));

    std::vector<PROPSHEETPAGEW> many(101, Page(0));
    PROPSHEETHEADERW big = Header(many, PSH_MODELESS);
    EXPECT_EQ(-1, PropertySheetW(&big)) << "more pages than a sheet holds";
    PROPSHEETHEADERW small = Header(pages_, PSH_MODELESS);
    small.dwSize = 12;
    EXPECT_EQ(-1, PropertySheetW(&small));
    EXPECT_EQ(-1, PropertySheetW(nullptr));
    std::vector<PROPSHEETPAGEW> broken{Page(0)};
    broken[0].dwSize = 3;
    PROPSHEETHEADERW bad = Header(broken, PSH_MODELESS);
    EXPECT_EQ(-1, PropertySheetW(&bad)) << "a page structure of no size";
}

TEST_F(SheetTest, PagesComeAndGoWhileTheSheetIsOpen)
{
    ASSERT_TRUE(Modeless({Page(0), Page(1)}));
    HWND tab = (HWND)Psm(PSM_GETTABCONTROL);
    PROPSHEETPAGEW extra = Page(2, PSP_USETITLE);
    extra.pszTitle = u"Added";
    HPROPSHEETPAGE added = CreatePropertySheetPageW(&extra);
    ASSERT_TRUE(Psm(PSM_ADDPAGE, 0, (LPARAM)added));
    EXPECT_EQ(3, SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ(u"Added", TabText(2));
    EXPECT_EQ(2, Psm(PSM_PAGETOINDEX, 0, (LPARAM)added));
    EXPECT_FALSE(Psm(PSM_ADDPAGE, 0, (LPARAM)added)) << "a page is in a sheet once";

    // Ctrl+Tab walks the pages and wraps; Ctrl+Shift+Tab walks back.
    struct {
        bool shift;
        int page;
    } steps[] = {{false, 1}, {false, 2}, {false, 0}, {true, 2}};
    for (auto& st : steps) {
        headless::KeyDown(VK_CONTROL);
        if (st.shift)
            headless::KeyDown(VK_SHIFT);
        headless::PumpUntilIdle();
        MSG m{(HWND)Psm(PSM_GETCURRENTPAGEHWND), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
        EXPECT_TRUE(Psm(PSM_ISDIALOGMESSAGE, 0, (LPARAM)&m));
        if (st.shift)
            headless::KeyUp(VK_SHIFT);
        headless::KeyUp(VK_CONTROL);
        headless::PumpUntilIdle();
        EXPECT_EQ((LRESULT)rec_.pages[st.page], Psm(PSM_GETCURRENTPAGEHWND)) << st.page;
    }

    // Removing the page on show moves to a neighbour and frees the page.
    HWND gone = rec_.pages[2];
    EXPECT_TRUE(Psm(PSM_REMOVEPAGE, 2, 0));
    EXPECT_FALSE(IsWindow(gone));
    EXPECT_EQ((LRESULT)rec_.pages[1], Psm(PSM_GETCURRENTPAGEHWND));
    EXPECT_EQ(2, SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
    EXPECT_FALSE(DestroyPropertySheetPage(added)) << "the sheet released it";
    EXPECT_FALSE(Psm(PSM_REMOVEPAGE, 5, 0));
}

} // namespace
