// The silent user-interface port in force until the application or a test installs its own.
#include "engine/ui_port.h"

#include <atomic>

namespace {

class SilentEngineUi final : public IEngineUi {
public:
    void ShowMessage(const WCHAR*, EngineMessageKind) override {}
    bool AskYesNo(const WCHAR*) override { return false; }
    void SetProgress(UINT) override {}
    void SetStatusText(EngineStatusField, const WCHAR*) override {}
    void SetCounter(EngineCounter, ULONGLONG) override {}
    void AddDriveItem(const WCHAR*, DWORD) override {}
    DWORD InsertFolderItem(DWORD, const WCHAR*, BOOL) override
    {
        // Handles stay unique and flagged even without a tree, so the records that keep them stay apart.
        DWORD n = next_.fetch_add(1) & ~FOUND_TREE_ITEM_FLAG;
        return FOUND_TREE_ITEM_FLAG | (n ? n : next_.fetch_add(1));
    }
    void SetFolderItemColor(DWORD, COLORREF) override {}
    void ExpandFolderItem(DWORD) override {}
    void ClearFileRows() override {}
    void AddFileRow(const FoundFileRow&) override {}

private:
    std::atomic<DWORD> next_{1};
};

SilentEngineUi g_silentUi;
std::atomic<IEngineUi*> g_ui{nullptr};

} // namespace

IEngineUi& EngineUi()
{
    IEngineUi* ui = g_ui.load(std::memory_order_acquire);
    return ui ? *ui : g_silentUi;
}

void SetEngineUi(IEngineUi* ui)
{
    g_ui.store(ui, std::memory_order_release);
}
