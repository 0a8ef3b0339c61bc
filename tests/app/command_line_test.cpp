// A snapshot named on the command line: its type letter picks the reader, and a file that is foreign,
// cut short, missing or unreadable gets its message with the wizard left on its first page.
#include "tests/app/app_fixture.h"

#include "app_res.h"
#include "engine/engine_state.h"
#include "engine/snapshot_file.h"
#include "support/support.h"

#include <fstream>
#include <sys/stat.h>
#include <vector>

namespace {

std::string WriteFile(const std::string& name, const std::vector<BYTE>& bytes)
{
    std::string path = testsupport::ScratchDir() + "/" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return path;
}

// A snapshot of empty results of the mode, as the program writes it.
std::vector<BYTE> Snapshot(DWORD mode)
{
    DWORD saved = ScanMode;
    ScanMode = mode;
    std::vector<BYTE> bytes = EncodeSnapshot();
    ScanMode = saved;
    return bytes;
}

std::u16string Wide(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

class CommandLine : public AppFixture {
protected:
    // Every box is acknowledged and counted.
    void AcknowledgeBoxes()
    {
        for (int i = 0; i < 6; ++i)
            headless::AnswerNextModal([this](HWND box) {
                ++m_boxes;
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            });
    }

    int ShownPage() const
    {
        for (int n = 0; n < kPageCount; ++n)
            if (Page(n) == m_frame->GetActiveView())
                return n;
        return -1;
    }

    int m_boxes = 0;
};

TEST_F(CommandLine, TheTypeLetterPicksTheModeAndShowsTheResults)
{
    struct {
        DWORD mode;
        bool quoted;
    } cases[] = {{0, false}, {1, true}, {2, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        // The shell quotes a path with blanks; a plain one may come without quotes.
        std::string path = WriteFile((c.quoted ? "Snap Shot " : "snap") + std::to_string(c.mode) + ".DMK",
                                     Snapshot(c.mode));
        ScanMode = c.mode == 0 ? 2 : 0;
        AcknowledgeBoxes();
        ASSERT_TRUE(StartApp(c.quoted ? u"\"" + Wide(path) + u"\"" : Wide(path)));
        EXPECT_EQ(ScanMode, c.mode);
        EXPECT_EQ(c.mode == 0 ? m_frame->m_bFullResultsReady : m_frame->m_bResultsReady, 1);
        EXPECT_EQ(m_frame->ModeHintFlag, 0);
        EXPECT_EQ(ShownPage(), 4);
        TearDown();
    }
}

TEST_F(CommandLine, ABadFileIsToldAndTheWizardStaysOnItsFirstPage)
{
    std::vector<BYTE> cut = Snapshot(2);
    cut.resize(cut.size() / 2);
    std::vector<BYTE> narrowD = Snapshot(2);
    narrowD[1] = 'x'; // "D" as one byte, then not a zero
    std::string readOnly = WriteFile("readonly.dmk", cut);
    ::chmod(readOnly.c_str(), 0444);
    struct {
        std::string path;
    } cases[] = {
        {WriteFile("other.dmk", {'X', 0, 'q', 0})},
        {WriteFile("narrow.dmk", narrowD)},
        {WriteFile("cut.dmk", cut)},
        {WriteFile("one_byte.dmk", {'D'})},
        {readOnly},
        {testsupport::ScratchDir() + "/missing.dmk"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ScanMode = 0;
        m_boxes = 0;
        AcknowledgeBoxes();
        ASSERT_TRUE(StartApp(u"\"" + Wide(c.path) + u"\""));
        EXPECT_EQ(m_boxes, 1);
        EXPECT_EQ(ScanMode, 0u);
        EXPECT_EQ(m_frame->m_bResultsReady, 0);
        EXPECT_EQ(m_frame->m_bFullResultsReady, 0);
        EXPECT_EQ(ShownPage(), 0);
        EXPECT_TRUE(m_frame->IsWindowVisible());
        TearDown();
    }
}

} // namespace

namespace {

using LoadSnapshot = CommandLine;

// The load command: a name typed without the extension finds the snapshot saved with either case of it, one
// typed with it keeps its case; a missing file is told and changes nothing.
TEST_F(LoadSnapshot, TakesTheTypedNameWithTheExtensionAndRefusesAMissingFile)
{
    ASSERT_TRUE(StartApp());
    std::string typed = WriteFile("typed.DMK", Snapshot(2));
    std::string dir = typed.substr(0, typed.rfind('/'));
    std::string lower = WriteFile("lower.dmk", Snapshot(1));
    struct {
        std::string typed;
        int boxes; // for a file that is not loaded
        DWORD mode;
        int page;
    } cases[] = {
        {dir + "/nothing", 1, 0, 0},
        {dir + "/typed", 0, 2, 4},
        {lower, 0, 1, 4},
        {dir + "/lower", 0, 1, 4},
    };
    ScanMode = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        m_boxes = 0;
        headless::AnswerNextModal([&](HWND dlg) {
            ::SetDlgItemTextW(dlg, 0x480, Wide(c.typed).c_str());
            ::PostMessageW(dlg, WM_COMMAND, IDOK, 0);
        });
        AcknowledgeBoxes();
        // The command is offered once a scan mode is chosen; the frame refuses it before.
        m_frame->m_bLoadEnabled = 1;
        m_frame->SendMessage(WM_COMMAND, ID_LOAD_SNAPSHOT, 0);
        headless::ClearModalAnswers();
        // A loaded snapshot finds no disk to reopen here, which it only warns about; a missing file is told once.
        if (c.page == 0) {
            EXPECT_EQ(m_boxes, c.boxes);
        }
        EXPECT_EQ(ScanMode, c.mode);
        EXPECT_EQ(ShownPage(), c.page);
    }
}

} // namespace
