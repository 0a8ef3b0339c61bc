// Access databases: the catalog and the values read through the data access objects, the viewer's tree and
// record list through the pane, the record cap and its message, the refused delete, damaged and hostile
// files, and the reader's time limit.
#include "preview/dao_database.h"
#include "preview/dao_helpers.h"
#include "preview/mdb_reader.h"
#include "preview/mdb_view.h"
#include "preview/no_preview_view.h"
#include "preview/preview_fixture.h"
#include "res/preview/preview_res.h"
#include "support/support.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <string>
#include <vector>

namespace {

// A database written by the fixture generator: "sample" or "rows:N".
std::string MakeMdb(const std::string& kind, const std::string& name)
{
    std::string out = testsupport::ScratchDir() + "/" + name;
    std::string command = "python3 " + testsupport::FixturesDir() + "/make_mdb.py " + kind + " " + out;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return out;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

CString Wide(const std::string& s) { return CString(s.c_str()); }

// A document that opens its database as the application's does.
class DaoDoc : public CDocument, public IDaoDocument {
public:
    DaoDoc() { m_bAutoDelete = FALSE; }
    BOOL OpenDaoDatabase(LPCWSTR path) override
    {
        auto database = std::make_unique<CDaoDatabase>();
        try {
            database->Open(path);
        } catch (CDaoException* e) {
            reported.push_back(e->m_scode);
            e->Delete();
            return FALSE;
        }
        m_database = std::move(database);
        if (auto* tree = dynamic_cast<CDaoTreeView*>(m_pTree))
            tree->m_pDatabase = m_database.get();
        if (auto* list = dynamic_cast<CMDBListView*>(m_pList)) {
            list->m_pDatabase = m_database.get();
            list->ClearList();
        }
        if (auto* tree = dynamic_cast<CDaoTreeView*>(m_pTree))
            tree->FillDatabaseTree();
        return TRUE;
    }
    void SetDaoTreeView(CView* view) override { m_pTree = view; }
    void SetMdbListView(CView* view) override { m_pList = view; }
    CView* GetMdbListView() override { return m_pList; }
    void ReportDaoError(LONG scode) override { reported.push_back(scode); }

    std::unique_ptr<CDaoDatabase> m_database;
    CView* m_pTree = nullptr;
    CView* m_pList = nullptr;
    std::vector<LONG> reported;
};

class DaoHost : public TestPreviewHost {
public:
    LONG GetMaxPreviewRecords() const override { return limit; }
    LONG GetConfirmDeletes() const override { return confirm; }
    void SetStatusText(const CString& text) override { status = text; }
    LONG limit = 10000, confirm = 1;
    CString status;
};

// The children of a tree item, as texts.
std::vector<std::u16string> Children(CTreeCtrl& tree, HTREEITEM parent)
{
    std::vector<std::u16string> out;
    for (HTREEITEM h = tree.GetChildItem(parent); h; h = tree.GetNextSiblingItem(h))
        out.push_back(tree.GetItemText(h).GetString());
    return out;
}

HTREEITEM ChildNamed(CTreeCtrl& tree, HTREEITEM parent, const char16_t* name)
{
    for (HTREEITEM h = tree.GetChildItem(parent); h; h = tree.GetNextSiblingItem(h))
        if (tree.GetItemText(h) == name)
            return h;
    return nullptr;
}

struct Box {
    std::u16string caption, text;
};

// Answers the next message box with a key (with Alt held when `alt`), keeping its caption and text.
void AnswerBox(std::vector<Box>& seen, UINT key, bool alt = false)
{
    headless::AnswerNextModal([&seen, key, alt](HWND box) {
        seen.push_back({headless::Text(box), headless::Text(GetDlgItem(box, 0xFFFF))});
        if (alt)
            headless::PressKey(key, {VK_MENU});
        else
            headless::PressKey(key);
    });
}

class MdbPaneTest : public PreviewPaneTest {
protected:
    void SetUp() override { CreateFrameAndPane(&daoDoc, &host); }
    void TearDown() override
    {
        headless::ClearModalAnswers();
        PreviewPaneTest::TearDown();
        SetPreviewHost(nullptr);
        SetMdbReaderProgram("");
        SetMdbReadTimeout(20000);
    }
    CMDB_View* Viewer() { return dynamic_cast<CMDB_View*>(pane->m_pMdbView); }
    // Selects a table of the shown database's tree.
    void Select(const char16_t* table)
    {
        CTreeCtrl& tree = Viewer()->m_pTreeView->GetTreeCtrl();
        HTREEITEM tables = ChildNamed(tree, tree.GetRootItem(), u"Tables");
        HTREEITEM item = ChildNamed(tree, tables, table);
        ASSERT_NE(item, nullptr) << std::string(CStringA(table));
        tree.SelectItem(item);
        headless::PumpUntilIdle();
    }
    // Damaged files show the damaged-file picture.
    void ExpectDamaged(const std::string& what)
    {
        EXPECT_EQ(host.ok, 0) << what;
        EXPECT_EQ(host.previewable, 1) << what;
        EXPECT_NE(pane->m_pNoPreviewView, nullptr) << what;
        EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), UINT(IDB_PREVIEW_DAMAGED)) << what;
        if (CView* v = pane->m_pMdbView) {
            EXPECT_FALSE(v->IsWindowVisible()) << what;
        }
    }

    DaoHost host;
    DaoDoc daoDoc;
};

} // namespace

TEST(DaoDatabase, ReadsTheCatalogAndEveryFieldType)
{
    std::string path = MakeMdb("sample", "sample.mdb");
    CDaoDatabase db;
    db.Open(Wide(path));
    ASSERT_TRUE(db.IsOpen());
    std::vector<std::u16string> tables;
    for (int i = 0; i < db.GetTableDefCount(); ++i) {
        CDaoTableDefInfo info;
        db.GetTableDefInfo(i, info);
        tables.push_back(info.m_strName.GetString() + std::u16string(info.m_lAttributes & 0x80000002 ? u"*" : u""));
    }
    EXPECT_EQ(tables, (std::vector<std::u16string>{u"MSysObjects*", u"MSysRelationships*", u"Customers", u"Orders",
                                                   u"Hidden Settings*", u"Empty"}));
    ASSERT_EQ(db.GetQueryDefCount(), 2);
    CDaoQueryDefInfo query;
    db.GetQueryDefInfo(1, query);
    EXPECT_EQ(query.m_strName, CString(u"~sq_hidden"));
    EXPECT_EQ(query.m_nType, 5);
    ASSERT_EQ(db.GetRelationCount(), 2);
    CDaoRelationInfo relation;
    db.GetRelationInfo(0, relation);
    EXPECT_EQ(relation.m_strName, CString(u"CustomersOrders"));
    EXPECT_EQ(relation.m_strTable, CString(u"Customers"));
    EXPECT_EQ(relation.m_strForeignTable, CString(u"Orders"));

    CDaoTableDef def(&db);
    def.Open(u"customers");
    ASSERT_EQ(def.GetFieldCount(), 10);
    CDaoFieldInfo field;
    def.GetFieldInfo(9, field);
    EXPECT_EQ(field.m_strName, CString(u"City"));

    CDaoRecordset set(&db);
    set.Open(dbOpenDynaset, u"Select * From [Customers]");
    ASSERT_EQ(set.GetFieldCount(), 10);
    std::vector<std::vector<std::u16string>> rows;
    for (; !set.IsEOF(); set.MoveNext()) {
        rows.emplace_back();
        for (int j = 0; j < set.GetFieldCount(); ++j)
            rows.back().push_back(VariantText(set.GetFieldValue(j)).GetString());
    }
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (std::vector<std::u16string>{u"1", u"Alice Smith", u"1234.5", u"03 09 24", u"TRUE",
                                                    u"1.250000e-001", u"0x0A", u"-7", u"2.500000e+000", u"北京"}));
    EXPECT_EQ(rows[1][3], u"12 31 99");
    EXPECT_EQ(rows[1][9], u"NULL");
    EXPECT_EQ(rows[2], (std::vector<std::u16string>{u"3", u"NULL", u"NULL", u"NULL", u"FALSE", u"NULL", u"NULL",
                                                    u"NULL", u"NULL", u"Paris"}));
    EXPECT_THROW(set.GetFieldValue(0), CDaoException*);

    // Nothing is ever written.
    try {
        db.DeleteTableDef(u"Customers");
        ADD_FAILURE() << "deleted";
    } catch (CDaoException* e) {
        EXPECT_EQ(e->m_pErrorInfo->m_lErrorCode, kMdbErrorReadOnly);
        e->Delete();
    }
    EXPECT_EQ(ReadAll(path), ReadAll(MakeMdb("sample", "again.mdb")));
}

TEST_F(MdbPaneTest, ShowsTheTreeAndTheRecordsOfTheChosenTable)
{
    std::string path = MakeMdb("sample", "sample.mdb");
    Preview(Wide(path), u".mdb");
    EXPECT_EQ(host.ok, 1);
    ASSERT_NE(Viewer(), nullptr);
    EXPECT_TRUE(Viewer()->IsWindowVisible());
    EXPECT_EQ(host.path, Wide(path));
    CTreeCtrl& tree = Viewer()->m_pTreeView->GetTreeCtrl();
    HTREEITEM root = tree.GetRootItem();
    EXPECT_EQ(tree.GetItemText(root), CString(u"Access DataBase"));
    EXPECT_EQ(Children(tree, root), (std::vector<std::u16string>{u"Tables", u"Relations", u"QueryDefs"}));
    // System and hidden objects are left out.
    EXPECT_EQ(Children(tree, ChildNamed(tree, root, u"Tables")),
              (std::vector<std::u16string>{u"Customers", u"Orders", u"Empty"}));
    EXPECT_EQ(Children(tree, ChildNamed(tree, root, u"Relations")), std::vector<std::u16string>{u"CustomersOrders"});
    EXPECT_EQ(Children(tree, ChildNamed(tree, root, u"QueryDefs")), std::vector<std::u16string>{u"Big Customers"});

    Select(u"Customers");
    CListCtrl& list = *Viewer()->m_pListView->m_pList;
    ASSERT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.GetHeaderCtrl()->GetItemCount(), 11);
    EXPECT_EQ(list.GetItemText(1, 0), CString(u"1"));
    EXPECT_EQ(list.GetItemText(1, 2), CString(u"Bob Jones"));
    EXPECT_EQ(host.status, CString(u"Loaded 3 of 3 total records"));
    SavePicture("mdb");

    // A query item lists nothing and clears nothing.
    CTreeCtrl& t = Viewer()->m_pTreeView->GetTreeCtrl();
    t.SelectItem(t.GetChildItem(ChildNamed(t, t.GetRootItem(), u"QueryDefs")));
    headless::PumpUntilIdle();
    EXPECT_EQ(list.GetItemCount(), 3);

    // Rows that can no longer be read are reported; the list keeps the table's columns.
    std::ofstream(path, std::ios::binary | std::ios::trunc) << std::string(5 * 4096, 'x');
    Select(u"Orders");
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.GetHeaderCtrl()->GetItemCount(), 4);
    EXPECT_EQ(host.lastMessage, CString(u"Unrecognized database format.   (3343)"));
    EXPECT_EQ(host.lastMessageType, 2);
}

TEST_F(MdbPaneTest, RecordsBeyondTheLimitAreCountedAndReported)
{
    struct Case {
        int rows;
        LONG limit;
        int listed;
        bool box;
    };
    const Case cases[] = {{12000, 10000, 10000, true}, {5, 5, 5, true}, {5, 6, 5, false}};
    for (const Case& c : cases) {
        std::string path = MakeMdb("rows:" + std::to_string(c.rows), "rows.mdb");
        host.limit = c.limit;
        Preview(Wide(path), u".mdb");
        ASSERT_NE(Viewer(), nullptr);
        std::vector<Box> boxes;
        if (c.box)
            AnswerBox(boxes, VK_RETURN);
        Select(u"Numbers");
        CListCtrl& list = *Viewer()->m_pListView->m_pList;
        ASSERT_EQ(list.GetItemCount(), c.listed) << c.rows;
        CString last;
        last.Format(u"%d", c.listed - 1);
        EXPECT_EQ(list.GetItemText(c.listed - 1, 0), last);
        CString label;
        label.Format(u"row %d", c.listed - 1);
        EXPECT_EQ(list.GetItemText(c.listed - 1, 2), label);
        CString message;
        message.Format(u"Loaded %d of %d total records", c.listed, c.rows);
        EXPECT_EQ(host.status, message);
        ASSERT_EQ(boxes.size(), c.box ? 1u : 0u) << c.rows;
        if (c.box) {
            EXPECT_EQ(boxes[0].text, message.GetString());
        }
        headless::ClearModalAnswers();
    }
}

TEST_F(MdbPaneTest, TheDeleteKeySaysTheDatabaseCannotBeChanged)
{
    std::string path = MakeMdb("sample", "sample.mdb");
    for (LONG confirm : {1, 0}) {
        host.confirm = confirm;
        Preview(Wide(path), u".mdb");
        Select(u"Orders");
        std::vector<Box> boxes;
        if (confirm)
            AnswerBox(boxes, VK_RETURN);  // yes
        AnswerBox(boxes, VK_RETURN);
        CTreeCtrl& tree = Viewer()->m_pTreeView->GetTreeCtrl();
        tree.SetFocus();
        headless::PressKey(VK_DELETE);
        headless::PumpUntilIdle();
        ASSERT_EQ(boxes.size(), confirm ? 2u : 1u);
        if (confirm) {
            EXPECT_EQ(boxes[0].caption, u"DaoView - Warning");
            EXPECT_EQ(boxes[0].text, u"你确定要删除这个项目吗？");
        }
        EXPECT_EQ(boxes.back().caption, u"DaoView - Warning");
        EXPECT_EQ(boxes.back().text, u"Cannot update. Database or object is read-only.");
        HTREEITEM tables = ChildNamed(tree, tree.GetRootItem(), u"Tables");
        EXPECT_NE(ChildNamed(tree, tables, u"Orders"), nullptr);
        headless::ClearModalAnswers();
    }
    // Answering no deletes nothing and says nothing more.
    host.confirm = 1;
    std::vector<Box> boxes;
    AnswerBox(boxes, 'N', true);
    Viewer()->m_pTreeView->GetTreeCtrl().SetFocus();
    headless::PressKey(VK_DELETE);
    headless::PumpUntilIdle();
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(ReadAll(path), ReadAll(MakeMdb("sample", "again.mdb")));
}

TEST_F(MdbPaneTest, DamagedFilesShowTheDamagedPicture)
{
    const std::string good = ReadAll(MakeMdb("sample", "sample.mdb"));
    ASSERT_GT(good.size(), 5u * 4096);
    std::vector<std::pair<std::string, std::string>> files = {{"empty", ""}, {"text", "not a database"}};
    // Cut inside and at the end of each header: the signature, the version, the enciphered header, and the
    // pages of the catalog's definition and rows.
    for (size_t cut : {4u, 0x14u, 0x40u, 0x98u, 2048u, 4096u, 8192u, 8192u + 64u, 12288u, 16384u, 20000u})
        files.emplace_back("cut at " + std::to_string(cut), good.substr(0, cut));
    // A catalog definition of more columns than the library can hold.
    std::string wide = good;
    wide[2 * 4096 + 45] = char(0x2C);
    wide[2 * 4096 + 46] = char(0x01);
    files.emplace_back("300 catalog columns", wide);
    // Hostile catalogs: bytes of the catalog's definition and data pages overwritten at random.
    std::mt19937 random(7);
    for (int n = 0; n < 12; ++n) {
        std::string bad = good;
        for (int k = 0; k < 24; ++k)
            bad[2 * 4096 + random() % (3 * 4096)] = char(random());
        files.emplace_back("scrambled catalog " + std::to_string(n), bad);
    }
    for (const auto& [what, bytes] : files) {
        CString path = WriteFile("bad.mdb", bytes);
        Preview(path, u".mdb");
        if (host.ok == 1) {
            // A change the library reads past: the viewer is shown, and a table can still be chosen.
            ASSERT_NE(Viewer(), nullptr) << what;
            EXPECT_TRUE(Viewer()->IsWindowVisible()) << what;
            continue;
        }
        ExpectDamaged(what);
    }
    EXPECT_FALSE(daoDoc.reported.empty());
}

TEST_F(MdbPaneTest, AReaderThatHangsIsKilledAndReaped)
{
    std::string path = MakeMdb("sample", "sample.mdb");
    std::string pidFile = testsupport::ScratchDir() + "/reader.pid";
    std::string script = testsupport::ScratchDir() + "/hang.sh";
    std::ofstream(script) << "#!/bin/sh\necho $$ > " << pidFile << "\nexec sleep 60\n";
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);
    SetMdbReaderProgram(script);
    SetMdbReadTimeout(500);
    auto start = std::chrono::steady_clock::now();
    Preview(Wide(path), u".mdb");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    ExpectDamaged("hang");
    pid_t pid = 0;
    std::ifstream(pidFile) >> pid;
    ASSERT_GT(pid, 0);
    // Killed and waited for: not even a zombie is left.
    EXPECT_EQ(kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);

    // Without the reader program the type cannot be previewed here.
    SetMdbReaderProgram(testsupport::ScratchDir() + "/missing-reader");
    Preview(Wide(path), u".mdb");
    EXPECT_EQ(host.previewable, 0);
    EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), UINT(IDB_PREVIEW_UNSUPPORTED));
}
