// The renderer object: navigation over local files, form controls, status texts, painting and link hit testing.
#include "preview/html/html_renderer.h"

#include <algorithm>
#include <string>

#include "preview/html/html_res_protocol.h"
#include "win32/controls/statusbar.h"

namespace {

HtmlText Number(long long n)
{
    std::string s = std::to_string(n);
    return HtmlText(s.begin(), s.end());
}

HtmlText Format(const char* format, int a, int b)
{
    char buffer[96];
    snprintf(buffer, sizeof(buffer), format, a, b);
    return HtmlText(buffer, buffer + strlen(buffer));
}

HtmlText Extension(HtmlView address)
{
    size_t dot = address.rfind(u'.');
    size_t slash = address.find_last_of(u"/\\");
    if (dot == HtmlView::npos || (slash != HtmlView::npos && slash > dot))
        return HtmlText();
    return HtmlText(address.substr(dot + 1));
}

// Page bytes as text: a byte-order mark chooses UTF-16 or UTF-8, anything else is the program's code page.
HtmlText PageText(const std::string& bytes, bool navigating)
{
    std::string data = bytes;
    if (data.size() >= 2 && (unsigned char)data[0] == 0xFF && (unsigned char)data[1] == 0xFE) {
        HtmlText text;
        for (size_t i = 2; i + 1 < data.size(); i += 2)
            text += char16_t((unsigned char)data[i] | ((unsigned char)data[i + 1] << 8));
        if (navigating)
            std::replace(text.begin(), text.end(), u'\0', u' ');
        return text;
    }
    if (navigating)
        std::replace(data.begin(), data.end(), '\0', ' ');
    if (data.size() >= 3 && data.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return AnsiToWide(data.substr(3), CP_UTF8);
    return AnsiToWide(data);
}

} // namespace

CHtmlRenderer::CHtmlRenderer(HWND window, HWND host, HWND statusBar, HWND addressBox, HWND backButton)
    : m_hWnd(window), m_hHost(host), m_hStatus(statusBar), m_hAddress(addressBox), m_hBack(backButton),
      m_pDocument(std::make_unique<HtmlDocument>(this)), m_images(window)
{
}

CHtmlRenderer::~CHtmlRenderer()
{
    // The loaders stop first: none may post to a window or touch a request after this.
    m_images.SetNotifyWindow(nullptr);
    m_images.Stop();
    DestroyFormControls();
    if (m_hBackBuffer)
        DeleteObject(m_hBackBuffer);
    m_pDocument.reset();
    if (m_hMeasureDC)
        DeleteDC(m_hMeasureDC);
    FreeCachedFonts();
    if (m_hPageBrush)
        DeleteObject(m_hPageBrush);
    HandleScrollMessage(nullptr, 0, 0, 0);
}

HFONT CHtmlRenderer::CachedFont(HtmlView face, int size, bool bold, bool italic, bool underline, bool strikeOut)
{
    auto key = std::make_tuple(std::u16string(face), size, bold, italic, underline, strikeOut);
    auto found = m_fonts.find(key);
    if (found != m_fonts.end())
        return found->second;
    // A page of many faces and sizes starts the cache over rather than growing it without end; no
    // cached font is selected into a DC between calls.
    if (m_fonts.size() >= 256)
        FreeCachedFonts();
    HtmlText faceName(face);
    HFONT font = CreateFontW(size, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, underline, strikeOut,
                             EqualsNoCase(face, u"Wingdings") ? SYMBOL_CHARSET : ANSI_CHARSET, 0, 0, 0, 0,
                             faceName.c_str());
    if (font)
        m_fonts.emplace(std::move(key), font);
    return font;
}

void CHtmlRenderer::FreeCachedFonts()
{
    for (auto& entry : m_fonts)
        DeleteObject(entry.second);
    m_fonts.clear();
}

void CHtmlRenderer::MeasureText(HtmlView face, int size, bool bold, bool italic, HtmlView text, int& cx, int& cy)
{
    if (!m_hMeasureDC)
        m_hMeasureDC = CreateCompatibleDC(nullptr);
    HFONT font = CachedFont(face, size, bold, italic, false, false);
    HGDIOBJ old = SelectObject(m_hMeasureDC, font);
    SIZE extent = {0, 0};
    GetTextExtentPoint32W(m_hMeasureDC, text.data(), int(text.size()), &extent);
    SelectObject(m_hMeasureDC, old);
    cx = extent.cx;
    cy = extent.cy;
}

void CHtmlRenderer::ShowStatus(HtmlView text)
{
    if (m_hStatus) {
        HtmlText copy(text);
        SendMessageW(m_hStatus, SB_SETTEXTW, 0, LPARAM(copy.c_str()));
    }
}

void CHtmlRenderer::OnProgress(int phase, int done, int total)
{
    if (phase == 0)
        ShowStatus(Format("Parsing %d of %d", done, total));
}

void CHtmlRenderer::SetTitle(const HtmlText& text)
{
    if (m_hHost)
        SetWindowTextW(m_hHost, text.c_str());
}

int CHtmlRenderer::AddForm(const HtmlText& action, const HtmlText& method)
{
    int row = m_forms.AddRow() - 1;
    m_forms.AddString(row, action.c_str());
    m_forms.AddString(row, method.c_str());
    return row;
}

HWND CHtmlRenderer::MakeControl(const char16_t* cls, DWORD style, DWORD exStyle, int width, int height,
                                const HtmlText& text, const HtmlText& name, int form, int kind,
                                const HtmlText* caption)
{
    if (!m_hWnd)
        return nullptr;
    int row = m_controls.AddRow() - 1;
    HWND control = CreateWindowExW(exStyle, cls, text.c_str(), WS_CHILD | WS_TABSTOP | style, 0, 0, width, height,
                                   m_hWnd, HMENU(intptr_t(m_controls.GetRowCount())), nullptr, nullptr);
    m_controls.AddString(row, Number(intptr_t(control)).c_str());
    m_controls.AddString(row, name.c_str());
    m_controls.AddString(row, Number(form).c_str());
    m_controls.AddString(row, Number(kind).c_str());
    if (caption)
        m_controls.AddString(row, caption->c_str());
    if (control) {
        int font = (kind == 0 && (style & ES_MULTILINE)) ? ANSI_FIXED_FONT : ANSI_VAR_FONT;
        SendMessageW(control, WM_SETFONT, WPARAM(GetStockObject(font)), 0);
    }
    return control;
}

uintptr_t CHtmlRenderer::CreateEditControl(bool limited, int limit, int width, int height, const HtmlText& text,
                                           bool multiLine, const HtmlText& name, int form, bool password)
{
    DWORD style = (multiLine ? ES_MULTILINE | WS_VSCROLL : ES_AUTOHSCROLL) | (password ? ES_PASSWORD : 0);
    HWND edit = MakeControl(u"edit", style, WS_EX_CLIENTEDGE, width, height, text, name, form, 0, nullptr);
    if (edit && limited)
        SendMessageW(edit, EM_SETLIMITTEXT, WPARAM(limit), 0);
    return uintptr_t(edit);
}

uintptr_t CHtmlRenderer::CreatePushButton(int width, int height, const HtmlText& caption, const HtmlText& name,
                                          int form)
{
    return uintptr_t(MakeControl(u"button", BS_PUSHBUTTON, 0, width, height, caption, name, form, 1, nullptr));
}

uintptr_t CHtmlRenderer::CreateRadioButton(int width, int height, const HtmlText& caption, const HtmlText& name,
                                           int form)
{
    return uintptr_t(MakeControl(u"button", BS_AUTORADIOBUTTON, 0, width, height, HtmlText(), name, form, 2, &caption));
}

uintptr_t CHtmlRenderer::CreateCheckBox(int width, int height, const HtmlText& caption, const HtmlText& name,
                                        int form)
{
    return uintptr_t(MakeControl(u"button", BS_AUTOCHECKBOX, 0, width, height, HtmlText(), name, form, 3, &caption));
}

uintptr_t CHtmlRenderer::CreateComboBox(int width, int height, const std::vector<HtmlOption>& options, int selected,
                                        const HtmlText& name, int form)
{
    HWND combo = MakeControl(u"combobox", CBS_DROPDOWNLIST | WS_VSCROLL, 0, width, height + 200, HtmlText(), name,
                             form, 4, nullptr);
    if (!combo)
        return 0;
    for (const HtmlOption& o : options) {
        LRESULT item = SendMessageW(combo, CB_ADDSTRING, 0, LPARAM(o.text.c_str()));
        if (item >= 0) {
            // The renderer keeps the values: the control may be destroyed with its parent first.
            m_comboValues.push_back(std::make_unique<HtmlText>(o.value));
            SendMessageW(combo, CB_SETITEMDATA, WPARAM(item), LPARAM(m_comboValues.back().get()));
        }
    }
    SendMessageW(combo, CB_SETCURSEL, WPARAM(selected), 0);
    return uintptr_t(combo);
}

void CHtmlRenderer::PlaceControl(uintptr_t control, int x, int y)
{
    HWND hwnd = HWND(control);
    if (!IsWindow(hwnd))
        return;
    int sx = int(SendMessageW(m_hWnd, WM_HTML_GETPOSX, 0, 0));
    int sy = int(SendMessageW(m_hWnd, WM_HTML_GETPOSY, 0, 0));
    SetWindowPos(hwnd, nullptr, x - sx, y - sy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(hwnd, SW_SHOWNA);
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
}

int CHtmlRenderer::GetDropDownWidth() { return GetSystemMetrics(SM_CXHSCROLL); }

void CHtmlRenderer::DestroyFormControls()
{
    for (int row = 0; row < m_controls.GetRowCount(); ++row) {
        CHtmlStringList& r = m_controls.GetRow(row);
        HWND control = HWND(intptr_t(ParseNumber(r.GetAt(0))));
        if (IsWindow(control))
            DestroyWindow(control);
    }
    m_comboValues.clear();
    m_controls.RemoveAll();
    m_forms.RemoveAll();
}

void CHtmlRenderer::LayoutPage()
{
    RECT client = {0, 0, 0, 0};
    if (m_hWnd)
        GetClientRect(m_hWnd, &client);
    auto [width, height] = m_pDocument->Layout(client.right);
    if (m_hWnd)
        SendMessageW(m_hWnd, WM_HTML_SETCONTENT, WPARAM(width), LPARAM(height));
}

void CHtmlRenderer::ShowPage(HtmlView address, HtmlView text, std::optional<HtmlView> base)
{
    m_strCurrent = HtmlText(address.substr(0, kMaxAddressLength));
    int row = m_history.AddRow() - 1;
    m_history.AddString(row, m_strCurrent.c_str());
    m_history.AddString(row, HtmlText(text).c_str(), int(text.size()));
    if (m_hBack)
        EnableWindow(m_hBack, m_history.GetRowCount() >= 2);
    DestroyFormControls();
    // The images of the page before are of no use any more: their loads stop here.
    m_images.Stop();
    m_pDocument->LoadHtml(text, m_strFace, m_nFontSize, 0, base ? *base : HtmlView(m_strCurrent));
    if (m_hAddress)
        SetWindowTextW(m_hAddress, m_strCurrent.c_str());
    LayoutPage();
    if (m_hWnd) {
        SendMessageW(m_hWnd, WM_HTML_SETPOSX, 0, 0);
        SendMessageW(m_hWnd, WM_HTML_SETPOSY, 0, 0);
        InvalidateRect(m_hWnd, nullptr, FALSE);
        UpdateWindow(m_hWnd);
    }
}

BOOL CHtmlRenderer::Navigate(HtmlView address)
{
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    m_strIdle.clear();
    if (StartsWithNoCase(address, u"Submit(")) {
        SubmitForm(int(ParseNumber(address.substr(7))));
        return TRUE;
    }
    if (address.size() > kMaxAddressLength)
        return FALSE;
    if (m_history.GetRowCount() > 0) {
        int last = m_history.GetRowCount() - 1;
        HtmlText pos = Number(m_hWnd ? SendMessageW(m_hWnd, WM_HTML_GETPOSY, 0, 0) : 0);
        if (m_history.GetRow(last).GetCount() == 2)
            m_history.AddString(last, pos.c_str());
        else
            m_history.SetString(last, 2, pos.c_str());
    }
    HtmlText ext = Extension(address);
    if (EqualsNoCase(ext, u"jpg") || EqualsNoCase(ext, u"gif") || EqualsNoCase(ext, u"png")) {
        // A picture is shown as a yellow page holding it.
        ShowPage(address, u"<body bgcolor=ffff00><img src=\"" + HtmlText(address) + u"\"></body>", u"");
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        return TRUE;
    }
    ShowStatus(u"From Internet");
    m_nNavigating = 1;
    HtmlText text;
    bool ok = LoadDocument(address, text);
    m_nNavigating = 0;
    if (!ok)
        return FALSE;
    ShowPage(address, text);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    return TRUE;
}

bool CHtmlRenderer::LoadDocument(HtmlView address, HtmlText& text)
{
    text.clear();
    if (StartsWithNoCase(address, u"res://")) {
        size_t size = 0;
        std::unique_ptr<char16_t[]> page = CResProtocolHost::LoadText(address, size);
        if (!page)
            return false;
        text.assign(page.get(), size / 2);
        return true;
    }
    std::string bytes;
    if (!FetchLocalFile(address, kMaxPageBytes, bytes))
        return false;
    text = PageText(bytes, m_nNavigating != 0);
    return true;
}

bool CHtmlRenderer::FetchBinary(HtmlView address, std::string& data)
{
    if (StartsWithNoCase(address, u"res://")) {
        size_t size = 0;
        std::unique_ptr<char[]> bytes = CResProtocolHost::LoadData(address, size);
        if (!bytes)
            return false;
        data.assign(bytes.get(), size);
        return true;
    }
    return FetchLocalFile(address, kMaxImageBytes, data);
}

bool CHtmlRenderer::PostForm(HtmlView, HtmlView, HtmlText& reply)
{
    reply.clear();
    ShowStatus(u"");
    return false;
}

void CHtmlRenderer::SubmitForm(int form)
{
    HtmlText query;
    for (int row = 0; row < m_controls.GetRowCount(); ++row) {
        CHtmlStringList& r = m_controls.GetRow(row);
        // A submit control outside any form (number -1) sends nothing of the forms.
        if (form < 0 || ParseNumber(r.GetAt(2)) != form)
            continue;
        HWND control = HWND(intptr_t(ParseNumber(r.GetAt(0))));
        int kind = int(ParseNumber(r.GetAt(3)));
        if (kind == 1)
            continue;
        if ((kind == 2 || kind == 3) && SendMessageW(control, BM_GETCHECK, 0, 0) != BST_CHECKED)
            continue;
        HtmlText value;
        if (kind == 4) {
            LRESULT item = SendMessageW(control, CB_GETCURSEL, 0, 0);
            auto* data = reinterpret_cast<HtmlText*>(SendMessageW(control, CB_GETITEMDATA, WPARAM(item), 0));
            if (data && LRESULT(intptr_t(data)) != CB_ERR && !data->empty()) {
                value = *data;
            } else if (item >= 0) {
                LRESULT length = SendMessageW(control, CB_GETLBTEXTLEN, WPARAM(item), 0);
                if (length > 0) {
                    value.resize(size_t(length) + 1);
                    SendMessageW(control, CB_GETLBTEXT, WPARAM(item), LPARAM(value.data()));
                    value.resize(size_t(length));
                }
            }
        } else if (kind == 2 || kind == 3) {
            value = r.GetAt(4);
        } else {
            int length = GetWindowTextLengthW(control);
            value.resize(size_t(length) + 1);
            GetWindowTextW(control, value.data(), length + 1);
            value.resize(size_t(std::max(0, length)));
        }
        query += query.empty() ? u"?" : u"&";
        query += r.GetAt(1);
        query += u"=";
        query += UrlEncode(value);
        if (query.size() > kMaxAddressLength)
            return;
    }
    if (form < 0 || form >= m_forms.GetRowCount())
        return;
    HtmlText action = m_forms.GetRow(form).GetAt(0);
    if (EqualsNoCase(m_forms.GetRow(form).GetAt(1), u"get")) {
        if (action.find(u'?') != HtmlText::npos && !query.empty())
            query[0] = u'&';
        Navigate(action + query);
        return;
    }
    HtmlText reply;
    if (PostForm(action, query.empty() ? query : query.substr(1), reply))
        ShowPage(action, reply);
}

void CHtmlRenderer::OnImagesLoaded(int finished, int total)
{
    int step = 10;
    while (step < total && step < 1000000000)
        step *= 10;
    if (!m_hWnd)
        return;
    if (finished != total && finished % std::max(1, step / 10) != 0)
        InvalidateRect(m_hWnd, nullptr, FALSE);
    else
        PostMessageW(m_hWnd, WM_HTML_RELAYOUT, 0, 0);
    if (finished != total) {
        ShowStatus(Format("Loaded Image %d of %d", finished, total));
    } else {
        int items = 0, images = 0, links = 0, level = 0;
        GetInfo(items, images, links, level);
        char buffer[128];
        snprintf(buffer, sizeof(buffer), "Ready, items:%d, images:%d, links:%d, level:%d", items, images, links,
                 level);
        m_strIdle = HtmlText(buffer, buffer + strlen(buffer));
        ShowStatus(m_strIdle);
    }
}

void CHtmlRenderer::InvalidateDocRect(const RECT& rect)
{
    if (!m_hWnd)
        return;
    int sx = int(SendMessageW(m_hWnd, WM_HTML_GETPOSX, 0, 0));
    int sy = int(SendMessageW(m_hWnd, WM_HTML_GETPOSY, 0, 0));
    RECT r = {rect.left - sx, rect.top - sy, rect.right - sx, rect.bottom - sy};
    InvalidateRect(m_hWnd, &r, FALSE);
}

void CHtmlRenderer::OnLinkHover(BOOL over, HtmlView address)
{
    if (address != HtmlView(m_strHoverLink)) {
        InvalidateLinkByUrl(m_strHoverLink);
        m_strHoverLink = HtmlText(address);
    }
    if (!over) {
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        ShowStatus(m_strIdle);
        return;
    }
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    InvalidateLinkByUrl(address);
    ShowStatus(address);
}

void CHtmlRenderer::GetInfo(int& items, int& images, int& links, int& level)
{
    items = m_pDocument->m_nItems;
    images = m_images.GetCount();
    links = int(m_pDocument->m_links.size());
    level = m_pDocument->m_nLevel;
}
