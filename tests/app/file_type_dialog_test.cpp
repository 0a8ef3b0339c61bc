// The file-type dialog: the tree it builds from "Raw.dat", its tri-state ticks, and the signature list it hands on.
#include "app/file_type_dialog.h"

#include "backend/headless/driver.h"
#include "engine/crafted.h"
#include "engine/recovery_writer.h"
#include "engine/signature_list.h"
#include "support/support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

namespace {

void Put16(std::string& out, size_t v)
{
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}

std::string Record(char category, const std::string& ext, const std::string& type, const std::string& length,
                   const std::string& signature, const std::string& fifth)
{
    std::string r;
    Put16(r, 0);
    r += category;
    for (const std::string* field : {&ext, &type, &length, &signature, &fifth}) {
        Put16(r, field->size());
        r += *field;
    }
    return r;
}

std::vector<TracedRecord*> SignatureNodes()
{
    std::vector<TracedRecord*> nodes;
    for (TracedRecord* n = SignatureHead; n; n = n->Next)
        nodes.push_back(n);
    return nodes;
}

class FileTypeDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = testsupport::ScratchDir() + "/";
        FreeTracedFolders();
        SignatureCount = 0;
        TracedFileSize = 0;
    }
    void TearDown() override { FreeTracedFolders(); }

    void WriteRawDat(const std::string& bytes) const
    {
        std::ofstream(folder_ + "Raw.dat", std::ios::binary) << bytes;
    }

    // Runs the dialog on the folder's "Raw.dat"; inside() sees it shown, and ends it.
    INT_PTR Run(const std::string& folder, const std::function<void(CFileTypeDlg&)>& inside)
    {
        CFileTypeDlg dlg(nullptr, CString(std::u16string(folder.begin(), folder.end()).c_str()));
        headless::AnswerNextModal([&](HWND) { inside(dlg); });
        return dlg.DoModal();
    }

    static HTREEITEM Child(CFileTypeTreeCtrl& tree, HTREEITEM parent, LPCWSTR text)
    {
        for (HTREEITEM c = tree.GetChildItem(parent); c; c = tree.GetNextSiblingItem(c))
            if (tree.GetItemText(c) == text)
                return c;
        return nullptr;
    }

    std::string folder_;
    RecordingUi ui_;
};

TEST_F(FileTypeDialogTest, TheProjectsDefinitionsFillTheTreeAndTickedTypesBecomeTheScansList)
{
    std::ifstream in(std::string(DOVEMARK_RAW_DAT_DIR) + "Raw.dat", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<SignatureDefinition> definitions;
    ASSERT_EQ(ParseSignatureFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), definitions).rejected, 0u);
    ASSERT_FALSE(definitions.empty());

    size_t expected = 0;
    const INT_PTR result = Run(DOVEMARK_RAW_DAT_DIR, [&](CFileTypeDlg& dlg) {
        CFileTypeTreeCtrl& tree = dlg.m_tree;
        HTREEITEM top = tree.TopItem();
        EXPECT_EQ(tree.GetItemText(top), CString(u"文件类型  "));
        EXPECT_EQ(size_t(tree.Records().GetCount()), definitions.size());
        EXPECT_EQ(dlg.m_sizeList.GetCurSel(), 1); // "2 MB" when no size was chosen before
        EXPECT_TRUE(ui_.Messages.empty());

        // Nothing ticked: OK is refused with the message and the dialog stays.
        dlg.OnOK();
        ASSERT_EQ(ui_.Messages.size(), 1u);
        EXPECT_EQ(ui_.Messages[0].Text, u"请选择一个文件类型，然后\r\n单击[下一步]继续恢复。");
        EXPECT_TRUE(IsWindow(dlg.m_hWnd));

        HTREEITEM first = tree.GetChildItem(top);
        tree.CheckBranch(first);
        for (HTREEITEM type = tree.GetChildItem(first); type; type = tree.GetNextSiblingItem(type))
            for (const SignatureDefinition& d : definitions)
                expected += CString(std::u16string(d.extension.begin(), d.extension.end()).c_str()) ==
                            tree.GetItemText(type);
        dlg.m_sizeList.SetCurSel(4);
        dlg.OnOK();
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(TracedFileSize, 5u);
    EXPECT_GT(expected, 0u);
    EXPECT_EQ(SignatureNodes().size(), expected);
    EXPECT_EQ(SignatureCount, expected);

    // The size list reopens on the size last chosen.
    Run(DOVEMARK_RAW_DAT_DIR, [](CFileTypeDlg& dlg) {
        EXPECT_EQ(dlg.m_sizeList.GetCurSel(), 4);
        dlg.EndDialog(IDCANCEL);
    });
}

TEST_F(FileTypeDialogTest, TicksRunThroughTheBranchAndTheNodesKeepFileOrderReversed)
{
    WriteRawDat(Record('1', ".doc", "Word", "8", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", "\x12") +
                Record('1', ".doc", "Word 2", "4", "\xDB\xA5\x2D\x01", "") +
                Record('1', ".wri", "Write", "2", "\x31\xBE", "") + Record('X', ".xyz", "Other", "1", "\x01", "") +
                Record('4', "", "no extension", "1", "\x02", ""));
    Run(folder_, [&](CFileTypeDlg& dlg) {
        CFileTypeTreeCtrl& tree = dlg.m_tree;
        HTREEITEM top = tree.TopItem();
        HTREEITEM documents = Child(tree, top, u"文档文件      ");
        HTREEITEM other = Child(tree, top, u"X");
        ASSERT_TRUE(documents && other);
        EXPECT_EQ(tree.GetCount(), 6u); // top, two categories, three types: the record without extension has none
        EXPECT_EQ(tree.Records().GetCount(), 5);
        HTREEITEM doc = Child(tree, documents, u".doc");
        HTREEITEM wri = Child(tree, documents, u".wri");
        ASSERT_TRUE(doc && wri);
        for (HTREEITEM item : {top, documents, doc, wri, other})
            EXPECT_EQ(tree.GetCheck(item), 0);

        struct Step {
            const char* what;
            std::function<void()> act;
            int top, documents, doc, wri, other;
        };
        const Step steps[] = {
            {"tick a category", [&] { tree.CheckBranch(documents); }, 2, 1, 1, 1, 0},
            {"untick one of its types", [&] { tree.UncheckBranch(wri); }, 2, 2, 1, 0, 0},
            {"tick the other category", [&] { tree.CheckBranch(other); }, 1, 2, 1, 0, 1},
            {"untick the top", [&] { tree.UncheckBranch(top); }, 0, 0, 0, 0, 0},
            {"tick one type", [&] { tree.CheckBranch(doc); }, 2, 2, 1, 0, 0},
        };
        for (const Step& s : steps) {
            s.act();
            EXPECT_EQ(tree.GetCheck(top), s.top) << s.what;
            EXPECT_EQ(tree.GetCheck(documents), s.documents) << s.what;
            EXPECT_EQ(tree.GetCheck(doc), s.doc) << s.what;
            EXPECT_EQ(tree.GetCheck(wri), s.wri) << s.what;
            EXPECT_EQ(tree.GetCheck(other), s.other) << s.what;
        }
        EXPECT_TRUE(tree.GetItemState(doc, TVIS_BOLD) & TVIS_BOLD);
        EXPECT_FALSE(tree.GetItemState(wri, TVIS_BOLD) & TVIS_BOLD);

        // A second start must not trace each type twice: the list is rebuilt, not appended to.
        for (int start = 0; start < 2; ++start)
            EXPECT_EQ(tree.BuildSignatureList(top), 2u);
        dlg.EndDialog(IDOK);
    });
    auto nodes = SignatureNodes();
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(SignatureCount, 2u);
    EXPECT_EQ(std::u16string(nodes[0]->TypeText), u"Word 2");
    EXPECT_STREQ(nodes[0]->Signature, "DBA52D01");
    EXPECT_EQ(nodes[0]->SignatureLength, 4u);
    EXPECT_EQ(std::u16string(nodes[1]->Extension), u".doc");
    EXPECT_STREQ(nodes[1]->Signature, "D0CF11E0A1B11AE1");
    EXPECT_EQ(nodes[1]->SignatureLength, 8u);
    EXPECT_EQ(nodes[1]->Value5, 12u);
}

// A missing, empty or damaged file is said so; whatever whole records it holds are offered, never a torn one.
TEST_F(FileTypeDialogTest, MissingEmptyOrDamagedFilesAreReportedAndOnlyWholeRecordsShown)
{
    const std::string good = Record('0', ".zip", "Zip", "4", "PK\x03\x04", "");
    const std::string overlong = Record('0', std::string(300, 'e'), "Long", "1", "\x01", "");
    const struct {
        const char* what;
        const char* bytes; // null: no file at all
        size_t size;
        int records;
        const char16_t* message;
    } cases[] = {
        {"missing", nullptr, 0, 0, u"无法读取"},
        {"empty", "", 0, 0, u"无法读取"},
        {"cut short", nullptr, 1, 1, u"已损坏"},
        {"overlong field", nullptr, 2, 1, u"已损坏"},
    };
    for (const auto& c : cases) {
        std::remove((folder_ + "Raw.dat").c_str());
        if (c.bytes)
            WriteRawDat(c.bytes);
        else if (c.size == 1)
            WriteRawDat(good + good.substr(0, good.size() - 3));
        else if (c.size == 2)
            WriteRawDat(overlong + good);
        ui_.Messages.clear();
        Run(folder_, [&](CFileTypeDlg& dlg) {
            EXPECT_EQ(dlg.m_tree.Records().GetCount(), c.records) << c.what;
            ASSERT_EQ(ui_.Messages.size(), 1u) << c.what;
            EXPECT_EQ(ui_.Messages[0].Kind, ENGINE_MSG_ERROR) << c.what;
            EXPECT_NE(ui_.Messages[0].Text.find(c.message), std::u16string::npos) << c.what;
            // Still usable: OK with nothing ticked is refused as ever.
            dlg.OnOK();
            EXPECT_EQ(ui_.Messages.size(), 2u) << c.what;
            dlg.EndDialog(IDCANCEL);
        });
    }
}

} // namespace
