// Start-up: the frame with its banner, status bar and five pages, the port, and the page switch.
#include "tests/app/app_fixture.h"

#include "app/banner_dlg.h"
#include "app/engine_ui.h"
#include "app/ex_style_view.h"
#include "controls/hover_button.h"
#include "app/file_system_view.h"
#include "app/first_view_hdd.h"
#include "app/second_view_hdd.h"
#include "app/third_view_hdd.h"
#include "engine/ui_port.h"
#include "toolkit/docking/dock_paint_manager.h"
#include "toolkit/docking/pane_splitter.h"

#include <cstdlib>

namespace {

using StartUp = AppFixture;

TEST_F(StartUp, MakesTheFrameWithItsBarsAndTheFivePagesUnderTheirIds)
{
    ASSERT_TRUE(StartApp());
    CString title;
    m_frame->GetWindowText(title);
    EXPECT_EQ(title, CString(u"Dovemark for Windows"));
    EXPECT_TRUE(m_frame->IsWindowVisible());
    EXPECT_NE(::GetDlgItem(m_frame->m_hWnd, AFX_IDW_STATUS_BAR), nullptr);
    ASSERT_NE(m_frame->m_pBannerDlg, nullptr);
    EXPECT_TRUE(m_frame->m_pBannerDlg->IsWindowVisible());
    // The task panel is only an object of the frame: no window, no group.
    EXPECT_EQ(m_frame->m_wndTaskPanel.m_hWnd, nullptr);
    EXPECT_EQ(m_frame->m_wndTaskPanel.GetGroupCount(), 0);

    CRuntimeClass* classes[] = {RUNTIME_CLASS(CEx_StyleView), RUNTIME_CLASS(CFirstView_HDD),
                                RUNTIME_CLASS(CSecondView_HDD), RUNTIME_CLASS(CFileSystemView),
                                RUNTIME_CLASS(CThirdView_HDD)};
    for (int n = 0; n < kPageCount; ++n) {
        SCOPED_TRACE(n);
        ASSERT_NE(Page(n), nullptr);
        EXPECT_TRUE(Page(n)->IsKindOf(classes[n]));
        EXPECT_EQ(Page(n)->GetDlgCtrlID(), int(kPageIdFirst + n));
        EXPECT_EQ(Page(n)->GetParent(), m_frame);
        EXPECT_EQ(Page(n)->IsWindowVisible(), n == 0);
        EXPECT_EQ(Page(n)->GetDocument(), m_frame->GetActiveDocument());
    }
    EXPECT_EQ(m_frame->GetActiveView(), Page(0));
    EXPECT_EQ(m_frame->m_pFirstPageView, Page(0));

    // The engine speaks through the application's port, served by the frame.
    ASSERT_NE(AppEngineUi(), nullptr);
    EXPECT_EQ(&EngineUi(), static_cast<IEngineUi*>(AppEngineUi()));
    EXPECT_EQ(AppEngineUi()->GetDispatchWindow(), m_frame->m_hWnd);
    EXPECT_EQ(GetMainWindowFlags(), static_cast<IMainWindowFlags*>(m_frame));
    EXPECT_FALSE(AppFolder.IsEmpty());
    EXPECT_EQ(AppFolder.Right(1), CString(u"/"));
    // The preview's text converters are looked for beside the program.
    const char* converters = std::getenv("WORDCNV_DIR");
    ASSERT_NE(converters, nullptr);
    EXPECT_EQ(CString(converters), AppFolder + u"textconv");
}

TEST_F(StartUp, TheFrameKeepsItsMinimumSizeAndTheBannerItsPlaceAtTheRight)
{
    ASSERT_TRUE(StartApp());
    m_frame->SetWindowPos(nullptr, 0, 0, 300, 200, SWP_NOZORDER | SWP_NOMOVE);
    CRect window;
    m_frame->GetWindowRect(&window);
    EXPECT_EQ(window.Width(), 875);
    EXPECT_EQ(window.Height(), 700);
    m_frame->SetWindowPos(nullptr, 0, 0, 1000, 760, SWP_NOZORDER | SWP_NOMOVE);
    CRect client, banner;
    m_frame->GetClientRect(&client);
    m_frame->m_pBannerDlg->GetWindowRect(&banner);
    m_frame->ScreenToClient(&banner);
    EXPECT_EQ(banner, CRect(client.Width() - 180, 20, client.Width() - 5, 76));
}

// The first page at the frame's minimum size and maximised: the mode buttons sit inside the painted inner
// frame under its caption, clear of the instructions; the hint line stays inside the outer frame and
// every hint the buttons show fits it.
TEST_F(StartUp, TheFirstPageKeepsItsControlsApartAtEverySize)
{
    ASSERT_TRUE(StartApp());
    auto* page = static_cast<CEx_StyleView*>(Page(0));
    for (bool maximised : {false, true}) {
        SCOPED_TRACE(maximised);
        if (maximised)
            m_frame->ShowWindow(SW_MAXIMIZE);
        else
            m_frame->SetWindowPos(nullptr, 0, 0, 875, 700, SWP_NOZORDER | SWP_NOMOVE);
        headless::PumpUntilIdle();
        CRect client;
        page->GetClientRect(&client);
        const int cx = client.Width() / 2, cy = client.Height() / 2;
        const CRect instructions(cx - 380, cy - 200, cx + 360, cy - 160), caption(cx - 60, cy - 150, cx + 60, cy - 110);
        const CRect inner(cx - 300, cy - 140, cx + 300, cy + 120);
        for (CHoverButton* button : {&page->m_quick, &page->m_tracing, &page->m_full}) {
            CRect rc, overlap;
            button->GetWindowRect(&rc);
            page->ScreenToClient(&rc);
            EXPECT_FALSE(overlap.IntersectRect(&rc, &instructions)) << rc.left;
            EXPECT_FALSE(overlap.IntersectRect(&rc, &caption)) << rc.left;
            EXPECT_EQ(overlap.IntersectRect(&rc, &inner) ? overlap : CRect(), rc) << rc.left;
        }
        CRect hint;
        page->m_hint.GetWindowRect(&hint);
        page->ScreenToClient(&hint);
        EXPECT_GE(hint.left, cx - 390);
        EXPECT_LE(hint.right, cx + 390);
        EXPECT_GE(hint.top, inner.bottom);
        CClientDC dc(&page->m_hint);
        CFont* old = dc.SelectObject(page->m_hint.GetFont());
        for (CHoverButton* button : {&page->m_quick, &page->m_tracing, &page->m_full}) {
            CRect need(0, 0, hint.Width(), 0);
            ::DrawTextW(dc.m_hDC, button->m_strHint, button->m_strHint.GetLength(), &need,
                        DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
            EXPECT_LE(need.Width(), hint.Width());
            EXPECT_LE(need.Height(), hint.Height());
        }
        dc.SelectObject(old);
    }
}

// The pane manager sits in the frame with theme 2 and no pane, and takes nothing from the pages' area.
TEST_F(StartUp, TheFrameInstallsItsPaneManagerWithoutPanes)
{
    ASSERT_TRUE(StartApp());
    CTKPPaneManager& manager = m_frame->m_paneManager;
    EXPECT_EQ(manager.GetSite(), m_frame);
    EXPECT_FALSE(manager.InstallDockingPanes(m_frame));
    EXPECT_EQ(manager.GetCurrentTheme(), 2);
    EXPECT_EQ(manager.FindPane(4001), nullptr);
    ASSERT_NE(manager.GetTopContainer(), nullptr);
    EXPECT_EQ(manager.GetTopContainer()->GetPanes().size(), 1u);

    auto pageRect = [&] {
        m_frame->RecalcLayout();
        CRect rc;
        m_frame->GetActiveView()->GetWindowRect(&rc);
        return rc;
    };
    const CRect withManager = pageRect();
    EXPECT_TRUE(manager.m_bLayoutCreated);
    // Out of the range of bar ids the manager's window takes no part in the layout.
    const LONG id = ::GetWindowLongW(manager.m_hWnd, GWL_ID);
    ::SetWindowLongW(manager.m_hWnd, GWL_ID, 0x10000);
    const CRect withoutManager = pageRect();
    ::SetWindowLongW(manager.m_hWnd, GWL_ID, id);
    EXPECT_EQ(withManager, withoutManager);
    EXPECT_GT(withManager.Width(), 0);
}

// The page shown always holds the first pane id; the others keep their own.
TEST_F(StartUp, SwitchViewTradesIdsShowsThePageAndMakesItActive)
{
    ASSERT_TRUE(StartApp());
    struct Step {
        int page;
        int expectedIds[kPageCount];
    } steps[] = {
        {3, {0xE903, 0xE901, 0xE902, 0xE900, 0xE904}},
        {1, {0xE903, 0xE900, 0xE902, 0xE901, 0xE904}},
        {1, {0xE903, 0xE900, 0xE902, 0xE901, 0xE904}}, // already shown: nothing changes
        {0, {0xE900, 0xE903, 0xE902, 0xE901, 0xE904}},
        {7, {0xE900, 0xE903, 0xE902, 0xE901, 0xE904}}, // no such page
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.page);
        m_app->SwitchView(step.page);
        for (int n = 0; n < kPageCount; ++n) {
            EXPECT_EQ(Page(n)->GetDlgCtrlID(), step.expectedIds[n]) << "page " << n;
            EXPECT_EQ(Page(n)->IsWindowVisible(), step.expectedIds[n] == 0xE900) << "page " << n;
        }
        CView* shown = m_frame->GetActiveView();
        EXPECT_EQ(shown->GetDlgCtrlID(), 0xE900);
        // The layout gives the shown page the frame's pane.
        CRect pane;
        shown->GetClientRect(&pane);
        EXPECT_GT(pane.Width(), 0);
    }
}

} // namespace
