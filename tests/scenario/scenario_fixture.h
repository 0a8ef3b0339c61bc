// The whole program started headless on disks made at test time, and driven only as a user drives it: clicks
// on the controls a user sees, found by their text or id, keys through the input path of the presenter, and
// modal boxes answered by their buttons. What a scenario asserts is what the user sees and what lands in the
// destination folder.
#pragma once

#include "app/app_fixture.h"
#include "app/tree_find.h"

#include "afx/list_ctrl.h"
#include "afx/tree_ctrl.h"
#include "app/dovemark_app.h"
#include "app/engine_ui.h"
#include "controls/html_message_box.h"
#include "engine/scan_control.h"
#include "engine/scan_results.h"
#include "engine/sha256.h"
#include "support/fixture_images.h"
#include "support/support.h"
#include "win32/shell.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace scenario {
namespace fs = std::filesystem;

// Every file below a folder, by its path relative to the folder.
inline std::vector<std::string> FilesBelow(const std::string& folder)
{
    std::vector<std::string> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (it->is_regular_file())
            files.push_back(fs::relative(it->path(), folder).string());
    return files;
}

class Scenario : public AppFixture {
protected:
    // Starts the program with the images as its disks; false when it did not start.
    bool StartOn(const std::vector<std::string>& images)
    {
        std::string list;
        for (const std::string& p : images)
            list += (list.empty() ? "" : ":") + p;
        setenv("DOVEMARK_DISKS", list.c_str(), 1);
        setenv("DOVEMARK_HOST_DISKS", "0", 1);
        // A frame of an earlier test left its quit message behind; it would end every wait of this one.
        MSG quit;
        while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        if (!StartApp())
            return false;
        // The program's folder holds the built signature file.
        AppFolder = CString(std::u16string(DOVEMARK_RAW_DAT_DIR, DOVEMARK_RAW_DAT_DIR + sizeof(DOVEMARK_RAW_DAT_DIR) - 1).c_str());
        m_frame->MoveWindow(0, 0, 1024, 768);
        headless::PumpUntilIdle();
        // The user's first click, on a blank part of the first page, makes the program the active window.
        ClickAt(PageWindow(0), {5, 300});
        return ::GetActiveWindow() == m_hwndFrame;
    }

    void TearDown() override
    {
        if (!IsWorkerFinished()) {
            RequestScanStop();
            PumpUntilWorkerFinished(60000);
        }
        AppFixture::TearDown();
        unsetenv("DOVEMARK_DISKS");
    }

    // The page the frame shows (0 to 4), -1 for none.
    int ShownPage() const
    {
        for (int i = 0; i < 5; ++i)
            if (m_frame->GetActiveView() == Page(i))
                return i;
        return -1;
    }
    HWND PageWindow(int page) const { return Page(page)->m_hWnd; }

    // ---- Finding what the user sees ----------------------------------------------------------------------
    static HWND Visible(HWND under, int id, const char16_t* text = nullptr, const char16_t* cls = nullptr)
    {
        headless::Query q;
        q.under = under;
        q.id = id;
        q.text = text;
        q.className = cls;
        q.visibleOnly = true;
        return headless::FindOne(q);
    }
    static std::u16string TextOf(HWND under, int id)
    {
        HWND h = Visible(under, id);
        return h ? headless::Text(h) : u"<not shown>";
    }
    static bool Shown(HWND under, int id) { return Visible(under, id) != nullptr; }
    // A page's own control: a child of the page itself (its pane has ids of its own that may repeat the page's),
    // else one that the page's splitter holds, such as the tree.
    HWND Control(int page, int id) const
    {
        if (HWND own = ::GetDlgItem(PageWindow(page), id))
            return own;
        headless::Query q;
        q.under = PageWindow(page);
        q.id = id;
        return headless::FindOne(q);
    }
    // The page's pane, the child view beside its tree.
    HWND Pane(int page) const { return Control(page, 0xE901); }
    static bool IsShown(HWND h) { return h && ::IsWindowVisible(h); }

    // ---- Mouse and keys ----------------------------------------------------------------------------------
    // A click in the middle of a window, then its effects served. The clock moves on between clicks, so two
    // clicks are never taken for a double click.
    static void ClickAt(HWND hwnd, POINT at)
    {
        headless::AdvanceClock(1000);
        headless::Click(hwnd, at);
        headless::PumpUntilIdle();
    }
    static void ClickWindow(HWND hwnd)
    {
        ASSERT_TRUE(hwnd) << "nothing to click";
        RECT r{};
        ::GetClientRect(hwnd, &r);
        ClickAt(hwnd, {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    // The page's own control with this id.
    void ClickControl(int page, int id) { ClickWindow(Control(page, id)); }
    static void Press(UINT vk, std::initializer_list<UINT> modifiers = {})
    {
        headless::PressKey(vk, modifiers);
        headless::PumpUntilIdle();
    }

    // A tree's item by its text; its label or its check box clicked.
    static CTreeCtrl* Tree(HWND hwnd)
    {
        EXPECT_TRUE(hwnd) << "no tree there";
        return static_cast<CTreeCtrl*>(CWnd::FromHandle(hwnd));
    }
    static HTREEITEM TreeItem(HWND tree, const char16_t* text) { return tree ? FindTreeItem(*Tree(tree), text) : nullptr; }
    static void ClickTreeLabel(HWND tree, HTREEITEM item)
    {
        ASSERT_TRUE(item) << "no such tree item";
        Tree(tree)->EnsureVisible(item);
        CRect text;
        Tree(tree)->GetItemRect(item, &text, TRUE);
        ClickAt(tree, text.CenterPoint());
    }
    static void ClickTreeBox(HWND tree, HTREEITEM item)
    {
        ASSERT_TRUE(item) << "no such tree item";
        CTreeCtrl& t = *Tree(tree);
        t.EnsureVisible(item);
        CRect text;
        t.GetItemRect(item, &text, TRUE);
        for (int x = text.left - 1; x >= 0; --x) {
            UINT flags = 0;
            if (t.HitTest(CPoint(x, text.CenterPoint().y), &flags) == item && flags == TVHT_ONITEMSTATEICON) {
                ClickAt(tree, {x, text.CenterPoint().y});
                return;
            }
        }
        FAIL() << "the item shows no check box";
    }

    // ---- Modal boxes -------------------------------------------------------------------------------------
    // The next modal window is answered by a click on its button with this id; the message it says, when it
    // is one of the program's message boxes, is kept in *said.
    static void AnswerWith(int button, std::u16string* said = nullptr)
    {
        headless::AnswerNextModal([button, said](HWND box) {
            if (said)
                *said = CHtmlMessageBox::MessageOf(box);
            if (HWND b = Visible(box, button, nullptr, u"Button"))
                headless::Click(b, {4, 4});
            else
                ADD_FAILURE() << "the box shows no button " << button;
        });
    }
    // The folder browser answered with a folder: the tree navigated down to it, then OK.
    static void ChooseFolder(const std::string& folder)
    {
        const std::u16string wide = fs::path(folder).u16string();
        headless::AnswerNextModal([wide](HWND browser) {
            ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, (LPARAM)wide.c_str());
            HWND ok = ::GetDlgItem(browser, IDOK);
            if (ok)
                headless::Click(ok, {4, 4});
        });
    }

    // ---- Waiting as the user waits -----------------------------------------------------------------------
    // The running step's worker is waited for, then the pages' poll timers get their ticks.
    static void WaitForTheStep()
    {
        ASSERT_TRUE(PumpUntilWorkerFinished(120000)) << "the step never ended";
        for (int i = 0; i < 3; ++i) {
            headless::AdvanceClock(1000);
            headless::PumpUntilIdle();
        }
    }

    // ---- Saving what was found -----------------------------------------------------------------------------
    // Everything found ticked by the results tree's top box and saved into dest: the folder browser, the save
    // dialog that runs by itself, and its result box, whose message is returned. atResult sees the result box
    // before it is answered.
    std::u16string SaveEverything(const std::string& dest, const std::function<void(HWND)>& atResult = {})
    {
        HWND results = Control(4, 162);
        ClickTreeBox(results, Tree(results)->GetRootItem());
        ChooseFolder(dest);
        headless::AnswerNextModal([](HWND) {});
        std::u16string said;
        headless::AnswerNextModal([&](HWND box) {
            said = CHtmlMessageBox::MessageOf(box);
            if (atResult)
                atResult(box);
            if (HWND ok = Visible(box, IDOK, nullptr, u"Button"))
                headless::Click(ok, {4, 4});
        });
        ClickControl(4, 159);
        return said;
    }
    // Every live, intact file of the volume came out byte-exact in its folder under dest; how many.
    static int ExpectVolumeWritten(const testsupport::FixtureImage& img, int volume, const std::string& dest)
    {
        int checked = 0;
        const bool ntfs = img.volumes.at(size_t(volume)).fs == "NTFS";
        for (const testsupport::FixtureEntry* e : img.EntriesOf(volume)) {
            if (e->is_dir || e->deleted || !e->intact || e->Has("badname"))
                continue;
            const fs::path at = fs::path(dest) / fs::path(scanresults::ExpectedPath(img, *e, ntfs));
            EXPECT_TRUE(fs::exists(at)) << e->path;
            EXPECT_EQ(testsha::FileSha256(at.string()), e->sha256) << e->path;
            ++checked;
        }
        return checked;
    }

    static std::string Fresh(const std::string& name)
    {
        const std::string dir = testsupport::ScratchDir() + "/" + name;
        fs::remove_all(dir);
        fs::create_directories(dir);
        return dir;
    }
};

} // namespace scenario
