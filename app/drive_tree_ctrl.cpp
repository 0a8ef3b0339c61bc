// The drive tree: disks, volumes and partitions, and what choosing one writes into the engine and the panes.
#include "app/drive_tree_ctrl.h"

#include "app/tree_rows.h"
#include "app/wizard_state.h"
#include "engine/drive_identify.h"
#include "engine/engine_state.h"
#include "engine/partition_table.h"
#include "res/app/wizard_front_res.h"
#include "res/controls/controls_res.h"

#include <algorithm>
#include <vector>

BEGIN_MESSAGE_MAP(CDriveTreeCtrl, CTreeCtrl)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_RBUTTONDOWN()
    ON_WM_KEYUP()
    ON_NOTIFY_REFLECT(TVN_KEYDOWN, OnKeyDownReflect)
END_MESSAGE_MAP()

namespace {

constexpr int kDefaultImage = 5;
constexpr UINT kItemHits = TVHT_ONITEMLABEL | TVHT_ONITEMICON | TVHT_ONITEMRIGHT | TVHT_ONITEMSTATEICON;

const char16_t kPhysicalGroup[] = u"Physical Devices";
const char16_t kLogicalGroup[] = u"Logical Devices";
const char16_t kPartitionGroup[] = u"Hard Disk ";

DriveItemKind KindOf(DWORD_PTR data) { return DriveItemKind(DWORD(data) >> 16); }
DWORD NumberOf(DWORD_PTR data) { return DWORD(data) & 0xFFFF; }

int ImageFor(const CString& text, bool topLevel)
{
    if (!topLevel || text.GetLength() != 3 || text[1] != u':' || text[2] != u'\\')
        return kDefaultImage;
    switch (GetDriveTypeW(text)) {
    case DRIVE_FIXED: return 5;
    case DRIVE_CDROM: return 2;
    case DRIVE_REMOVABLE: return text[0] == u'A' ? 4 : 3;
    default: return kDefaultImage;
    }
}

} // namespace

void CDriveTreeCtrl::InitTree()
{
    if (!m_images.m_hImageList) {
        m_images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 7, 1);
        for (UINT id : {IDI_DRIVE_COMPUTER, IDI_DRIVE_NETWORK, IDI_DRIVE_CDROM, IDI_DRIVE_REMOVABLE, IDI_DRIVE_FLOPPY,
                        IDI_DRIVE_DISK, IDI_DRIVE_PARTITION})
            m_images.Add((HICON)LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0));
    }
    SetImageList(&m_images, TVSIL_NORMAL);
    HINSTANCE module = AfxGetResourceHandle();
    m_hExpandCursor = LoadCursorW(module, MAKEINTRESOURCEW(IDC_EXPAND_CURSOR));
    m_hItemCursor = LoadCursorW(module, MAKEINTRESOURCEW(IDC_HOVER_HAND));
    m_hClickCursor = LoadCursorW(module, MAKEINTRESOURCEW(IDC_PRESSED_HAND));
}

HTREEITEM CDriveTreeCtrl::FindChild(HTREEITEM parent, const CString& text) const
{
    for (HTREEITEM child = parent ? GetChildItem(parent) : GetRootItem(); child; child = GetNextSiblingItem(child))
        if (GetItemText(child) == text)
            return child;
    return nullptr;
}

HTREEITEM CDriveTreeCtrl::AddPath(const char* path, DWORD data)
{
    std::vector<CString> parts;
    CString part;
    for (const char* p = path; p && *p; ++p) {
        if (*p == '\\') {
            parts.push_back(part);
            part.Empty();
        } else {
            part += WCHAR(static_cast<unsigned char>(*p));
        }
    }
    HTREEITEM parent = nullptr;
    for (size_t i = 0; i < parts.size(); ++i) {
        HTREEITEM item = FindChild(parent, parts[i]);
        if (!item) {
            const bool last = i + 1 == parts.size();
            // Disks stand in number order, which is the order they are added in; their data carries the number.
            const bool numbered = last && KindOf(data) == DRIVE_ITEM_DISK;
            const int image = ImageFor(parts[i], parent == nullptr);
            item = InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM, parts[i], image, image, 0, 0,
                              last ? LPARAM(data) : 0, parent ? parent : TVI_ROOT, numbered ? TVI_LAST : TVI_SORT);
        }
        parent = item;
    }
    // The first top-level item and its children are shown bold and expanded.
    if (HTREEITEM top = GetRootItem()) {
        SetItemState(top, INDEXTOSTATEIMAGEMASK(2) | TVIS_BOLD, TVIS_STATEIMAGEMASK | TVIS_BOLD);
        for (HTREEITEM child = GetChildItem(top); child; child = GetNextSiblingItem(child)) {
            SetItemState(child, INDEXTOSTATEIMAGEMASK(2) | TVIS_BOLD, TVIS_STATEIMAGEMASK | TVIS_BOLD);
            Expand(child, TVE_EXPAND);
        }
    }
    return parent;
}

HTREEITEM CDriveTreeCtrl::AddPartitionItem(LPCWSTR group, LPCWSTR label, DWORD entry)
{
    HTREEITEM top = FindChild(nullptr, group);
    if (!top)
        top = InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM, group, kDefaultImage, kDefaultImage,
                         0, 0, 0, TVI_ROOT, TVI_SORT);
    const int image = 6;
    HTREEITEM item = InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM, label, image, image, 0, 0,
                                LPARAM(MakeDriveItemData(DRIVE_ITEM_PARTITION, entry)), top, TVI_LAST);
    SetItemState(top, INDEXTOSTATEIMAGEMASK(2) | TVIS_BOLD, TVIS_STATEIMAGEMASK | TVIS_BOLD);
    return item;
}

void CDriveTreeCtrl::ExpandRoot()
{
    if (HTREEITEM top = GetRootItem())
        Expand(top, TVE_EXPAND);
}

int CDriveTreeCtrl::GetVisibleRowIndex(HTREEITEM item) const { return VisibleRowIndex(*this, item); }

CString CDriveTreeCtrl::OnSelectItem(HTREEITEM item)
{
    if (!item || !m_pHost)
        return CString();
    IDriveTreeHost& host = *m_pHost;
    const CString text = GetItemText(item);
    const DWORD_PTR data = GetItemData(item);
    const DWORD number = NumberOf(data);
    const bool drivesOpen = host.PageState(1) != 0;

    // The index the pages test is taken from the item's number, never from its row, which moves with sorting and
    // collapsing: a disk n is n + 1, a volume or partition its own number, a group its row.
    int index = GetVisibleRowIndex(item);
    switch (KindOf(data)) {
    case DRIVE_ITEM_DISK: index = int(number) + 1; break;
    case DRIVE_ITEM_VOLUME:
    case DRIVE_ITEM_PARTITION: index = int(number); break;
    default: break;
    }
    host.SetSelectedIndex(index);
    if (index < 0 && drivesOpen) {
        host.ClearDrivePane();
        DriveKind = 3;
        ScanModeText.Empty();
    }

    if (text == kPhysicalGroup || text == kLogicalGroup) {
        host.ShowDrivePaneHeading(text == kPhysicalGroup);
        host.ClearDrivePane();
        host.SetSelectedIndex(-1);
        DriveKind = 3;
        ScanModeText.Empty();
    } else if (text == kPartitionGroup && KindOf(data) == DRIVE_ITEM_GROUP) {
        host.ShowNoPartitionInfo();
        host.ClearDrivePane();
        host.SetSelectedIndex(-1);
        if (ScanMode == 0 && DriveNumber < DetectedDriveCount) {
            PartitionParams.PartitionFsType = FS_KIND_NTFS;
            PartitionParams.StartSector = 0;
            PartitionParams.LogicalDriveIndex = 0;
            // The end sector is the last one read, as the page takes it back on Start: the whole disk,
            // its last sector included.
            const ULONGLONG sectors = std::min<ULONGLONG>(DiskSectorCounts[DriveNumber], 0xFFFFFFFFULL);
            PartitionParams.SectorCount = DWORD(sectors);
            PartitionParams.BackupSector = DWORD(sectors ? sectors - 1 : 0);
            host.ShowSelectedPartition();
            host.ClearDrivePane();
            host.SetSelectedIndex(-1);
        }
    }

    switch (KindOf(data)) {
    case DRIVE_ITEM_DISK:
        if (!drivesOpen)
            break;
        // Only disks of the detected table have a device path to read through.
        if (number >= DetectedDriveCount || number >= DWORD(kMaxPhysicalDrives)) {
            host.ClearDrivePane();
            host.SetSelectedIndex(-1);
            DriveKind = 3;
            break;
        }
        host.ShowDiskInfo(int(number));
        DriveNumber = WORD(number);
        DriveKind = 1;
        ReadPartitionTable(0);
        host.DrawVolumePie();
        break;
    case DRIVE_ITEM_VOLUME:
        if (!drivesOpen || number >= LogicalDriveTable.Count)
            break;
        PartitionParams.PartitionFsType = LogicalDriveTable.Kind[number];
        PartitionParams.SectorCount = DWORD(std::min<ULONGLONG>(LogicalDriveTable.SectorCount[number], 0xFFFFFFFFULL));
        DriveKind = 2;
        PartitionParams.StartSector = 0;
        PartitionParams.LogicalDriveIndex = WORD(number);
        PartitionParams.BackupSector = PartitionParams.SectorCount ? PartitionParams.SectorCount - 1 : 0;
        host.ShowDriveInfo(int(number));
        break;
    case DRIVE_ITEM_PARTITION: {
        if (!host.PageState(2))
            break;
        PartitionInfoValues values{};
        if (SelectPartitionEntry(int(number), &values))
            host.ShowPartitionInfo(int(number));
        break;
    }
    default: break;
    }
    SetSummary();
    return text;
}

void CDriveTreeCtrl::SetSummary()
{
    static const char16_t* const kTexts[3][2] = {
        {u"已选择模式 : 全面扫描 \r\n驱动器类型 : 物理驱动器                    ",
         u"已选择模式 : 全面扫描 \r\n驱动器类型 : 逻辑驱动器                   "},
        {u"已选择模式 : 文件跟踪 \r\n驱动器类型 : 物理驱动器                ",
         u"已选择模式 : 文件跟踪 \r\n驱动器类型 : 逻辑驱动器               "},
        {u"已选择模式 : 快速扫描 \r\n驱动器类型 : 物理驱动器                  ",
         u"已选择模式 : 快速扫描 \r\n驱动器类型 : 逻辑驱动器                 "},
    };
    if (ScanMode > 2 || (DriveKind != 1 && DriveKind != 2))
        return;
    ScanModeText = kTexts[ScanMode][DriveKind - 1];
}

void CDriveTreeCtrl::SetCursorFor(UINT hitFlags, bool clicking) const
{
    if (hitFlags & TVHT_ONITEMBUTTON) {
        if (m_hExpandCursor)
            ::SetCursor(m_hExpandCursor);
    } else if ((hitFlags & kItemHits) && !(hitFlags & ~kItemHits)) {
        HCURSOR cursor = clicking ? m_hClickCursor : m_hItemCursor;
        if (cursor)
            ::SetCursor(cursor);
    }
}

void CDriveTreeCtrl::OnLButtonDown(UINT, CPoint point)
{
    UINT flags = 0;
    HTREEITEM item = HitTest(point, &flags);
    if (!item)
        return;
    SelectItem(item);
    SetFocus();
    OnSelectItem(item);
    SetCursorFor(flags, true);
    if (flags & TVHT_ONITEMBUTTON)
        Expand(item, TVE_TOGGLE);
}

void CDriveTreeCtrl::OnLButtonUp(UINT flags, CPoint point)
{
    UINT hit = 0;
    if (HitTest(point, &hit))
        SetCursorFor(hit & TVHT_ONITEMBUTTON ? hit : (hit & kItemHits), false);
    CTreeCtrl::OnLButtonUp(flags, point);
}

void CDriveTreeCtrl::OnMouseMove(UINT flags, CPoint point)
{
    UINT hit = 0;
    if (HitTest(point, &hit))
        SetCursorFor(hit, false);
    CTreeCtrl::OnMouseMove(flags, point);
}

void CDriveTreeCtrl::OnRButtonDown(UINT, CPoint point)
{
    if (HTREEITEM item = HitTest(point))
        SelectItem(item);
    SetFocus();
}

void CDriveTreeCtrl::OnKeyUp(UINT key, UINT repeat, UINT flags)
{
    if ((key == VK_UP || key == VK_DOWN) && m_pHost) {
        HTREEITEM item = GetSelectedItem();
        OnSelectItem(item);
        const DWORD_PTR data = item ? GetItemData(item) : 0;
        const int n = KindOf(data) == DRIVE_ITEM_PARTITION ? int(NumberOf(data)) : GetVisibleRowIndex(item);
        m_pHost->SetSelectedIndex(n);
        if (!m_pHost->PageState(1) && m_pHost->PageState(2)) {
            if ((key == VK_DOWN && n >= 0) || (key == VK_UP && !(ScanMode == 0 && n == -1)))
                m_pHost->ShowPartitionInfo(n);
        }
    }
    CTreeCtrl::OnKeyUp(key, repeat, flags);
}

void CDriveTreeCtrl::OnKeyDownReflect(NMHDR* header, LRESULT* result)
{
    *result = 0;
    const auto* key = reinterpret_cast<const NMTVKEYDOWN*>(header);
    if (!m_pHost)
        return;
    if (key->wVKey == VK_TAB)
        m_pHost->TreeTab();
    else if (key->wVKey == VK_RETURN)
        m_pHost->TreeEnter();
}
