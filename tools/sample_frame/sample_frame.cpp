// Writes a PNG of the toolkit frame: the toolkit's list of 10,000 found files in report view, under
// its flat header, above the frame's status bar, drawn in the native theme.
#include "backend/headless/driver.h"
#include "toolkit/base/frame_wnd.h"
#include "toolkit/base/header_ctrl.h"
#include "toolkit/base/list_ctrl.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/base/status_bar.h"

#include <cstdio>
#include <string>

namespace {

constexpr int kRows = 10000;
constexpr UINT kIndicatorCaps = 0xE701, kIndicatorNum = 0xE702, kIndicatorScroll = 0xE703;

int LoadIndicatorString(UINT id, LPWSTR buffer, int cchMax)
{
    const char16_t* text = id == kIndicatorCaps ? u"CAP" : id == kIndicatorNum ? u"NUM"
                         : id == kIndicatorScroll ? u"SCRL" : nullptr;
    if (!text || cchMax <= 0)
        return 0;
    int n = 0;
    for (; text[n] && n < cchMax - 1; ++n)
        buffer[n] = text[n];
    buffer[n] = 0;
    return n;
}

void FillRows(CTKListCtrl& list)
{
    static const char16_t* const kTypes[] = {u"JPEG 图像", u"Microsoft Word 文档", u"文本文档", u"ZIP 压缩文件"};
    static const char16_t* const kExtensions[] = {u"jpg", u"doc", u"txt", u"zip"};
    list.InsertColumn(0, u"名称", LVCFMT_LEFT, 220);
    list.InsertColumn(1, u"大小", LVCFMT_RIGHT, 90);
    list.InsertColumn(2, u"类型", LVCFMT_LEFT, 160);
    list.InsertColumn(3, u"修改时间", LVCFMT_LEFT, 150);
    list.SetItemCount(kRows);
    for (int row = 0; row < kRows; ++row) {
        CString name, size, time;
        name.Format(u"found_%05d.%s", row + 1, kExtensions[row % 4]);
        size.Format(u"%d KB", (row * 37) % 4096 + 1);
        time.Format(u"2026-%02d-%02d %02d:%02d", row % 12 + 1, row % 28 + 1, row % 24, row % 60);
        int item = list.InsertItem(row, name);
        list.SetItemText(item, 1, size);
        list.SetItemText(item, 2, kTypes[row % 4]);
        list.SetItemText(item, 3, time);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : "sample_frame.png";
    AfxSetLoadStringProc(&LoadIndicatorString);
    SetGlobalTheme(TKP_THEME_NATIVE);

    auto* frame = new CTKPFrameWnd;
    if (!frame->Create(nullptr, u"Dovemark", WS_OVERLAPPEDWINDOW, CRect(0, 0, 760, 520))) {
        std::fprintf(stderr, "sample_frame: cannot create the frame\n");
        return 1;
    }
    CTKPStatusBar statusBar;
    const UINT indicators[] = {0, kIndicatorCaps, kIndicatorNum, kIndicatorScroll};
    CTKListCtrl list;
    CTKFlatHeaderCtrl header;
    if (!statusBar.Create(frame) || !statusBar.SetIndicators(indicators, 4) ||
        !list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, CRect(0, 0, 0, 0), frame,
                     AFX_IDW_PANE_FIRST) ||
        !list.GetHeaderCtrl() || !header.SubclassWindow(list.GetHeaderCtrl()->m_hWnd)) {
        std::fprintf(stderr, "sample_frame: cannot create the frame's windows\n");
        frame->DestroyWindow();
        return 1;
    }
    statusBar.SetPaneText(0, u"找到 10000 个文件");
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    FillRows(list);
    list.GetListSupport().SetSortImage(0, TRUE);
    header.SetSortImage(0, TRUE);
    list.SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);

    frame->ShowWindow(SW_SHOW);
    frame->RecalcLayout();
    headless::PumpUntilIdle();
    bool ok = headless::SavePng(frame->m_hWnd, path);
    frame->DestroyWindow();  // frees the frame
    if (!ok) {
        std::fprintf(stderr, "sample_frame: cannot write %s\n", path);
        return 1;
    }
    std::printf("%s\n", path);
    return 0;
}
