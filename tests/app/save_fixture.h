// The results fixture with a port that runs the real folder browser and lets a test act while a file is
// written, and helpers that run the save dialog.
#pragma once

#include "app/save_progress_dlg.h"
#include "results_fixture.h"
#include "support/support.h"

#include <filesystem>
#include <functional>

namespace savetest {
namespace fs = std::filesystem;

// The results port with the real folder browser, and a hook on each file the writers start.
class SavePort : public resultstest::ResultsPort {
public:
    std::function<void(DWORD)> onFile;
    std::vector<bool> answers; // popped front per question; no when empty

    bool BrowseForFolder(const WCHAR* title, WCHAR* path, int chars) override
    {
        return BrowseForFolderDialog(nullptr, title, path, chars);
    }
    bool AskYesNo(const WCHAR* text) override
    {
        ResultsPort::AskYesNo(text);
        if (answers.empty())
            return false;
        const bool a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    void ShowSaveFile(const WCHAR*, const WCHAR*, DWORD count) override
    {
        if (onFile)
            onFile(count);
    }
};

class SaveRun : public resultstest::ResultsFixture {
protected:
    void SetUp() override
    {
        ResultsFixture::SetUp();
        SetEngineUi(&save);
        save.tree = &tree;
        save.list = list;
        ResetRecoverySettings();
        FileTypeFilterCount = 0;
    }
    void TearDown() override
    {
        SetEngineUi(nullptr);
        headless::ClearModalAnswers();
        DestinationFolder[0] = 0;
        ResultsFixture::TearDown();
    }

    static std::string Fresh(const std::string& name)
    {
        const std::string dir = testsupport::ScratchDir() + "/" + name;
        fs::remove_all(dir);
        fs::create_directories(dir);
        return dir;
    }
    static void SetDestination(const std::string& dir)
    {
        const std::u16string wide = fs::path(dir).u16string();
        lstrcpynW(DestinationFolder, wide.c_str(), kDestinationChars);
    }

    // The save dialog run over a job into the destination set before; during(dialog) runs once it is shown.
    void RunSave(const SaveJob& job, CFoundListCtrl* from, SaveRunTally* tally, bool* stopped,
                 const std::function<void(HWND)>& during = {})
    {
        headless::AnswerNextModal([&](HWND dlg) {
            if (during)
                during(dlg);
        });
        headless::AnswerNextModal([](HWND box) { ::PostMessageW(box, WM_COMMAND, IDOK, 0); });
        CSaveProgressDlg dlg(job, from);
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        *tally = dlg.Tally();
        *stopped = dlg.WasStopped();
    }

    // Ticked the first file rows at the top of the list; their records' names.
    std::vector<std::u16string> TickRootFiles(size_t count)
    {
        std::vector<std::u16string> names;
        for (int row = 0; row < list->GetItemCount() && names.size() < count; ++row) {
            if (list->IsFolderRow(row) || list->IsParentRow(row))
                continue;
            ClickList(RowBox(row));
            names.emplace_back((LPCWSTR)list->GetItemText(row, 0));
        }
        return names;
    }

    SavePort save;
};

} // namespace savetest
