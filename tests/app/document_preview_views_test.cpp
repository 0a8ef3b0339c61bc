// The document's Access database through the program: a found ".mdb" file previewed by the frame opens in the
// document, fills the viewer's tree beside the record list under the application's splitter bar, and a damaged
// one is reported and shown as damaged.
#include "tests/app/app_fixture.h"

#include "app/ex_style_doc.h"
#include "app/document_preview_views.h"
#include "app/splitter_bar.h"
#include "preview/main_preview_view.h"
#include "preview/mdb_view.h"
#include "support/support.h"

#include <cstdlib>
#include <fstream>

namespace {

class PreviewDatabase : public AppFixture {
protected:
    void SetUp() override { ASSERT_TRUE(StartApp()); }
};

TEST_F(PreviewDatabase, AFoundDatabaseOpensInTheDocumentAndFillsTheViewer)
{
    std::string path = testsupport::ScratchDir() + "/found.mdb";
    ASSERT_EQ(std::system(("python3 " + testsupport::FixturesDir() + "/make_mdb.py sample " + path).c_str()), 0);
    m_frame->PreviewItem(CString(path.c_str()), u".mdb");
    headless::PumpUntilIdle();
    EXPECT_EQ(m_frame->PreviewOkFlag, 1);
    auto* viewer = dynamic_cast<CMDB_View*>(m_frame->m_pPreviewView->m_pMdbView);
    ASSERT_NE(viewer, nullptr);
    auto* doc = dynamic_cast<CEx_StyleDoc*>(m_frame->GetActiveDocument());
    ASSERT_NE(doc, nullptr);
    ASSERT_NE(doc->m_pDatabase, nullptr);
    EXPECT_TRUE(doc->m_pDatabase->IsOpen());
    EXPECT_EQ(doc->m_pDaoTreeView, viewer->m_pTreeView);
    EXPECT_EQ(doc->m_pMdbListView, viewer->m_pListView);
    ASSERT_NE(viewer->m_splitter, nullptr);
    EXPECT_NE(dynamic_cast<CSplitterBar*>(viewer->m_splitter->GetWnd()), nullptr);
    // Shown as soon as the results page is (the page is hidden here).
    for (CWnd* wnd : {viewer->m_splitter->GetWnd(), (CWnd*)viewer->m_pTreeView, (CWnd*)viewer->m_pListView})
        EXPECT_TRUE(wnd->GetStyle() & WS_VISIBLE);
    CTreeCtrl& tree = viewer->m_pTreeView->GetTreeCtrl();
    HTREEITEM tables = tree.GetChildItem(tree.GetRootItem());
    HTREEITEM customers = tree.GetChildItem(tables);
    EXPECT_EQ(tree.GetItemText(customers), CString(u"Customers"));
    // The tree's notifications reach it through the splitter bar, its parent now.
    tree.SelectItem(customers);
    headless::PumpUntilIdle();
    EXPECT_EQ(viewer->m_pListView->m_pList->GetItemCount(), 3);

    // The next file drops the viewer; the views leave the document with it.
    m_frame->PreviewItem(u"", u"");
    headless::PumpUntilIdle();
    EXPECT_EQ(doc->m_pDaoTreeView, nullptr);
    EXPECT_EQ(doc->m_pMdbListView, nullptr);

    // A damaged database is reported, keeps the open one, and shows the damaged-file page.
    std::string bad = testsupport::ScratchDir() + "/bad.mdb";
    std::ofstream(bad) << "Standard Jet DB";
    CDocDatabase* before = doc->m_pDatabase;
    int reports = 0;
    headless::AnswerNextModal([&](HWND box) {
        ++reports;
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    m_frame->PreviewItem(CString(bad.c_str()), u".mdb");
    headless::PumpUntilIdle();
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(m_frame->PreviewOkFlag, 0);
    EXPECT_EQ(m_frame->PreviewableFlag, 1);
    EXPECT_NE(m_frame->m_pPreviewView->m_pNoPreviewView, nullptr);
    EXPECT_EQ(doc->m_pDatabase, before);
}

} // namespace
