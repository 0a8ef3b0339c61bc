// Task-panel items and their collections: fields, the focus and drag answers that depend on the panel,
// the saved properties, the drag-and-drop data and the accessibility answers of an item.
#include "toolkit/taskpanel/task_panel_item.h"

#include "afx/file.h"
#include "toolkit/commandbars/image_manager.h"
#include "toolkit/commandbars/prop_exchange.h"
#include "toolkit/taskpanel/task_panel.h"
#include "win32/registry.h"

#include <cstring>
#include <memory>
#include <new>

IMPLEMENT_DYNCREATE(CTKPTaskPanelItem, CCmdTarget)
IMPLEMENT_DYNAMIC(CTKPTaskPanelItems, CCmdTarget)
IMPLEMENT_DYNAMIC(CTKPTaskPanelGroups, CTKPTaskPanelItems)
IMPLEMENT_DYNAMIC(CTKPTaskPanelGroupItems, CTKPTaskPanelItems)

const RECT DefaultMarginsRect = {TKP_DEFAULT_MARGIN, TKP_DEFAULT_MARGIN, TKP_DEFAULT_MARGIN, TKP_DEFAULT_MARGIN};

namespace {

const CLIPFORMAT g_registeredFormat = CTKPTaskPanelItem::GetClipboardFormat();

HRESULT ReturnText(const CString& text, BSTR* out)
{
    if (!out)
        return E_INVALIDARG;
    *out = ::SysAllocString(text.GetString());
    return S_OK;
}

void SetLong(VARIANT* var, long value)
{
    var->vt = VT_I4;
    var->lVal = value;
}

BOOL IsSelf(const VARIANT& varChild)
{
    return GetChildIdFromVariant(&varChild) == CHILDID_SELF;
}

// Whether a registry exchange has the section; other media always answer yes (their reads fail at
// the end of the data instead).
BOOL HasSection(CTKPPropExchange* px, LPCWSTR name)
{
    auto* registry = dynamic_cast<CTKPPropExchangeRegistry*>(px);
    if (!registry)
        return TRUE;
    registry->OnBeforeExchange();
    HKEY key = nullptr;
    if (!registry->GetKey() || RegOpenKeyExW(registry->GetKey(), name, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return FALSE;
    RegCloseKey(key);
    return TRUE;
}

// An archive exchange that remembers whether any value failed to read, in it or in its sections: the
// exchange itself answers a cut stream value by value and goes on.
class CheckedArchiveExchange : public CTKPPropExchangeArchive {
public:
    CheckedArchiveExchange(CArchive& ar, BOOL* failed) : CTKPPropExchangeArchive(ar), m_pFailed(failed) {}
    BOOL ExchangeProp(LPCWSTR name, VARTYPE type, void* value, const void* defaultValue) override
    {
        if (CTKPPropExchangeArchive::ExchangeProp(name, type, value, defaultValue))
            return TRUE;
        *m_pFailed = TRUE;
        return FALSE;
    }
    CTKPPropExchange* GetSection(LPCWSTR) override
    {
        auto* section = new CheckedArchiveExchange(*GetArchive(), m_pFailed);
        InitSection(section);
        section->m_bLoading = m_bLoading;
        return section;
    }

private:
    BOOL* m_pFailed;
};

} // namespace

// ---- Item --------------------------------------------------------------------------------------
CTKPTaskPanelItem::CTKPTaskPanelItem() : m_rcIconPadding(DefaultMarginsRect)
{
    EnableAutomation();
}

CTKPTaskPanelItem::~CTKPTaskPanelItem() = default;

BOOL CTKPTaskPanelItem::IsAcceptFocus() const
{
    return (m_nType == TKP_TASKITEM_GROUP || m_nType == TKP_TASKITEM_LINK) && m_bEnabled && m_bVisible;
}

CTKPTaskPanelGroup* CTKPTaskPanelItem::GetItemGroup() const
{
    return dynamic_cast<CTKPTaskPanelGroup*>(const_cast<CTKPTaskPanelItem*>(this));
}

CRect CTKPTaskPanelItem::GetHitTestRect() const
{
    return CRect(0, 0, 0, 0);
}

void CTKPTaskPanelItem::SetCaption(LPCWSTR caption)
{
    if (m_strCaption == CString(caption))
        return;
    m_strCaption = caption;
    RepositionPanel();
}

void CTKPTaskPanelItem::SetType(int type)
{
    m_nType = type;
    RepositionPanel();
}

void CTKPTaskPanelItem::SetIconIndex(int index)
{
    if (m_nIconIndex == index)
        return;
    m_nIconIndex = index;
    RepositionPanel();
}

void CTKPTaskPanelItem::SetEnabled(BOOL enabled)
{
    if (m_bEnabled == enabled)
        return;
    m_bEnabled = enabled;
    RedrawPanel();
}

void CTKPTaskPanelItem::SetVisible(BOOL visible)
{
    if (m_bVisible == visible)
        return;
    m_bVisible = visible;
    RepositionPanel();
}

void CTKPTaskPanelItem::SetIconPadding(const RECT& padding)
{
    m_rcIconPadding = padding;
    RepositionPanel();
}

CTKPImageIcon* CTKPTaskPanelItem::GetImage(int width) const
{
    if (m_nIconIndex < 0)
        return nullptr;
    CTKPImageManager* manager = m_pPanel ? m_pPanel->GetImageManager() : GetGlobalImageManager();
    return manager ? manager->GetImage(UINT(m_nIconIndex), width) : nullptr;
}

BOOL CTKPTaskPanelItem::IsItemHot() const
{
    return m_pPanel && m_pPanel->GetHotItem() == this && m_bEnabled;
}

BOOL CTKPTaskPanelItem::IsItemFocused() const
{
    return m_pPanel && m_bEnabled && m_pPanel->GetFocusedItem() == this;
}

BOOL CTKPTaskPanelItem::IsItemPressed() const
{
    return m_pPanel && m_pPanel->GetPressedItem() == this;
}

BOOL CTKPTaskPanelItem::IsItemDragging() const
{
    return m_pPanel && m_pPanel->GetDraggingItem() == this;
}

BOOL CTKPTaskPanelItem::IsItemDropTarget() const
{
    return m_pPanel && m_pPanel->GetDropTarget() == this;
}

void CTKPTaskPanelItem::RedrawPanel()
{
    if (m_pPanel && m_pPanel->m_hWnd && !m_pPanel->IsRedrawLocked())
        m_pPanel->Invalidate(FALSE);
}

void CTKPTaskPanelItem::RepositionPanel()
{
    if (m_pPanel)
        m_pPanel->Reposition(FALSE);
}

void CTKPTaskPanelItem::Remove()
{
    if (m_pItems)
        m_pItems->Remove(this);
}

int CTKPTaskPanelItem::GetIndex() const
{
    return m_pItems ? m_pItems->IndexOf(this) : -1;
}

int CTKPTaskPanelItem::GetAllowDrag() const
{
    if (m_nAllowDrag != TKP_DRAG_INHERIT)
        return m_nAllowDrag;
    const CTKPTaskPanelGroup* group = GetItemGroup();
    if (group && group != this && group->GetOwnAllowDrag() != TKP_DRAG_INHERIT)
        return group->GetOwnAllowDrag();
    if (m_pPanel && m_pPanel->GetDefaultDrag() != TKP_DRAG_INHERIT)
        return m_pPanel->GetDefaultDrag();
    return 0xCC;
}

BOOL CTKPTaskPanelItem::IsAllowDrop() const
{
    const CTKPTaskPanelGroup* group = GetItemGroup();
    return m_bAllowDrop && (!group || group->m_bAllowDrop) && (!m_pPanel || m_pPanel->IsAllowDrop());
}

CRect CTKPTaskPanelItem::CalcCaptionTextRect(CDC* pDC, const RECT& rc, UINT format)
{
    CRect text(rc);
    const CString caption = m_strCaption.IsEmpty() ? CString(u" ") : m_strCaption;
    ::DrawTextW(pDC->m_hDC, caption.GetString(), caption.GetLength(), &text, (format & ~DT_VCENTER) | DT_CALCRECT);
    if (format & DT_VCENTER) {
        const int height = text.Height();
        text.top = rc.top + (rc.bottom - rc.top - height) / 2;
        text.bottom = text.top + height;
    }
    m_rcText = text;
    m_nTextFormat = format;
    return text;
}

void CTKPTaskPanelItem::DoPropExchange(CTKPPropExchange* px)
{
    if (px->IsLoading())
        m_pPanel = static_cast<CTKPTaskPanel*>(px->m_pContext);
    PropExchangeString(px, u"Caption", &m_strCaption, u"");
    PropExchangeString(px, u"Tooltip", &m_strTooltip, u"");
    PropExchangeInt(px, u"Id", &m_nID, 0);
    PropExchangeInt(px, u"类型", &m_nType, TKP_TASKITEM_LINK);
    PropExchangeInt(px, u"IconIndex", &m_nIconIndex, -1);
    PropExchangeBool(px, u"Enabled", &m_bEnabled, TRUE);
    PropExchangeInt(px, u"AllowDrag", &m_nAllowDrag, TKP_DRAG_INHERIT);
    PropExchangeBool(px, u"AllowDrop", &m_bAllowDrop, TRUE);
    if (px->GetSchema() > 8) {
        PropExchangeBool(px, u"Visible", &m_bVisible, TRUE);
        PropExchangeRect(px, u"IconPadding", &m_rcIconPadding, DefaultMarginsRect);
    }
    // A stored type outside the known kinds would be drawn as nothing and focused as nothing
    // sensible; it reads as the class's own kind.
    if (px->IsLoading() && (m_nType < TKP_TASKITEM_GROUP || m_nType > TKP_TASKITEM_CONTROL))
        m_nType = dynamic_cast<CTKPTaskPanelGroup*>(this) ? TKP_TASKITEM_GROUP : TKP_TASKITEM_LINK;
}

// ---- Drag-and-drop data ------------------------------------------------------------------------
CLIPFORMAT CTKPTaskPanelItem::GetClipboardFormat()
{
    static const CLIPFORMAT format = CLIPFORMAT(::RegisterClipboardFormatW(u"TaskPanelGroupItem"));
    return format;
}

HGLOBAL CTKPTaskPanelItem::SerializeItemToGlobal(CTKPTaskPanelItem* item)
{
    if (!item)
        return nullptr;
    try {
        CSharedFile file(GMEM_MOVEABLE | GMEM_DDESHARE, 4096);
        {
            CArchive ar(&file, CArchive::store, 4096);
            ar.WriteClass(item->GetRuntimeClass());
            CTKPPropExchangeArchive px(ar);
            item->DoPropExchange(&px);
            ar.Close();
        }
        // The block grows in steps; what lies past the data is cut off rather than handed to
        // whichever program takes the drop.
        const SIZE_T length = SIZE_T(file.GetLength());
        HGLOBAL block = file.Detach();
        if (HGLOBAL exact = ::GlobalReAlloc(block, length ? length : 1, GMEM_MOVEABLE))
            block = exact;
        return block;
    } catch (CException* e) {
        e->Delete();
    } catch (const std::bad_alloc&) {
    }
    return nullptr;
}

BOOL CTKPTaskPanelItem::CacheItemData(CTKPTaskPanelItem* item, COleDataSource* source, BOOL withText)
{
    if (!source)
        return FALSE;
    HGLOBAL block = SerializeItemToGlobal(item);
    if (!block)
        return FALSE;
    source->CacheGlobalData(GetClipboardFormat(), block);
    auto* groupItem = dynamic_cast<CTKPTaskPanelGroupItem*>(item);
    const CString text = groupItem ? groupItem->GetDragText() : CString();
    if (withText && !text.IsEmpty()) {
        const int size = ::WideCharToMultiByte(CP_ACP, 0, text.GetString(), text.GetLength(), nullptr, 0, nullptr,
                                               nullptr);
        if (HGLOBAL ansi = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, SIZE_T(size) + 1)) {
            if (auto* bytes = static_cast<char*>(::GlobalLock(ansi))) {
                ::WideCharToMultiByte(CP_ACP, 0, text.GetString(), text.GetLength(), bytes, size, nullptr, nullptr);
                bytes[size] = 0;
                ::GlobalUnlock(ansi);
                source->CacheGlobalData(CF_TEXT, ansi);
            } else {
                ::GlobalFree(ansi);
            }
        }
    }
    return TRUE;
}

CTKPTaskPanelItem* CTKPTaskPanelItem::CreateItemFromData(COleDataObject* data)
{
    if (!data)
        return nullptr;
    std::unique_ptr<CFile> file;
    CTKPTaskPanelItem* item = nullptr;
    try {
        file.reset(data->GetFileData(GetClipboardFormat()));
        if (!file)
            return nullptr;
        CArchive ar(file.get(), CArchive::load, 4096);
        // Only task-panel item classes are made: the data may come from any process.
        UINT schema = 0;
        CRuntimeClass* cls = ar.ReadClass(RUNTIME_CLASS(CTKPTaskPanelItem), &schema);
        if (!cls)
            return nullptr;
        CObject* object = cls->CreateObject();
        item = dynamic_cast<CTKPTaskPanelItem*>(object);
        if (!item) {
            delete object;
            return nullptr;
        }
        BOOL failed = FALSE;
        CheckedArchiveExchange px(ar, &failed);
        px.SetSchema(schema);
        item->DoPropExchange(&px);
        if (!failed) {
            ar.Close();
            return item;
        }
        ar.Abort();
    } catch (CException* e) {
        e->Delete();
    } catch (const std::bad_alloc&) {
    } catch (...) {
    }
    if (item)
        item->InternalRelease();
    return nullptr;
}

// ---- Accessibility -----------------------------------------------------------------------------
LPUNKNOWN CTKPTaskPanelItem::GetInterface(const void* iid)
{
    const IID& id = *static_cast<const IID*>(iid);
    if (std::memcmp(&id, &IID_IAccessible, sizeof(IID)) == 0 || std::memcmp(&id, &IID_IDispatch, sizeof(IID)) == 0 ||
        std::memcmp(&id, &IID_IUnknown, sizeof(IID)) == 0)
        return GetAccessible();
    return CCmdTarget::GetInterface(iid);
}

long CTKPTaskPanelItem::GetAccessibleStateBits() const
{
    long state = STATE_SYSTEM_FOCUSABLE;
    if (IsItemFocused())
        state |= STATE_SYSTEM_FOCUSED;
    if (!m_bVisible)
        state |= STATE_SYSTEM_INVISIBLE;
    if (!m_bEnabled)
        state |= STATE_SYSTEM_UNAVAILABLE;
    return state;
}

HRESULT CTKPTaskPanelItem::GetAccessibleName(VARIANT varChild, BSTR* pszName)
{
    return IsSelf(varChild) ? ReturnText(m_strCaption, pszName) : E_INVALIDARG;
}

HRESULT CTKPTaskPanelItem::GetAccessibleDescription(VARIANT varChild, BSTR* pszDescription)
{
    return IsSelf(varChild) ? ReturnText(m_strTooltip, pszDescription) : E_INVALIDARG;
}

HRESULT CTKPTaskPanelItem::GetAccessibleRole(VARIANT varChild, VARIANT* pvarRole)
{
    if (!IsSelf(varChild) || !pvarRole)
        return E_INVALIDARG;
    SetLong(pvarRole, ROLE_SYSTEM_LISTITEM);
    return S_OK;
}

HRESULT CTKPTaskPanelItem::GetAccessibleState(VARIANT varChild, VARIANT* pvarState)
{
    if (!IsSelf(varChild) || !pvarState)
        return E_INVALIDARG;
    SetLong(pvarState, GetAccessibleStateBits());
    return S_OK;
}

HRESULT CTKPTaskPanelItem::AccessibleLocation(long* pxLeft, long* pyTop, long* pcxWidth, long* pcyHeight,
                                              VARIANT varChild)
{
    if (!IsSelf(varChild) || !pxLeft || !pyTop || !pcxWidth || !pcyHeight)
        return E_INVALIDARG;
    CRect rc = GetHitTestRect();
    if (m_pPanel && m_pPanel->m_hWnd)
        m_pPanel->ClientToScreen(&rc);
    *pxLeft = rc.left;
    *pyTop = rc.top;
    *pcxWidth = rc.Width();
    *pcyHeight = rc.Height();
    return S_OK;
}

HRESULT CTKPTaskPanelItem::AccessibleHitTest(long xLeft, long yTop, VARIANT* pvarChild)
{
    if (!pvarChild)
        return E_INVALIDARG;
    CRect rc = GetHitTestRect();
    if (m_pPanel && m_pPanel->m_hWnd)
        m_pPanel->ClientToScreen(&rc);
    if (!rc.PtInRect(CPoint(xLeft, yTop))) {
        pvarChild->vt = VT_EMPTY;
        return S_FALSE;
    }
    SetLong(pvarChild, CHILDID_SELF);
    return S_OK;
}

HRESULT CTKPTaskPanelItem::AccessibleSelect(long flagsSelect, VARIANT varChild)
{
    if (!IsSelf(varChild))
        return E_INVALIDARG;
    if ((flagsSelect & SELFLAG_TAKEFOCUS) && m_pPanel)
        m_pPanel->SetFocusedItem(this);
    return S_OK;
}

// ---- Collections -------------------------------------------------------------------------------
CTKPTaskPanelItems::CTKPTaskPanelItems(CTKPTaskPanel* panel) : m_pPanel(panel) {}

CTKPTaskPanelItems::~CTKPTaskPanelItems()
{
    Clear(FALSE);
}

void CTKPTaskPanelItems::Relayout()
{
    if (m_pPanel)
        m_pPanel->Reposition(FALSE);
}

CTKPTaskPanelItem* CTKPTaskPanelItems::InsertAt(int index, CTKPTaskPanelItem* item)
{
    if (!item)
        return nullptr;
    if (index < 0 || index >= GetCount())
        m_items.push_back(item);
    else
        m_items.insert(m_items.begin() + index, item);
    item->SetParentItems(this);
    item->SetTaskPanel(m_pPanel);
    Relayout();
    return item;
}

int CTKPTaskPanelItems::IndexOf(const CTKPTaskPanelItem* item) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i] == item)
            return int(i);
    return -1;
}

CTKPTaskPanelItem* CTKPTaskPanelItems::GetAt(int index) const
{
    return index >= 0 && index < GetCount() ? m_items[size_t(index)] : nullptr;
}

void CTKPTaskPanelItems::Move(CTKPTaskPanelItem* item, int index)
{
    const int from = IndexOf(item);
    if (from < 0)
        return;
    m_items.erase(m_items.begin() + from);
    if (index < 0 || index >= GetCount())
        m_items.push_back(item);
    else
        m_items.insert(m_items.begin() + index, item);
    Relayout();
}

void CTKPTaskPanelItems::Remove(CTKPTaskPanelItem* item)
{
    RemoveAt(IndexOf(item));
}

void CTKPTaskPanelItems::ReleaseItem(CTKPTaskPanelItem* item)
{
    // The panel forgets the item, and a group's items with it, before the item forgets the panel: a
    // holder of its own may keep the item beyond the panel.
    if (m_pPanel) {
        m_pPanel->OnItemRemoved(item);
        if (auto* group = dynamic_cast<CTKPTaskPanelGroup*>(item))
            for (int i = 0; i < group->GetItemCount(); ++i)
                m_pPanel->OnItemRemoved(group->GetItemAt(i));
    }
    item->SetParentItems(nullptr);
    item->SetTaskPanel(nullptr);
    item->InternalRelease();
}

void CTKPTaskPanelItems::RemoveAt(int index)
{
    CTKPTaskPanelItem* item = GetAt(index);
    if (!item)
        return;
    m_items.erase(m_items.begin() + index);
    ReleaseItem(item);
    Relayout();
}

void CTKPTaskPanelItems::Clear(BOOL relayout)
{
    std::vector<CTKPTaskPanelItem*> items;
    items.swap(m_items);
    for (CTKPTaskPanelItem* item : items)
        ReleaseItem(item);
    if (relayout)
        Relayout();
}

int CTKPTaskPanelItems::GetNextVisibleIndex(int index, int step) const
{
    if (step == 0)
        return -1;
    for (index += step; index >= 0 && index < GetCount(); index += step)
        if (m_items[size_t(index)]->IsVisible())
            return index;
    return -1;
}

CTKPTaskPanelItem* CTKPTaskPanelItems::GetFirstVisibleItem() const
{
    return GetAt(GetNextVisibleIndex(-1, 1));
}

CTKPTaskPanelItem* CTKPTaskPanelItems::GetLastVisibleItem() const
{
    return GetAt(GetNextVisibleIndex(GetCount(), -1));
}

CRuntimeClass* CTKPTaskPanelItems::GetItemRuntimeClass() const
{
    return RUNTIME_CLASS(CTKPTaskPanelItem);
}

void CTKPTaskPanelItems::SetTaskPanel(CTKPTaskPanel* panel)
{
    m_pPanel = panel;
    for (CTKPTaskPanelItem* item : m_items)
        item->SetTaskPanel(panel);
}

void CTKPTaskPanelItems::DoPropExchange(CTKPPropExchange* px)
{
    CTKPTaskPanel* panel = m_pPanel;
    if (panel)
        panel->LockRedraw(TRUE);
    px->m_pContext = panel;
    try {
        std::unique_ptr<CTKPSectionEnumerator> items(px->GetEnumerator(u"Item"));
        if (px->IsLoading()) {
            Clear(FALSE);
            DWORD position = items->GetPosition(0);
            if (items->GetCount() > TKP_MAX_TASKPANEL_ITEMS)
                AfxThrowArchiveException(CArchiveException::badIndex);
            for (DWORD index = 0; position; ++index) {
                CString name;
                name.Format(u"Item%i", int(index));
                // A count larger than the sections that exist ends at the first missing one.
                if (!HasSection(px, name))
                    break;
                std::unique_ptr<CTKPPropExchange> section(items->GetNext(position));
                CObject* object = nullptr;
                if (!section || !section->ExchangeObject(&object, GetItemRuntimeClass()) || !object)
                    AfxThrowArchiveException(CArchiveException::badClass);
                auto* item = dynamic_cast<CTKPTaskPanelItem*>(object);
                if (!item) {
                    delete object;
                    AfxThrowArchiveException(CArchiveException::badClass);
                }
                // The collection holds the item before it reads anything, so a failure frees it.
                m_items.push_back(item);
                item->SetParentItems(this);
                item->SetTaskPanel(panel);
                item->DoPropExchange(section.get());
            }
        } else {
            DWORD position = items->GetPosition(DWORD(m_items.size()));
            for (CTKPTaskPanelItem* item : m_items) {
                std::unique_ptr<CTKPPropExchange> section(items->GetNext(position));
                CObject* object = item;
                if (!section || !section->ExchangeObject(&object, GetItemRuntimeClass()))
                    AfxThrowArchiveException(CArchiveException::generic);
                item->DoPropExchange(section.get());
            }
        }
    } catch (...) {
        if (panel)
            panel->LockRedraw(FALSE);
        throw;
    }
    if (panel)
        panel->LockRedraw(FALSE);
}

CRuntimeClass* CTKPTaskPanelGroups::GetItemRuntimeClass() const
{
    return RUNTIME_CLASS(CTKPTaskPanelGroup);
}

CTKPTaskPanelGroupItems::CTKPTaskPanelGroupItems(CTKPTaskPanelGroup* group)
    : CTKPTaskPanelItems(group ? group->GetTaskPanel() : nullptr), m_pGroup(group)
{
}

CRuntimeClass* CTKPTaskPanelGroupItems::GetItemRuntimeClass() const
{
    return RUNTIME_CLASS(CTKPTaskPanelGroupItem);
}
