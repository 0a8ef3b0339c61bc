// The archive view: its list, columns and header images, and the zip and RAR listers.
#include "preview/archive/archive_list_view.h"

#include "preview/archive/rar_entry_list.h"
#include "preview/archive/zip_reader.h"
#include "preview/preview_host.h"
#include "res/preview/preview_res.h"

IMPLEMENT_DYNCREATE(CMyListCtrl, CView)
BEGIN_MESSAGE_MAP(CMyListCtrl, CView)
    ON_WM_CREATE()
    ON_WM_SIZE()
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CArchiveListCtrl, CListCtrl)
    ON_NOTIFY_REFLECT(NM_CLICK, OnClickItem)
    ON_NOTIFY_REFLECT(NM_DBLCLK, OnClickItem)
END_MESSAGE_MAP()

namespace {

const DWORD kListStyle =
    WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_AUTOARRANGE;

// The header images in image-list order: column i shows image i.
const UINT kHeaderIcons[] = {IDI_ARCHIVE_NAME,     IDI_ARCHIVE_FOLDER,   IDI_ARCHIVE_SIZE,     IDI_ARCHIVE_ACCESSED,
                             IDI_ARCHIVE_CREATED,  IDI_ARCHIVE_MODIFIED, IDI_ARCHIVE_ATTRIBUTES};

struct Column {
    const char16_t* heading;
    int width;
};
const Column kZipColumns[] = {{u"文件名   ", 200},    {u"目录     ", 100},   {u"文件大小 ", 100},
                              {u"访问时间   ", 150}, {u"创建时间     ", 150}, {u"修改时间   ", 150},
                              {u"属性     ", 200}};
const Column kListColumns[] = {{u"文件名   ", 200}, {u"目录     ", 100}, {u"文件大小 ", 100},
                               {u"访问时间   ", 150}, {u"属性     ", 200}};

// The preview path's extension: the text after its last ".", with the dot, in lower case.
CString PathExtension(const CString& path)
{
    int dot = path.ReverseFind(u'.');
    CString extension = u"." + (dot >= 0 ? path.Mid(dot + 1) : path);
    extension.MakeLower();
    return extension;
}

CString Decimal(ULONGLONG value)
{
    CString text;
    text.Format(u"%I64u", value);
    return text;
}

} // namespace

// ---- Texts of the cells -------------------------------------------------------------------------

CString FormatArchiveTime(const CTime& time)
{
    return time.Format(u"%d %b %Y, %X");
}

CString FormatAttributeLetters(DWORD attributes)
{
    CString letters;
    letters += attributes & FILE_ATTRIBUTE_READONLY ? u'r' : u'-';
    letters += attributes & FILE_ATTRIBUTE_ARCHIVE ? u'a' : u'-';
    letters += attributes & FILE_ATTRIBUTE_HIDDEN ? u'h' : u'-';
    letters += attributes & FILE_ATTRIBUTE_SYSTEM ? u's' : u'-';
    return letters;
}

// ---- The list -----------------------------------------------------------------------------------

void CArchiveListCtrl::SetupColumns(const CString& extension)
{
    const Column* columns = nullptr;
    int count = 0;
    if (extension == u".zip") {
        columns = kZipColumns;
        count = int(std::size(kZipColumns));
    } else if (extension == u".cab" || extension == u".rar") {
        columns = kListColumns;
        count = int(std::size(kListColumns));
    }
    for (int i = 0; i < count; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.pszText = const_cast<LPWSTR>(columns[i].heading);
        column.cx = columns[i].width;
        // Each column shows its own sub-item, as the rows fill them.
        column.iSubItem = i;
        InsertColumn(i, &column);
    }
}

void CArchiveListCtrl::SetupHeaderImages()
{
    if (!m_headerImages.GetSafeHandle()) {
        m_headerImages.Create(16, 16, ILC_COLOR16 | ILC_MASK, 0, 7);
        for (UINT id : kHeaderIcons) {
            // Drawn at 48 x 48 and shown at 16 x 16.
            auto icon = (HICON)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id), IMAGE_ICON, 48, 48, 0);
            m_headerImages.Add(icon);
            if (icon)
                ::DestroyIcon(icon);
        }
    }
    CHeaderCtrl* header = GetHeaderCtrl();
    if (!header)
        return;
    header->SetImageList(&m_headerImages);
    for (int i = 0; i < 7; ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        if (!header->GetItem(i, &item))
            continue;
        item.mask = HDI_FORMAT | HDI_IMAGE;
        item.fmt |= HDF_IMAGE;
        item.iImage = i;
        header->SetItem(i, &item);
    }
}

int CArchiveListCtrl::AddRow(int index, const CString& name, int image, std::initializer_list<CString> cells)
{
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = index;
    item.pszText = const_cast<LPWSTR>((LPCWSTR)name);
    item.iImage = image;
    int row = InsertItem(&item);
    if (row < 0)
        return row;
    int column = 1;
    for (const CString& cell : cells)
        SetItemText(row, column++, cell);
    return row;
}

void CArchiveListCtrl::OnClickItem(NMHDR* pNMHDR, LRESULT* pResult)
{
    CPoint point;
    ::GetCursorPos(&point);
    ScreenToClient(&point);
    HitTest(point);
    UpdateWindow();
    *pResult = 0;
}

// ---- The view -----------------------------------------------------------------------------------

CMyListCtrl::~CMyListCtrl()
{
    delete m_pArchiveList;
}

int CMyListCtrl::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    m_pArchiveList = new CArchiveListCtrl;
    m_pArchiveList->Create(kListStyle, CRect(0, 0, 100, 100), this, IDC_ARCHIVE_LIST);
    m_pArchiveList->SetExtendedStyle(m_pArchiveList->GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    // The shell's small icons, which the found-file list shows too.
    if (HIMAGELIST system = CShellFileInfo::GetSystemImageList(TRUE))
        m_pArchiveList->SendMessage(LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)system);
    IPreviewHost* host = GetPreviewHost();
    CString extension = host ? PathExtension(host->GetPreviewPath()) : CString();
    m_pArchiveList->SetupColumns(extension);
    m_pArchiveList->SetupHeaderImages();
    if (!host)
        return 0;
    int (*lister)(CMyListCtrl*) = extension == u".zip"   ? ListZipArchive
                                  : extension == u".cab" ? ListCabArchive
                                  : extension == u".rar" ? ListRarArchive
                                                         : nullptr;
    if (lister) {
        int ok = lister(this);
        // A missing library has already said so; its file is not damaged.
        if (!IsPreviewComponentUnavailable())
            host->SetPreviewOkFlag(ok);
    }
    return 0;
}

void CMyListCtrl::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    if (!m_pArchiveList || !::IsWindow(m_pArchiveList->m_hWnd))
        return;
    CRect client;
    GetClientRect(&client);
    m_pArchiveList->MoveWindow(&client, TRUE);
}

// ---- Zip ----------------------------------------------------------------------------------------

int ListZipArchive(CMyListCtrl* view)
{
    IPreviewHost* host = GetPreviewHost();
    if (!host)
        return 0;
    CString path = host->GetPreviewPath().Left(259);
    ZipHandle zip = ZipOpenArchive((LPCWSTR)path, 0, ZIP_FILENAME);
    // A file that holds no readable archive is damaged: the pane says so.
    if (!zip)
        return 0;
    CArchiveListCtrl& list = *view->m_pArchiveList;
    ZipItemInfo info{};
    int ok = 1;
    int count = ZipGetEntry(zip, -1, &info) == ZIPR_OK ? info.index : 0;
    for (int i = 0; i < count; ++i) {
        if (ZipGetEntry(zip, i, &info) != ZIPR_OK) {
            // An entry whose headers disagree is shown as one, with nothing of another entry.
            list.AddRow(i, u"?", -1, {});
            ok = 0;
            continue;
        }
        CString name(info.name);
        list.AddRow(i, name, CShellFileInfo::GetIconIndex(name, TRUE),
                    {name.Find(u'/') >= 0 ? CString(u"是") : CString(u"否"), Decimal(DWORD(info.compressedSize)),
                     FormatArchiveTime(CTime(info.accessTime)), FormatArchiveTime(CTime(info.creationTime)),
                     FormatArchiveTime(CTime(info.modificationTime)), FormatAttributeLetters(info.attributes)});
    }
    if (ZipIsReader(zip))
        ZipCloseArchive(zip);
    else
        ZipCloseWriter(zip);
    return ok;
}

// ---- RAR ----------------------------------------------------------------------------------------

int ListRarArchive(CMyListCtrl* view)
{
    IPreviewHost* host = GetPreviewHost();
    if (!host)
        return 0;
    CString wide = host->GetPreviewPath();
    std::string path = WideToAnsi(std::u16string((LPCWSTR)wide));
    CRarEntryList entries;
    if (!entries.IsLoaded()) {
        ReportPreviewComponentUnavailable();
        return 0;
    }
    if (!entries.ReadArchive(path.c_str()))
        return 0;
    CArchiveListCtrl& list = *view->m_pArchiveList;
    list.DeleteAllItems();
    for (int i = 0; i < entries.GetCount(); ++i) {
        const RarEntry& e = entries.GetEntry(i);
        // The dictionary bits of a RAR file header are all set for a folder and only for one.
        bool folder = (e.flags & RHDF_DIRECTORY) == RHDF_DIRECTORY;
        DWORD dos = DWORD(e.time & 0xffffffff);
        list.AddRow(i, e.name, CShellFileInfo::GetIconIndex(e.name, TRUE),
                    {folder ? CString(u"是") : CString(u"否"), Decimal(e.unpackedSize),
                     FormatArchiveTime(CTime(WORD(dos >> 16), WORD(dos & 0xffff))),
                     FormatAttributeLetters(e.attributes)});
    }
    // What could be read stays listed; the pane still says the archive is damaged.
    return entries.IsDamaged() ? 0 : 1;
}
