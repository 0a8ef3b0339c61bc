// The found-volume tree: its drive images, the cursors over its parts, and choosing a volume.
#include "app/volume_tree_ctrl.h"

#include "app/file_system_form.h"
#include "engine/engine_state.h"
#include "engine/volume_extraction.h"

namespace {

constexpr UINT kIcons[7] = {148, 151, 152, 153, 154, 155, 179};
enum { kCursorButton, kCursorItem, kCursorSelecting };
constexpr WORD kCursorIds[3] = {250, 264, 265};

} // namespace

BEGIN_MESSAGE_MAP(CVolumeTreeCtrl, CTreeCtrl)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_KEYUP()
    ON_NOTIFY_REFLECT(TVN_KEYDOWN, OnKeyDownNotify)
    ON_COMMAND_RANGE(32003, 32005, OnNoCommand)
END_MESSAGE_MAP()

CVolumeTreeCtrl::CVolumeTreeCtrl() = default;
CVolumeTreeCtrl::~CVolumeTreeCtrl() = default;

void CVolumeTreeCtrl::InitControl()
{
    if (!m_images.GetSafeHandle()) {
        m_images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 7, 1);
        for (UINT id : kIcons) {
            HICON icon = (HICON)LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0);
            m_images.Add(icon);
            if (icon)
                DestroyIcon(icon);
        }
        m_stateImages.Create(200, 16, 1, RGB(255, 255, 255));
    }
    SetImageList(&m_images, TVSIL_NORMAL);
    if (m_stateImages.GetSafeHandle())
        SetImageList(&m_stateImages, TVSIL_STATE);
    for (int i = 0; i < 3; ++i)
        m_cursors[i] = LoadCursorW(AfxGetResourceHandle(), MAKEINTRESOURCEW(kCursorIds[i]));
}

HTREEITEM CVolumeTreeCtrl::InsertVolumeItem(LPCWSTR label, HTREEITEM parent)
{
    int image = 5;
    const bool top = !parent || parent == TVI_ROOT;
    if (top) {
        switch (GetDriveTypeW(label)) {
        case DRIVE_CDROM: image = 2; break;
        case DRIVE_REMOVABLE: image = (label[0] == u'A' || label[0] == u'a') ? 4 : 3; break;
        default: image = 5; break;
        }
    }
    return InsertItem(label, image, image, top ? TVI_ROOT : parent, TVI_LAST);
}

int CVolumeTreeCtrl::GetVisibleRowIndex(HTREEITEM item) const
{
    int row = 0;
    for (HTREEITEM at = GetRootItem(); at; at = GetNextVisibleItem(at), ++row)
        if (at == item)
            return row;
    return -1;
}

void CVolumeTreeCtrl::SelectVolume(HTREEITEM item)
{
    const CString text = GetItemText(item);
    const WORD fs = PartitionParams.PartitionFsType;
    if (text.IsEmpty() || text == u"File System") {
        if (m_pForm && (fs == FS_KIND_FAT16 || fs == FS_KIND_FAT32))
            m_pForm->SetFatInfoText();
        else if (m_pForm && fs == FS_KIND_NTFS)
            m_pForm->SetNtfsInfoText();
        return;
    }
    if (!SelectFoundVolume((DWORD)(ULONG_PTR)item) || !m_pForm)
        return;
    const PartitionParamsBlock& p = PartitionParams;
    CString origin, spc, size;
    origin.Format(u"%u", DWORD(p.DataOrigin));
    spc.Format(u"%u", DWORD(p.SectorsPerCluster));
    // A found volume's end comes from the disk: one that is missing or lies before the start has no size.
    if (p.VolumeEndSector == 0 || p.VolumeEndSector < p.DataOrigin)
        size = u"Unknown";
    else
        size.Format(u"%u MB", DWORD((p.VolumeEndSector - p.DataOrigin) / 2048));
    if (p.FsType == FS_KIND_NTFS) {
        CString mft, mirror;
        mft.Format(u"%u", DWORD(p.MftSector));
        mirror.Format(u"%u", DWORD(p.MftMirrorSector));
        m_pForm->ShowNtfsVolumeInfo(origin, spc, mft, mirror, size);
    } else {
        m_pForm->ShowFatVolumeInfo(origin, spc, size);
    }
}

void CVolumeTreeCtrl::ItemCursor(UINT flags)
{
    const int which = flags == TVHT_ONITEMBUTTON ? kCursorButton : kCursorItem;
    if (m_cursors[which])
        ::SetCursor(m_cursors[which]);
}

void CVolumeTreeCtrl::OnLButtonDown(UINT, CPoint point)
{
    UINT flags = 0;
    HTREEITEM item = HitTest(point, &flags);
    if (!item)
        return;
    if (m_cursors[kCursorSelecting])
        ::SetCursor(m_cursors[kCursorSelecting]);
    if (m_pSelectedIndex)
        *m_pSelectedIndex = GetVisibleRowIndex(item) - 1;
    SelectItem(item);
    SetFocus();
    if (flags == TVHT_ONITEMBUTTON) {
        if (m_cursors[kCursorButton])
            ::SetCursor(m_cursors[kCursorButton]);
        Expand(item, TVE_TOGGLE);
    } else if (flags & (TVHT_ONITEMLABEL | TVHT_ONITEMICON | TVHT_ONITEMRIGHT)) {
        if (!GetItemText(item).IsEmpty())
            SelectVolume(item);
    } else {
        Expand(item, TVE_TOGGLE);
    }
}

void CVolumeTreeCtrl::OnLButtonUp(UINT, CPoint point)
{
    UINT flags = 0;
    if (HitTest(point, &flags))
        ItemCursor(flags);
    Default();
}

void CVolumeTreeCtrl::OnMouseMove(UINT, CPoint point)
{
    UINT flags = 0;
    if (HitTest(point, &flags))
        ItemCursor(flags);
    Default();
}

void CVolumeTreeCtrl::OnKeyUp(UINT, UINT, UINT)
{
    Default();
    if (HTREEITEM item = GetSelectedItem()) {
        if (m_pSelectedIndex)
            *m_pSelectedIndex = GetVisibleRowIndex(item) - 1;
        SelectVolume(item);
    }
}

void CVolumeTreeCtrl::OnKeyDownNotify(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
}
