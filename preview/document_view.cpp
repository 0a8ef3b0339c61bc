// The document preview view: picks its child control by the file's extension and loads the file.
#include "preview/document_view.h"

#include "preview/archive/zip_item_reader.h"
#include "preview/converter_host.h"
#include "preview/preview_host.h"
#include "preview/text_converters.h"
#include "preview/text_file_reader.h"

IMPLEMENT_DYNCREATE(CAdobeReaderView, CView)
BEGIN_MESSAGE_MAP(CAdobeReaderView, CView)
    ON_WM_CREATE()
    ON_WM_SIZE()
END_MESSAGE_MAP()

namespace {

// Files of any size can reach the view (a traced file has no size to judge it by); the text shown
// stops here, well past the 5 MiB the results page copies for preview.
const size_t kMaxTextChars = size_t(16) << 20;

const DWORD kRichEditStyle =
    WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | ES_WANTRETURN | ES_AUTOVSCROLL | ES_MULTILINE;

void SetPreviewOk(LONG value)
{
    if (IPreviewHost* host = GetPreviewHost())
        host->SetPreviewOkFlag(value);
}

} // namespace

CAdobeReaderView::~CAdobeReaderView() { delete m_pFont; }

int CAdobeReaderView::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    IPreviewHost* host = GetPreviewHost();
    if (!host)
        return 0;
    CString path = host->GetPreviewPath();
    HFONT font = ::CreateFontW(15, 15, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, u"Arial");
    m_pFont = new CFont;
    m_pFont->Attach(font);
    int dot = path.ReverseFind(u'.');
    CString extension = u"." + (dot >= 0 ? path.Mid(dot + 1) : path);
    extension.MakeLower();
    host->SetPreviewOkFlag(1);
    if (extension == u".pdf")
        ShowPdf(path);
    else if (extension == u".rtf")
        ShowRtf(path);
    else if (extension == u".doc")
        ShowWordDocument(path);
    else if (extension == u".gz" || extension == u".tgz")
        ShowGzip(path);
    else
        ShowText(path);
    return 0;
}

void CAdobeReaderView::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    CRect client;
    GetClientRect(&client);
    if (::IsWindow(m_pdf.m_hWnd))
        m_pdf.MoveWindow(&client, TRUE);
    if (::IsWindow(m_richEdit.m_hWnd))
        m_richEdit.MoveWindow(&client, TRUE);
}

BOOL CAdobeReaderView::CreateRichEdit()
{
    return m_richEdit.Create(kRichEditStyle, CRect(0, 0, 0, 0), this, IDC_RICH_EDIT);
}

void CAdobeReaderView::ApplyFontAndReadOnly()
{
    m_richEdit.SendMessage(WM_SETFONT, (WPARAM)m_pFont->GetSafeHandle(), TRUE);
    m_richEdit.SetReadOnly(TRUE);
}

// Without the PDF viewer the file's kind cannot be previewed here; that is no sign of a damaged file,
// so it is reported as a missing component rather than with an error message.
void CAdobeReaderView::ShowPdf(const CString& path)
{
    if (!m_pdf.Create(u"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, IDC_PDF_CONTROL)) {
        ReportPreviewComponentUnavailable();
        return;
    }
    SetPreviewOk(1);
    BSTR bstr = ::SysAllocString(path);
    try {
        // A document that cannot be opened (damaged, encrypted, without pages) is said so, not shown empty.
        if (!m_pdf.OpenFile(bstr)) {
            if (IPreviewHost* host = GetPreviewHost())
                host->ShowMessage(u"无法打开。     ", 2);
        }
    } catch (CException* e) {
        e->Delete();
        SetPreviewOk(0);
    }
    ::SysFreeString(bstr);
}

void CAdobeReaderView::ShowRtf(const CString& path)
{
    if (!CreateRichEdit()) {
        SetPreviewOk(0);
        return;
    }
    try {
        m_richEdit.StreamInFile(path);
    } catch (CException* e) {
        // A file that cannot be opened shows nothing of itself: reported like one that is empty.
        e->Delete();
        SetPreviewOk(0);
    }
    ApplyFontAndReadOnly();
}

// Word documents go through the Office text converters into a temporary rich-text file, which is then shown
// like any other. The file is removed again whatever happens on the way.
void CAdobeReaderView::ShowWordDocument(const CString& path)
{
    WCHAR folder[255] = {};
    ::GetTempPathW(255, folder);
    const CString rtfPath = CString(folder) + u"New.rtf";
    // The converters take narrow paths of the system code page.
    const std::string document = WideToAnsi(std::u16string((LPCWSTR)path));
    const std::string output = WideToAnsi(std::u16string((LPCWSTR)rtfPath));
    try {
        CConverterSession session;
        const int result =
            WordConvMain(WORD8_IMPORT_CLASS, WORD8_EXPORT_CLASS, document.c_str(), output.c_str());
        if (!CreateRichEdit()) {
            SetPreviewOk(0);
        } else {
            try {
                m_richEdit.StreamInFile(rtfPath);
            } catch (CException* e) {
                e->Delete();
                SetPreviewOk(0);
            }
            ApplyFontAndReadOnly();
        }
        // Without the converter nothing was converted: the kind cannot be previewed here, which says
        // nothing about the file.
        IPreviewHost* host = GetPreviewHost();
        if (host && !host->GetPreviewOkFlag() && (result == 1 || !WordConvFoundImportClass(WORD8_IMPORT_CLASS)))
            ReportPreviewComponentUnavailable();
    } catch (CException* e) {
        e->Delete();
        SetPreviewOk(0);
    }
    ::DeleteFileW(rtfPath);
}

// A gzip file shows its first item as text: the whole data of a plain gzip file, the first member
// of a tar archive inside one, or the first entry of a zip archive named so.
void CAdobeReaderView::ShowGzip(const CString& path)
{
    if (!CreateRichEdit()) {
        SetPreviewOk(0);
        return;
    }
    CWaitCursor wait;
    std::string narrow = WideToAnsi(std::u16string((LPCWSTR)path));
    CString text;
    if (!m_archive.OpenArchive(narrow.c_str())) {
        SetPreviewOk(0);
    } else {
        m_archive.CountItems();
        const BYTE* data = nullptr;
        size_t size = 0;
        int isFile = 0;
        CString kind, name;
        FILETIME times[3];
        LONGLONG modified = 0;
        if (!m_archive.GetItem(0, &data, &size, &isFile, kind, name, times, &modified))
            SetPreviewOk(0);
        else if (data)
            // The member is read as a text file would be, so UTF-8 and UTF-16 text come out as written.
            text = CTextFileReader::DecodeBytes(data, size, kMaxTextChars).c_str();
    }
    m_richEdit.SetWindowText(text);
    ApplyFontAndReadOnly();
}

void CAdobeReaderView::ShowText(const CString& path)
{
    if (!CreateRichEdit()) {
        SetPreviewOk(0);
        return;
    }
    CWaitCursor wait;
    CTextFileReader reader(path);
    if (!reader.IsOpen()) {
        SetPreviewOk(0);
        return;
    }
    CString text;
    reader.ReadText(text, u"\r\n", kMaxTextChars);
    m_richEdit.SetWindowText(text);
    ApplyFontAndReadOnly();
}
