// The sample task panel of the strip and the benchmark: groups of links and texts with the header
// menu's icons, one special group and one with a group image.
#pragma once

#include "toolkit/commandbars/image_manager.h"
#include "toolkit/taskpanel/task_panel.h"

#include <string>

inline CString SampleText(const char* prefix, int n)
{
    const std::string text = prefix + std::to_string(n);
    return CString(std::u16string(text.begin(), text.end()).c_str());
}

// Fills the panel with `groups` groups of `items` items; the icons come from the toolkit's
// header-menu bitmap (ids 9158 to 9162).
inline void FillSamplePanel(CTKPTaskPanel& panel, int groups, int items)
{
    panel.GetImageManager()->SetIconsFromResource(9015);
    panel.LockRedraw(TRUE);
    for (int g = 0; g < groups; ++g) {
        auto* group = new CTKPTaskPanelGroup();
        group->SetCaption(SampleText(g % 3 == 1 ? "Special tasks " : "Folder tasks ", g));
        group->SetSpecial(g % 3 == 1);
        if (g % 3 == 2)
            group->SetIconIndex(9160);
        panel.GetGroups()->InsertAt(g, group);
        for (int i = 0; i < items; ++i) {
            auto* item = new CTKPTaskPanelGroupItem();
            item->SetCaption(SampleText(i % 4 == 3 ? "Details of the selection " : "Open item ", i));
            item->SetType(i % 4 == 3 ? TKP_TASKITEM_TEXT : TKP_TASKITEM_LINK);
            item->SetIconIndex(i % 4 == 3 ? -1 : 9158 + i % 5);
            item->SetEnabled(i != 2);
            group->GetItems()->InsertAt(i, item);
        }
    }
    panel.LockRedraw(FALSE);
}
