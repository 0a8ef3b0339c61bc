// The HTML message box: parameter block, remembered answers, layout, painting and the countdown.
#include "controls/html_message_box.h"
#include "win32/shell.h"

#include <algorithm>
#include <cstring>
#include <new>

using namespace html;

namespace {

struct BuiltIn {
    int id;
    const char16_t* caption;
    int stringId;
};

const BuiltIn kButtons[] = {
    {IDOK, u"OK", 9001},           {IDCANCEL, u"Cancel", 9002},         {IDABORT, u"Abort", 9005},
    {IDRETRY, u"Retry", 9004},     {IDIGNORE, u"Ignore", 9003},         {IDYES, u"\u662F", 9007},
    {IDNO, u"\u5426", 9008},       {IDHTML_HELP, u"Help", 9006},        {IDHTML_TRYAGAIN, u"Try again", 9015},
    {IDHTML_CONTINUE, u"Continue", 9009}, {IDHTML_SKIP, u"Skip", 9018},  {IDHTML_SKIPALL, u"Skip all", 9019},
    {IDHTML_IGNOREALL, u"Ignore all", 9017}, {IDHTML_YESTOALL, u"Yes to all", 9013},
    {IDHTML_NOTOALL, u"No to all", 9014}, {IDHTML_REPORT, u"Report", 9016}, {IDHTML_LESS, u"<< More", 9011},
    {IDHTML_MORE, u"More >>", 9010},
};
// Not button ids: the check box and the countdown format borrow the caption look-up.
constexpr int kCheckBoxId = -1;
constexpr int kCountdownId = -2;
const BuiltIn kOthers[] = {{kCheckBoxId, u"Do not show again", 9012},
                           {kCountdownId, u"%s (%d seconds remaining)", 9020}};

const BuiltIn* FindBuiltIn(int id) {
    for (const auto& b : kButtons)
        if (b.id == id) return &b;
    for (const auto& b : kOthers)
        if (b.id == id) return &b;
    return nullptr;
}

// Replaces "%s" and "%d" in order; the format may come from resources, so it never reaches printf.
HtmlString Format(const HtmlString& format, const HtmlString& text, int number) {
    HtmlString out;
    bool textUsed = false, numberUsed = false;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == u'%' && i + 1 < format.size()) {
            const char16_t k = format[i + 1];
            if (k == u's' && !textUsed) {
                out += text;
                textUsed = true;
                ++i;
                continue;
            }
            if (k == u'd' && !numberUsed) {
                std::string digits = std::to_string(number);
                out.append(digits.begin(), digits.end());
                numberUsed = true;
                ++i;
                continue;
            }
            if (k == u'%') {
                out += u'%';
                ++i;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}

HtmlString Hex(ULONG_PTR value) {
    static const char16_t digits[] = u"0123456789ABCDEF";
    HtmlString out;
    do {
        out.insert(out.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value);
    return out;
}

HtmlString Decimal(long long value) {
    std::string s = std::to_string(value);
    return HtmlString(s.begin(), s.end());
}

bool IsText(LPCWSTR value) { return value && !IS_INTRESOURCE(value); }

SIZE TextExtent(HDC dc, const HtmlString& text) {
    SIZE size{0, 0};
    if (!text.empty()) GetTextExtentPoint32W(dc, text.c_str(), (int)text.size(), &size);
    return size;
}

HtmlString RegistryKey(const MessageBoxParams& params) {
    WCHAR path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    HtmlString file(path, std::min<DWORD>(n, MAX_PATH));
    const size_t slash = file.find_last_of(u"\\/");
    if (slash != HtmlString::npos) file.erase(0, slash + 1);
    HtmlString key = u"Software\\";
    if (IsText(params.companyKey) && *params.companyKey) key += HtmlString(params.companyKey) + u"\\";
    return key + file + u"\\ZarnMessageBox";
}

HtmlString ValueName(const MessageBoxParams& params) {
    return HtmlString(params.valuePrefix) + Decimal((long long)params.valueNumber);
}

bool HasValuePrefix(const MessageBoxParams& params) { return IsText(params.valuePrefix) && *params.valuePrefix; }

}  // namespace

void InitMessageBoxArea(MessageBoxArea* area) {
    if (!area) return;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    *area = MessageBoxArea{0, 0, nullptr, -1, face, face, face};
}

int HtmlMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style, const MessageBoxParams* params) {
    MessageBoxParams block{};
    InitMessageBoxArea(&block.areaA);
    InitMessageBoxArea(&block.areaB);
    InitMessageBoxArea(&block.areaC);
    InitMessageBoxArea(&block.areaD);
    block.buttonAlign = 2;
    if (params) block = *params;
    block.owner = owner;
    block.messageText = text;
    block.caption = caption;
    block.style = style;
    return HtmlMessageBoxIndirect(&block);
}

DWORD CHtmlMessageBox::ReadRememberedAnswer(const MessageBoxParams& params) {
    if (!HasValuePrefix(params)) return 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, RegistryKey(params).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    DWORD value = 0, size = sizeof(value), type = 0;
    if (RegQueryValueExW(key, ValueName(params).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        size != sizeof(value))
        value = 0;
    RegCloseKey(key);
    return value;
}

void CHtmlMessageBox::WriteRememberedAnswer(const MessageBoxParams& params, DWORD value) {
    if (!HasValuePrefix(params)) return;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, RegistryKey(params).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, ValueName(params).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
}

int HtmlMessageBoxIndirect(const MessageBoxParams* params) {
    if (!params) return -1;
    MessageBoxParams block = *params;
    if (!block.owner) {
        block.owner = GetActiveWindow();
        if (block.owner) block.owner = GetLastActivePopup(block.owner);
    }
    if ((block.style & MB_HTML_DONOTASK) && HasValuePrefix(block)) {
        if (DWORD remembered = CHtmlMessageBox::ReadRememberedAnswer(block)) return (int)remembered;
    }
    if (!(block.style & MB_HTML_NOSOUND)) MessageBeep((UINT)(block.style & 0xF0));

    auto box = std::make_unique<CHtmlMessageBox>(block);
    // A zero-filled template: the box's style, no controls, no menu, class or title.
    std::unique_ptr<WORD[]> tmpl(new (std::nothrow) WORD[18]());
    if (!tmpl) return IDCANCEL;
    DLGTEMPLATE* t = reinterpret_cast<DLGTEMPLATE*>(tmpl.get());
    t->style = 0x90C80880;
    t->cx = 100;
    t->cy = 100;
    const INT_PTR result =
        DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t, block.owner, CHtmlMessageBox::DialogProc, (LPARAM)box.get());
    return (int)result;
}

CHtmlMessageBox::CHtmlMessageBox(const MessageBoxParams& params) : params_(params) {
    caption_ = LoadTextParam(params_.caption);
    if (caption_.empty() && params_.owner) {
        WCHAR text[261] = {};
        const int n = GetWindowTextW(params_.owner, text, 261);
        caption_.assign(text, (size_t)std::max(n, 0));
    }
    if (caption_.empty()) caption_ = u"Error";
    // The non-client metrics in their 500-byte layout; the message font is the last of its fonts.
    alignas(4) BYTE metrics[500] = {};
    *reinterpret_cast<UINT*>(metrics) = sizeof(metrics);
    static_assert(sizeof(LOGFONTW) == 92, "LOGFONTW in its binary form");
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), metrics, 0)) {
        LOGFONTW messageFont;
        std::memcpy(&messageFont, metrics + 408, sizeof(messageFont));
        font_ = CreateFontIndirectW(&messageFont);
    }
    switch (params_.style & 0xF0) {
    case 0x10: icon_ = LoadIconW(nullptr, IDI_HAND); break;
    case 0x20: icon_ = LoadIconW(nullptr, IDI_QUESTION); break;
    case 0x30: icon_ = LoadIconW(nullptr, IDI_EXCLAMATION); break;
    case 0x40: icon_ = LoadIconW(nullptr, IDI_ASTERISK); break;
    case 0x80:
        icon_ = (HICON)LoadImageW(params_.iconModule ? params_.iconModule : GetModuleHandleW(nullptr),
                                  MAKEINTRESOURCEW(params_.userIconId), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE);
        iconOwned_ = icon_ != nullptr;
        break;
    default: break;
    }
}

CHtmlMessageBox::~CHtmlMessageBox() {
    if (font_) DeleteObject(font_);
    if (background_) DeleteObject(background_);
    if (icon_ && iconOwned_) DestroyIcon(icon_);
}

HtmlString CHtmlMessageBox::LoadTextParam(LPCWSTR value) const {
    if (!value) return {};
    if (!IS_INTRESOURCE(value)) return HtmlString(value);
    if (params_.style & MB_HTML_NORESOURCE) return {};
    WCHAR buffer[261] = {};
    HMODULE module = params_.stringModule ? params_.stringModule : GetModuleHandleW(nullptr);
    const int n = LoadStringW(module, (UINT)(ULONG_PTR)value, buffer, 261);
    return n > 0 ? HtmlString(buffer, (size_t)n) : HtmlString();
}

HtmlString CHtmlMessageBox::GetButtonText(int id, LPCWSTR defaultCaption) const {
    if (params_.captionMap) {
        auto it = params_.captionMap->find(id);
        if (it != params_.captionMap->end()) {
            HtmlString text = LoadTextParam(it->second);
            if (!text.empty()) return text;
        }
    }
    const BuiltIn* builtIn = FindBuiltIn(id);
    if (builtIn && !(params_.style & MB_HTML_NORESOURCE)) {
        HtmlString text = LoadTextParam(MAKEINTRESOURCEW(builtIn->stringId));
        if (!text.empty()) return text;
    }
    if (defaultCaption && *defaultCaption) return defaultCaption;
    return builtIn ? HtmlString(builtIn->caption) : HtmlString();
}

bool CHtmlMessageBox::Closable() const { return closable_ != 0; }

int CHtmlMessageBox::DefaultId() const {
    return defaultIndex_ < (int)buttons_.size() ? buttons_[defaultIndex_].id : 0;
}

HWND CHtmlMessageBox::DefaultButton() const {
    return defaultIndex_ < (int)buttons_.size() ? buttons_[defaultIndex_].window : nullptr;
}

HtmlString CHtmlMessageBox::CountdownCaption() const { return Format(countdownFormat_, caption_, remaining_); }

void CHtmlMessageBox::SetButtonCaption(HWND button, const HtmlString& text) {
    if (button) SetWindowTextW(button, text.c_str());
}

HtmlString CHtmlMessageBox::MessageOf(HWND box) {
    if (!IsWindow(box) || GetWindowLongPtrW(box, DWLP_DLGPROC) != (LONG_PTR)&CHtmlMessageBox::DialogProc) return {};
    const auto* shown = reinterpret_cast<const CHtmlMessageBox*>(GetWindowLongPtrW(box, GWLP_USERDATA));
    return shown ? shown->LoadTextParam(shown->params_.messageText) : HtmlString();
}

INT_PTR CALLBACK CHtmlMessageBox::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, lParam);
        auto* box = reinterpret_cast<CHtmlMessageBox*>(lParam);
        box->hwnd_ = hwnd;
        return box->OnInitDialog();
    }
    auto* box = reinterpret_cast<CHtmlMessageBox*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!box) return FALSE;
    switch (msg) {
    case WM_COMMAND:
        box->OnCommand(LOWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        box->OnCommand(IDCANCEL);
        return TRUE;
    case WM_TIMER:
        if (wParam == 1) box->OnTimer();
        return TRUE;
    case WM_ERASEBKGND:
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        box->Paint(dc, false);
        EndPaint(hwnd, &ps);
        return TRUE;
    }
    case WM_HTML_REPAINT: {
        HDC dc = GetDC(hwnd);
        box->Paint(dc, true);
        ReleaseDC(hwnd, dc);
        return TRUE;
    }
    case WM_LBUTTONDOWN: {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (box->headerHeight_) box->header_.OnLButtonDown(pt);
        box->message_.OnLButtonDown(pt);
        if (box->detailsHeight_) box->details_.OnLButtonDown(pt);
        return TRUE;
    }
    case WM_SETCURSOR: {
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(hwnd, &pt);
        BOOL taken = (box->headerHeight_ && box->header_.OnSetCursor(pt)) || box->message_.OnSetCursor(pt) ||
                     (box->detailsHeight_ && box->details_.OnSetCursor(pt));
        if (taken) {
            SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    }
    case WM_CTLCOLORSTATIC:
        SetBkMode((HDC)wParam, TRANSPARENT);
        return (INT_PTR)GetStockObject(NULL_BRUSH);
    case WM_DESTROY:
        for (auto& b : box->buttons_)
            if (b.window) DestroyWindow(b.window), b.window = nullptr;
        if (box->checkBoxWindow_) DestroyWindow(box->checkBoxWindow_), box->checkBoxWindow_ = nullptr;
        if (box->checkBoxLabel_) DestroyWindow(box->checkBoxLabel_), box->checkBoxLabel_ = nullptr;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

BOOL CHtmlMessageBox::OnInitDialog() {
    remaining_ = (LONG_PTR)params_.autoCloseTime > 0 ? (int)std::min<ULONG_PTR>(params_.autoCloseTime, 0x7FFFFFFF)
                 : (LONG_PTR)params_.disableTime > 0 ? (int)std::min<ULONG_PTR>(params_.disableTime, 0x7FFFFFFF)
                                                     : 0;
    header_.SetCallbackRepaint(hwnd_, WM_HTML_REPAINT, 0);
    message_.SetCallbackRepaint(hwnd_, WM_HTML_REPAINT, 0);
    details_.SetCallbackRepaint(hwnd_, WM_HTML_REPAINT, 0);

    messageHtml_ = LoadTextParam(params_.messageText);
    if (params_.style & MB_HTML_RIGHT) messageHtml_ = u"<right>" + messageHtml_ + u"</right>";
    if (icon_) {
        messageHtml_ = u"<table cellpadding=5><tr><td width=" + Decimal(GetSystemMetrics(SM_CXICON)) +
                       u"><icon handle=0x" + Hex((ULONG_PTR)icon_) + u"></td><td>" + messageHtml_ +
                       u"</td></tr></table>";
    }
    countdownFormat_ = GetButtonText(kCountdownId);

    SIZE size{0, 0};
    CreateControlsAndMeasure(&size);

    const bool disable = (LONG_PTR)params_.disableTime > 0;
    const bool captionCountdown = params_.captionCountdown != 0;
    SetWindowTextW(hwnd_, (disable && captionCountdown ? CountdownCaption() : caption_).c_str());
    // While a disable time holds the answer back, Escape and the close box wait with the buttons.
    waiting_ = disable && (captionCountdown || DefaultId() == IDCANCEL);
    if (!Closable() || waiting_) EnableMenuItem(GetSystemMenu(hwnd_, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);

    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT area = screen;
    if (HWND parent = GetParent(hwnd_)) GetWindowRect(parent, &area);
    // A message wider or taller than the screen (a path of thousands of characters) must not carry the box and its
    // buttons off the screen: the box keeps to the screen, and what does not fit of the message is cut.
    size.cx = std::min<LONG>(size.cx, screen.right - screen.left);
    size.cy = std::min<LONG>(size.cy, screen.bottom - screen.top);
    const LONG x = area.left + (area.right - area.left - size.cx) / 2, y = area.top + (area.bottom - area.top - size.cy) / 2;
    MoveWindow(hwnd_, std::clamp<LONG>(x, screen.left, screen.right - size.cx),
               std::clamp<LONG>(y, screen.top, screen.bottom - size.cy), size.cx, size.cy, FALSE);

    RECT client;
    GetClientRect(hwnd_, &client);
    const int n = (int)buttons_.size();
    const int rowWidth = n * (buttonWidth_ + buttonGap_) - buttonGap_;
    const bool checkBelow = checkBoxPresent_ && (params_.style & MB_HTML_CHECKBELOW);
    int top = client.bottom - stripMargin_ - buttonHeight_;
    if (checkBelow) top -= checkBoxSize_ + stripMargin_;
    int left = client.left + stripMargin_;
    if (params_.buttonAlign == 1) left = client.right - stripMargin_ - rowWidth;
    else if (params_.buttonAlign == 2) left = client.left + (client.right - client.left - rowWidth) / 2;
    for (auto& b : buttons_) {
        MoveWindow(b.window, left, top, buttonWidth_, buttonHeight_, FALSE);
        left += buttonWidth_ + buttonGap_;
    }
    if (checkBoxPresent_) {
        const int boxTop = checkBelow ? client.bottom - stripMargin_ - checkBoxSize_
                                      : client.bottom - stripMargin_ - buttonHeight_ - stripMargin_ - checkBoxSize_;
        MoveWindow(checkBoxWindow_, client.left + checkBoxLeft_, boxTop, checkBoxSize_, checkBoxSize_, FALSE);
        RECT label;
        GetWindowRect(checkBoxLabel_, &label);
        MoveWindow(checkBoxLabel_, client.left + checkBoxLeft_ + checkBoxSize_ + 6, boxTop, label.right - label.left,
                   label.bottom - label.top, FALSE);
    }
    if (params_.style & MB_TOPMOST) SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (params_.style & MB_SETFOREGROUND) SetForegroundWindow(hwnd_);
    if (remaining_ > 0) SetTimer(hwnd_, 1, 1000, nullptr);
    if (HWND def = DefaultButton(); def && IsWindowEnabled(def)) {
        SetFocus(def);
        return FALSE;
    }
    return TRUE;
}

void CHtmlMessageBox::CreateControlsAndMeasure(SIZE* windowSize) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ oldFont = SelectObject(dc, font_ ? (HGDIOBJ)font_ : GetStockObject(DEFAULT_GUI_FONT));
    int width = 0;
    const int marginX2 = 2 * textMarginX_, marginY2 = 2 * textMarginY_;

    headerHtml_ = LoadTextParam(params_.headerText);
    titleB_ = LoadTextParam(params_.areaB.title);
    titleC_ = LoadTextParam(params_.areaC.title);
    titleD_ = LoadTextParam(params_.areaD.title);
    headerHeight_ = (int)std::min<ULONG_PTR>(params_.headerHeight, 10000);
    if (headerHeight_) {
        SIZE s{};
        header_.PrepareOutput(dc, headerHtml_.c_str(), &s);
        headerHeight_ = std::max<int>(headerHeight_, s.cy + marginY2);
        width = std::max<int>(width, s.cx + marginX2);
        if (params_.areaB.edge) width = std::max<int>(width, TextExtent(dc, titleB_).cx + 2 * titleInset_);
    }
    {
        SIZE s{};
        message_.PrepareOutput(dc, messageHtml_.c_str(), &s);
        textHeight_ = s.cy + marginY2;
        width = std::max<int>(width, s.cx + marginX2);
    }
    const HtmlString detailsHtml = LoadTextParam(params_.detailsText);
    if (!detailsHtml.empty()) {
        SIZE s{};
        details_.PrepareOutput(dc, detailsHtml.c_str(), &s);
        detailsHeight_ = s.cy + marginY2;
        width = std::max<int>(width, s.cx + marginX2);
        if (params_.areaD.edge) width = std::max<int>(width, TextExtent(dc, titleD_).cx + 2 * titleInset_);
    }
    stripHeight_ = (params_.areaC.effect != -1 || params_.areaC.edge) ? 2 * stripMargin_ : stripMargin_;
    if (params_.areaC.edge) width = std::max<int>(width, TextExtent(dc, titleC_).cx + 2 * titleInset_);

    HINSTANCE instance = GetModuleHandleW(nullptr);
    checkBoxPresent_ = checkBox_ = (params_.style & MB_HTML_DONOTASK) != 0;
    if (checkBoxPresent_) {
        stripHeight_ += checkBoxSize_ + stripMargin_;
        const HtmlString label = GetButtonText(kCheckBoxId, LoadTextParam(params_.checkBoxCaption).c_str());
        const SIZE s = TextExtent(dc, label);
        width = std::max<int>(width, s.cx + 20 + 2 * checkBoxLeft_);
        checkBoxWindow_ = CreateWindowExW(0, u"BUTTON", u"", 0x50010003, 0, 0, checkBoxSize_, checkBoxSize_, hwnd_,
                                          nullptr, instance, nullptr);
        if (checkBoxWindow_ && (params_.style & MB_HTML_CHECKED)) SendMessageW(checkBoxWindow_, BM_SETCHECK, BST_CHECKED, 0);
        checkBoxLabel_ = CreateWindowExW(0, u"STATIC", label.c_str(), 0x50000000, 0, 0, s.cx, checkBoxSize_, hwnd_,
                                         nullptr, instance, nullptr);
        if (checkBoxLabel_) SendMessageW(checkBoxLabel_, WM_SETFONT, (WPARAM)font_, FALSE);
    }

    // The buttons: custom lines, else the set; then Help, Report and More.
    std::vector<std::pair<int, HtmlString>> list;
    HtmlString custom = LoadTextParam(params_.customButtons);
    if (!custom.empty()) {
        ReplaceAll(custom, u"\r", u"");
        custom += u"\n";
        int id = IDHTML_CUSTOM1;
        size_t start = 0;
        for (size_t nl; (nl = custom.find(u'\n', start)) != HtmlString::npos && id <= IDHTML_CUSTOM1 + 3; start = nl + 1) {
            if (nl > start) list.emplace_back(id++, custom.substr(start, nl - start));
        }
        closable_ = FALSE;
    } else {
        const bool yesAll = params_.style & MB_HTML_YESTOALL, noAll = params_.style & MB_HTML_NOTOALL;
        std::vector<int> ids;
        switch (params_.style & 0xF) {
        case 0: ids = {IDOK}; break;
        case 1: ids = {IDOK, IDCANCEL}; break;
        case 2: ids = {IDABORT, IDRETRY, IDIGNORE}; closable_ = FALSE; break;
        case 3:
        case 4:
            ids.push_back(IDYES);
            if (yesAll) ids.push_back(IDHTML_YESTOALL);
            ids.push_back(IDNO);
            if (noAll) ids.push_back(IDHTML_NOTOALL);
            if ((params_.style & 0xF) == 3) ids.push_back(IDCANCEL);
            else closable_ = FALSE;
            break;
        case 5: ids = {IDRETRY, IDCANCEL}; break;
        case 6: ids = {IDCANCEL, IDHTML_TRYAGAIN, IDHTML_CONTINUE}; break;
        case 7: ids = {IDHTML_CONTINUE, IDABORT}; closable_ = FALSE; break;
        case 8: ids = {IDHTML_SKIP, IDHTML_SKIPALL, IDCANCEL}; break;
        case 9: ids = {IDIGNORE, IDHTML_IGNOREALL, IDCANCEL}; break;
        default: closable_ = FALSE; break;
        }
        for (int id : ids) list.emplace_back(id, HtmlString());
    }
    if (params_.style & MB_HTML_HELP) list.emplace_back(IDHTML_HELP, HtmlString());
    if (params_.reportMessage && params_.owner) list.emplace_back(IDHTML_REPORT, HtmlString());
    if (!detailsHtml.empty()) list.emplace_back(IDHTML_MORE, HtmlString());

    const int n = (int)list.size();
    defaultIndex_ = (int)((params_.style >> 8) & 0xF);
    if (defaultIndex_ >= n) defaultIndex_ = 0;

    lessCaption_ = GetButtonText(IDHTML_LESS);
    moreCaption_ = GetButtonText(IDHTML_MORE);
    buttonWidth_ = 80;
    buttonHeight_ = 23;
    for (auto& [id, caption] : list) {
        if (id < IDHTML_CUSTOM1 || id > IDHTML_CUSTOM1 + 3) caption = id == IDHTML_MORE ? moreCaption_ : GetButtonText(id);
        SIZE s = TextExtent(dc, caption);
        if (id == IDHTML_MORE) {
            const SIZE less = TextExtent(dc, lessCaption_);
            s.cx = std::max(s.cx, less.cx);
            s.cy = std::max(s.cy, less.cy);
        }
        buttonWidth_ = std::max(buttonWidth_, MulDivRound(s.cx, 80, 45));
        buttonHeight_ = std::max(buttonHeight_, MulDivRound(s.cy, 23, 13));
    }

    const bool disable = (LONG_PTR)params_.disableTime > 0;
    const bool captionCountdown = params_.captionCountdown != 0;
    for (int i = 0; i < n; ++i) {
        const int id = list[i].first;
        HtmlString caption = list[i].second;
        DWORD style = 0x50010000;
        const bool isDefault = i == defaultIndex_;
        if (disable && captionCountdown) {
            if (id != IDHTML_HELP) style |= WS_DISABLED;
        } else if (isDefault) {
            if (!disable) style |= BS_DEFPUSHBUTTON;
            if (remaining_ > 0) caption = caption + u" = " + Decimal(remaining_);
            if (disable && id != IDHTML_HELP) style |= WS_DISABLED;
        }
        if (isDefault) defaultCaption_ = list[i].second;
        HWND button = CreateWindowExW(0, u"BUTTON", caption.c_str(), style, 0, 0, buttonWidth_, buttonHeight_, hwnd_,
                                      (HMENU)(INT_PTR)id, instance, nullptr);
        if (button) SendMessageW(button, WM_SETFONT, (WPARAM)font_, FALSE);
        buttons_.push_back(Button{id, button});
    }

    width = std::max(width, n * (buttonWidth_ + buttonGap_) + buttonGap_);
    stripHeight_ += buttonHeight_;
    windowSize->cx = width + 2 * GetSystemMetrics(SM_CXDLGFRAME);
    windowSize->cy = GetSystemMetrics(SM_CYCAPTION) + headerHeight_ + textHeight_ + stripHeight_ +
                     2 * GetSystemMetrics(SM_CYDLGFRAME);
    SelectObject(dc, oldFont);
    ReleaseDC(nullptr, dc);
}

void CHtmlMessageBox::OnCommand(int id) {
    if (id == 0) return;
    if (id == IDCANCEL && (!Closable() || waiting_)) return;
    if (id == IDHTML_HELP) {
        // The program's help file beside it; the box stays.
        WCHAR path[MAX_PATH * 2] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
        std::u16string file(path);
        const size_t slash = file.find_last_of(u"/\\"), dot = file.rfind(u'.');
        if (dot != std::u16string::npos && (slash == std::u16string::npos || dot > slash)) file.resize(dot);
        file += u".hlp";
        const LONG context = (LONG)params_.helpContext;
        WinHelpW(hwnd_, file.c_str(), context > 0 ? HELP_CONTEXT : HELP_PARTIALKEY, context > 0 ? context : 0);
        return;
    }
    if (id == IDHTML_REPORT) {
        if (params_.owner && params_.reportMessage) SendMessageW(params_.owner, (UINT)params_.reportMessage, 0, 0);
        return;
    }
    if (id == IDHTML_LESS || id == IDHTML_MORE) {
        detailsOpen_ = !detailsOpen_;
        RECT r;
        GetWindowRect(hwnd_, &r);
        const int grow = detailsOpen_ ? detailsHeight_ : -detailsHeight_;
        MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top + grow, TRUE);
        for (auto& b : buttons_)
            if (b.id == IDHTML_MORE) SetButtonCaption(b.window, detailsOpen_ ? lessCaption_ : moreCaption_);
        InvalidateRect(hwnd_, nullptr, FALSE);
        return;
    }
    KillTimer(hwnd_, 1);
    INT_PTR result = id;
    if (checkBoxWindow_ && SendMessageW(checkBoxWindow_, BM_GETCHECK, 0, 0) == BST_CHECKED) {
        if (params_.style & MB_HTML_CHECKED) result |= MB_HTML_CHECKED;
        WriteRememberedAnswer(params_, (DWORD)result);
    }
    EndDialog(hwnd_, result);
}

void CHtmlMessageBox::OnTimer() {
    const bool disable = (LONG_PTR)params_.disableTime > 0;
    const bool captionCountdown = params_.captionCountdown != 0;
    --remaining_;
    HWND def = DefaultButton();
    if (remaining_ > 0) {
        if (disable && captionCountdown) SetWindowTextW(hwnd_, CountdownCaption().c_str());
        else SetButtonCaption(def, defaultCaption_ + u" = " + Decimal(remaining_));
        return;
    }
    KillTimer(hwnd_, 1);
    if (!disable) {
        if ((LONG_PTR)params_.autoCloseTime > 0) {
            SetButtonCaption(def, defaultCaption_);
            SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(DefaultId(), 0x8000), 0);
        }
        return;
    }
    waiting_ = false;
    if (Closable()) EnableMenuItem(GetSystemMenu(hwnd_, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
    if (captionCountdown) {
        SetWindowTextW(hwnd_, caption_.c_str());
        for (auto& b : buttons_) EnableWindow(b.window, TRUE);
    } else {
        SetButtonCaption(def, defaultCaption_);
    }
    if (def) {
        EnableWindow(def, TRUE);
        SendMessageW(def, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
        SetFocus(def);
    }
}

void CHtmlMessageBox::DrawAreaEdge(HDC dc, const RECT& strip, const MessageBoxArea& area) {
    if (!area.edge && !area.title) return;
    const HtmlString title = LoadTextParam(area.title);
    const int left = strip.left + titleInset_, right = strip.right - titleInset_, y = strip.top;
    int lineLeft = left, lineRight = right, gapLeft = 0, gapRight = 0;
    if (!title.empty()) {
        const SIZE s = TextExtent(dc, title);
        int x = left;
        if (area.titleAlign == 1) x = right - s.cx;
        else if (area.titleAlign == 2) x = left + (right - left - s.cx) / 2;
        DrawStateW(dc, nullptr, nullptr, (LPARAM)title.c_str(), (WPARAM)title.size(), x, y - s.cy / 2, s.cx, s.cy,
                   DST_TEXT | DSS_DISABLED);
        gapLeft = x - titleInset_;
        gapRight = x + s.cx + titleInset_;
        if (area.titleAlign == 0) lineLeft = gapRight;
        else if (area.titleAlign == 1) lineRight = gapLeft;
    }
    auto line = [&](int from, int to) {
        if (to <= from) return;
        if (area.edge == 1) {
            RECT r{from, y, to, y + 2};
            DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP);
        } else if (area.edge == 2 || area.edge == 3) {
            CDrawManager::DrawLine(dc, from, y, to, y, area.edge == 2 ? RGB(0, 0, 0) : RGB(255, 255, 255), 1, 1);
        }
    };
    if (!title.empty() && area.titleAlign == 2) {
        line(lineLeft, gapLeft);
        line(gapRight, lineRight);
    } else {
        line(lineLeft, lineRight);
    }
}

void CHtmlMessageBox::Paint(HDC target, bool textsOnly) {
    RECT client;
    GetClientRect(hwnd_, &client);
    const int width = client.right - client.left;
    const int height = headerHeight_ + textHeight_ + stripHeight_ + detailsHeight_;
    CDrawManager& dm = message_.GetDrawManager();
    auto fill = [&](HDC dc, const RECT& r, const MessageBoxArea& area) {
        if (area.effect == -1) FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        else dm.FillEffect(dc, (int)area.effect, r, (COLORREF)area.color1, (COLORREF)area.color2, (COLORREF)area.color3, 0, 0);
    };
    if (!background_) {
        backgroundSize_ = SIZE{width, std::max<LONG>(height, client.bottom)};
        background_ = CreateCompatibleBitmap(target, backgroundSize_.cx, backgroundSize_.cy);
        if (!background_) return;
        HDC dc = CreateCompatibleDC(target);
        HGDIOBJ old = SelectObject(dc, background_);
        HGDIOBJ oldFont = SelectObject(dc, font_ ? (HGDIOBJ)font_ : GetStockObject(DEFAULT_GUI_FONT));
        fill(dc, RECT{0, 0, backgroundSize_.cx, backgroundSize_.cy}, params_.areaA);
        int y = 0;
        if (headerHeight_) {
            RECT strip{0, 0, width, headerHeight_};
            if (params_.areaB.effect != -1) fill(dc, strip, params_.areaB);
            DrawAreaEdge(dc, strip, params_.areaB);
        }
        y += headerHeight_ + textHeight_;
        RECT strip{0, y, width, y + stripHeight_};
        if (params_.areaC.effect != -1) fill(dc, strip, params_.areaC);
        DrawAreaEdge(dc, strip, params_.areaC);
        y += stripHeight_;
        if (detailsHeight_) {
            RECT details{0, y, width, backgroundSize_.cy};
            if (params_.areaD.effect != -1) fill(dc, details, params_.areaD);
            DrawAreaEdge(dc, details, params_.areaD);
        }
        SelectObject(dc, oldFont);
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    HDC cache = CreateCompatibleDC(target);
    HDC memory = CreateCompatibleDC(target);
    HBITMAP canvas = CreateCompatibleBitmap(target, backgroundSize_.cx, backgroundSize_.cy);
    if (cache && memory && canvas) {
        HGDIOBJ oldCache = SelectObject(cache, background_);
        HGDIOBJ oldMemory = SelectObject(memory, canvas);
        HGDIOBJ oldFont = SelectObject(memory, font_ ? (HGDIOBJ)font_ : GetStockObject(DEFAULT_GUI_FONT));
        BitBlt(memory, 0, 0, backgroundSize_.cx, backgroundSize_.cy, cache, 0, 0, SRCCOPY);
        const int mx = textMarginX_, my = textMarginY_;
        if (headerHeight_) {
            RECT r{mx, my, width - mx, headerHeight_ - my};
            header_.DrawPreparedOutput(memory, &r);
        }
        RECT messageRect{mx, headerHeight_ + my, width - mx, headerHeight_ + textHeight_ - my};
        message_.DrawPreparedOutput(memory, &messageRect);
        const int detailsTop = headerHeight_ + textHeight_ + stripHeight_;
        if (detailsOpen_ && detailsHeight_) {
            RECT r{mx, detailsTop + my, width - mx, detailsTop + detailsHeight_ - my};
            details_.DrawPreparedOutput(memory, &r);
        }
        if (textsOnly) {
            BitBlt(target, 0, 0, width, headerHeight_ + textHeight_, memory, 0, 0, SRCCOPY);
            if (detailsOpen_ && detailsHeight_)
                BitBlt(target, 0, detailsTop, width, detailsHeight_, memory, 0, detailsTop, SRCCOPY);
        } else {
            BitBlt(target, 0, 0, width, client.bottom, memory, 0, 0, SRCCOPY);
        }
        SelectObject(memory, oldFont);
        SelectObject(memory, oldMemory);
        SelectObject(cache, oldCache);
    }
    if (canvas) DeleteObject(canvas);
    if (memory) DeleteDC(memory);
    if (cache) DeleteDC(cache);
}
