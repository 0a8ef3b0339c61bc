// The drive trees' host: the frame's words and the two side panes, for the tree of the drive page or the scan page.
#pragma once

#include "app/drive_tree_ctrl.h"

class CPageTreeHost : public IDriveTreeHost {
public:
    // page: 1 for the drive page's tree, 2 for the scan page's.
    explicit CPageTreeHost(int page) : m_nPage(page) {}

    DWORD PageState(int word) const override;
    void SetSelectedIndex(int index) override;
    void ClearDrivePane() override;
    void ShowDrivePaneHeading(bool physical) override;
    void ShowDiskInfo(int disk) override;
    void ShowDriveInfo(int volume) override;
    void DrawVolumePie() override;
    void ShowNoPartitionInfo() override;
    void ShowSelectedPartition() override;
    void ShowPartitionInfo(int entry) override;
    void TreeTab() override;
    void TreeEnter() override;

private:
    int m_nPage;
};
