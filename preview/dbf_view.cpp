// The dBASE table view: reads the table and shows its fields as display text.
#include "preview/dbf_view.h"

#include "afx/file.h"
#include "afx/ole_types.h"
#include "preview/dbf_table.h"
#include "preview/preview_host.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

IMPLEMENT_DYNCREATE(CDBF_View, CView)
BEGIN_MESSAGE_MAP(CDBF_View, CView)
    ON_WM_CREATE()
    ON_WM_SIZE()
END_MESSAGE_MAP()

namespace {

const DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
const int kColumnWidth = 100;
// More digits than a double holds would only show noise.
const int kMaxDecimals = 17;
// More than the rows shown can hold (10,000 records of 200 fields of 255 bytes would be far more;
// the records past this are treated as cut off).
const ULONGLONG kMaxTableBytes = ULONGLONG(64) << 20;

CString Narrow(std::string_view bytes)
{
    return CString(AnsiToWide(bytes.data(), bytes.size()));
}

// The first four bytes as a little-endian signed integer; a shorter field counts as zero-padded.
long Int32Of(std::string_view bytes)
{
    uint8_t b[4] = {};
    std::memcpy(b, bytes.data(), std::min<size_t>(4, bytes.size()));
    return (long)(int32_t)(b[0] | b[1] << 8 | b[2] << 16 | (uint32_t)b[3] << 24);
}

class ListSink : public DbfTableReader::Sink {
public:
    explicit ListSink(CListCtrl* list) : m_list(list) {}
    void OnField(const DbfField& f) override
    {
        m_list->InsertColumn(++m_columns, Narrow(f.name), LVCFMT_LEFT, kColumnWidth);
        m_types.push_back(f.type);
        m_decimals.push_back(f.decimals);
    }
    void OnRecord(int number, const std::vector<std::string_view>& cells) override
    {
        CString index;
        index.Format(u"%d", number);
        int row = m_list->InsertItem(number - 1, index);
        for (size_t i = 0; i < cells.size(); ++i)
            m_list->SetItemText(row, (int)i + 1, CDBF_View::FieldText(m_types[i], cells[i], m_decimals[i]));
    }

private:
    CListCtrl* m_list;
    int m_columns = 0;
    std::vector<char> m_types;
    std::vector<int> m_decimals;
};

} // namespace

CDBF_View::~CDBF_View() { delete m_pList; }

int CDBF_View::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    m_pList = new CListCtrl;
    m_pList->Create(kListStyle, CRect(0, 0, 0, 0), this, IDC_LIST);
    m_pList->SetExtendedStyle(m_pList->GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    IPreviewHost* host = GetPreviewHost();
    if (!host)
        return 0;
    m_pList->DeleteAllItems();
    while (m_pList->DeleteColumn(0)) {
    }
    if (!ReadTable(host->GetPreviewPath()))
        host->SetPreviewOkFlag(0);
    return 0;
}

BOOL CDBF_View::ReadTable(const CString& path)
{
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite))
        return FALSE;
    ULONGLONG length = file.GetLength();
    std::vector<uint8_t> data((size_t)std::min(length, kMaxTableBytes));
    size_t got = 0;
    while (got < data.size()) {
        UINT n = file.Read(data.data() + got, (UINT)std::min<size_t>(data.size() - got, 1 << 20));
        if (n == 0)
            break;
        got += n;
    }
    data.resize(got);
    file.Close();
    if (IPreviewHost* host = GetPreviewHost())
        host->SetPreviewOkFlag(1);
    m_pList->InsertColumn(0, u"Index", LVCFMT_LEFT, kColumnWidth);
    ListSink sink(m_pList);
    DbfTableReader reader;
    int result = reader.Read(data.data(), data.size(), sink);
    if (result == DbfTableReader::TOO_MANY_FIELDS) {
        m_pList->DeleteAllItems();
        while (m_pList->DeleteColumn(0)) {
        }
    }
    return result == DbfTableReader::OK;
}

void CDBF_View::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    if (m_pList && ::IsWindow(m_pList->m_hWnd)) {
        CRect client;
        GetClientRect(&client);
        m_pList->MoveWindow(&client, TRUE);
    }
}

CString CDBF_View::FieldText(char type, std::string_view bytes, int decimals)
{
    CString text;
    switch (type) {
    case 'N':
    case 'F': {
        std::string s(bytes);
        // An N(3,0) count shows as 30, not 30.000000; a damaged descriptor cannot ask for pages of zeros.
        CString format;
        format.Format(u"%%.%df", std::clamp(decimals, 0, kMaxDecimals));
        text.Format(format, std::strtod(s.c_str(), nullptr));
        break;
    }
    case 'C':
    case 'B': text = Narrow(bytes); break;
    case 'Y': {
        text.Format(u"%ld", Int32Of(bytes));
        if (text.GetLength() > 4) {
            text = text.Left(text.GetLength() - 4);
            COleCurrency currency;
            if (currency.ParseCurrency(text, 0, LOCALE_USER_DEFAULT))
                text = currency.Format(0, LOCALE_USER_DEFAULT);
        }
        break;
    }
    case 'I': text.Format(u"%ld", Int32Of(bytes)); break;
    case 'D':
        text = Narrow(bytes);
        text.Insert(4, u'/');
        text.Insert(7, u'/');
        break;
    case 'L': {
        text = Narrow(bytes);
        text.Trim();
        text.MakeUpper();
        static const CString yes[] = {u"T", u"Y", u"YES", u"TRUE", Narrow("\xC4\xC0"),
                                      Narrow("\xC8\xD1\xD2\xC8\xCD\xC0")};
        bool truth = false;
        for (const CString& y : yes)
            truth |= text == y;
        text = truth ? u"TRUE" : u"FALSE";
        break;
    }
    case 'M': text = u"Memo"; break;
    case 'G': text = u"General"; break;
    case 'P': text = u"Picture"; break;
    default: break;
    }
    return text;
}
