// The rich edit: read-only text with scrolling and copying, stream-in of plain text (rich text is
// refused), its own colours, size requests and the OLE callback it keeps.
#include "platform/controls/control_fixture.h"

#include "win32/richedit.h"

#include <cstring>
#include <string>

using namespace ctltest;

namespace {

class RichEditTest : public ControlTest {
protected:
    HWND MakeRich(DWORD style = WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN)
    {
        return Make(RICHEDIT_CLASSW, u"", style, {10, 10, 210, 110});
    }
    std::u16string Clipboard()
    {
        std::u16string out;
        if (OpenClipboard(parent_)) {
            if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
                out = (const char16_t*)GlobalLock(h);
                GlobalUnlock(h);
            }
            CloseClipboard();
        }
        return out;
    }
};

struct Source {
    std::string bytes;
    size_t at = 0;
    static DWORD CALLBACK Read(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb)
    {
        auto* s = (Source*)cookie;
        size_t n = std::min<size_t>((size_t)cb, s->bytes.size() - s->at);
        std::memcpy(buf, s->bytes.data() + s->at, n);
        s->at += n;
        *pcb = (LONG)n;
        return 0;
    }
};

// Counts the references the control takes and gives back.
struct CountingCallback : IRichEditOleCallback {
    int refs = 0;
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return (ULONG)++refs; }
    ULONG Release() override { return (ULONG)--refs; }
    HRESULT GetNewStorage(IStorage**) override { return E_NOTIMPL; }
    HRESULT GetInPlaceContext(IOleInPlaceFrame**, IOleInPlaceUIWindow**, OLEINPLACEFRAMEINFO*) override { return S_OK; }
    HRESULT ShowContainerUI(BOOL) override { return S_OK; }
    HRESULT QueryInsertObject(CLSID*, IStorage*, LONG) override { return S_OK; }
    HRESULT DeleteObject(IOleObject*) override { return S_OK; }
    HRESULT QueryAcceptData(IDataObject*, CLIPFORMAT*, DWORD, BOOL, HGLOBAL) override { return S_OK; }
    HRESULT ContextSensitiveHelp(BOOL) override { return S_OK; }
    HRESULT GetClipboardData(CHARRANGE*, DWORD, IDataObject**) override { return S_OK; }
    HRESULT GetDragDropEffect(BOOL, DWORD, DWORD*) override { return S_OK; }
    HRESULT GetContextMenu(WORD, IOleObject*, CHARRANGE*, HMENU*) override { return S_OK; }
};

} // namespace

TEST_F(RichEditTest, ReadOnlyTextScrollsAndCopies)
{
    for (const char16_t* cls : {RICHEDIT_CLASSW, RICHEDIT_CLASS10A})
        EXPECT_NE(Make(cls, u"", ES_MULTILINE, {0, 0, 50, 50}, 7), nullptr) << "class registered";
    HWND e = MakeRich();
    std::u16string text;
    for (int i = 0; i < 100; ++i)
        text += u"line " + std::u16string(1, char16_t(u'A' + i % 26)) + u"\n";
    SetWindowTextW(e, text.c_str());
    SendMessageW(e, EM_SETREADONLY, TRUE, 0);
    // Lone line feeds break paragraphs as CR LF does.
    EXPECT_EQ(SendMessageW(e, EM_GETLINECOUNT, 0, 0), 101);
    SetFocus(e);
    headless::TypeText(u"x");
    headless::PumpUntilIdle();
    EXPECT_EQ(headless::Text(e).substr(0, 7), u"line A\r");

    SendMessageW(e, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_GT(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    EXPECT_GT(GetScrollPos(e, SB_VERT), 0);

    CHARRANGE cr{8, 14};
    SendMessageW(e, EM_EXSETSEL, 0, (LPARAM)&cr);
    CHARRANGE got{};
    SendMessageW(e, EM_EXGETSEL, 0, (LPARAM)&got);
    EXPECT_EQ(got.cpMin, 8);
    EXPECT_EQ(got.cpMax, 14);
    SendMessageW(e, WM_COPY, 0, 0);
    EXPECT_EQ(Clipboard(), u"line B");
}

TEST_F(RichEditTest, StreamsPlainAndRichText)
{
    HWND e = MakeRich();
    struct {
        WPARAM format;
        std::string bytes;
        LRESULT read;
        std::u16string text;
    } cases[] = {
        {SF_TEXT, "\xd6\xd0\xce\xc4\r\nab", 6, u"中文\r\nab"}, // narrow text is the program's code page
        {SF_TEXT | SF_UNICODE, std::string("h\0i\0\n\0", 6), 3, u"hi\r\n"},
        {SF_RTF, "{\\rtf1 {\\b hello}\\par x}", 8, u"hello\r\nx"},
        {SF_RTF, "plain, not rich", 15, u"plain, not rich"}, // taken as text, as the system does
    };
    for (const auto& c : cases) {
        Source src{c.bytes};
        EDITSTREAM es{(DWORD_PTR)&src, 0, Source::Read};
        EXPECT_EQ(SendMessageW(e, EM_STREAMIN, c.format, (LPARAM)&es), c.read) << c.format;
        EXPECT_EQ(headless::Text(e), c.text) << c.format;
        EXPECT_EQ(es.dwError, 0u);
    }
    // A large text arrives whole.
    Source big{std::string(5 << 20, 'a')};
    EDITSTREAM es{(DWORD_PTR)&big, 0, Source::Read};
    EXPECT_EQ(SendMessageW(e, EM_STREAMIN, SF_TEXT, (LPARAM)&es), 5 << 20);
    EXPECT_EQ(GetWindowTextLengthW(e), 5 << 20);
}

TEST_F(RichEditTest, OwnColoursInsteadOfTheParents)
{
    HWND e = MakeRich(ES_MULTILINE);
    bool asked = false;
    parentHook_ = [&](UINT m, WPARAM, LPARAM, LRESULT*) {
        asked |= m == WM_CTLCOLOREDIT || m == WM_CTLCOLORSTATIC;
        return false;
    };
    SendMessageW(e, EM_SETBKGNDCOLOR, 0, RGB(10, 20, 30));
    CHARFORMATW cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_COLOR;
    cf.crTextColor = RGB(250, 0, 0);
    EXPECT_TRUE(SendMessageW(e, EM_SETCHARFORMAT, SCF_DEFAULT, (LPARAM)&cf));
    SetWindowTextW(e, u"WWWWWWWW");
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 200, 100);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bmp);
    SendMessageW(e, WM_PRINTCLIENT, (WPARAM)dc, PRF_CLIENT);
    EXPECT_EQ(GetPixel(dc, 150, 80), RGB(10, 20, 30));
    bool red = false;
    for (int y = 0; y < 20 && !red; ++y)
        for (int x = 0; x < 80 && !red; ++x)
            red = GetPixel(dc, x, y) == RGB(250, 0, 0);
    EXPECT_TRUE(red);
    EXPECT_FALSE(asked);
    EXPECT_EQ(SendMessageW(e, EM_SETBKGNDCOLOR, 1, 0), (LRESULT)RGB(10, 20, 30));
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
}

TEST_F(RichEditTest, RequestResizeAndOleCallback)
{
    HWND e = MakeRich(ES_MULTILINE);
    std::vector<REQRESIZE> asks;
    parentHook_ = [&](UINT m, WPARAM, LPARAM l, LRESULT*) {
        if (m == WM_NOTIFY && ((NMHDR*)l)->code == EN_REQUESTRESIZE)
            asks.push_back(*(REQRESIZE*)l);
        return false;
    };
    SetWindowTextW(e, u"one\r\ntwo\r\nthree");
    SendMessageW(e, EM_REQUESTRESIZE, 0, 0);
    EXPECT_TRUE(asks.empty()) << "only when the event mask asks for it";
    SendMessageW(e, EM_SETEVENTMASK, 0, ENM_REQUESTRESIZE);
    SendMessageW(e, EM_REQUESTRESIZE, 0, 0);
    ASSERT_EQ(asks.size(), 1u);
    EXPECT_EQ(asks[0].nmhdr.hwndFrom, e);
    EXPECT_EQ(asks[0].nmhdr.idFrom, 100u);
    EXPECT_GT(asks[0].rc.bottom - asks[0].rc.top, 3 * 8);

    CountingCallback a, b;
    EXPECT_TRUE(SendMessageW(e, EM_SETOLECALLBACK, 0, (LPARAM)&a));
    EXPECT_EQ(a.refs, 1);
    EXPECT_TRUE(SendMessageW(e, EM_SETOLECALLBACK, 0, (LPARAM)&b));
    EXPECT_EQ(a.refs, 0);
    EXPECT_EQ(b.refs, 1);
    DestroyWindow(e);
    EXPECT_EQ(b.refs, 0);
}

TEST_F(RichEditTest, FormatRangeDrawsWhatFitsIntoTheRectangle)
{
    HWND e = MakeRich(ES_MULTILINE | ES_READONLY);
    const std::u16string text = u"one two three four five six seven eight nine ten";
    SetWindowTextW(e, text.c_str());
    CHARFORMATW cf{};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_COLOR;
    cf.crTextColor = RGB(200, 0, 0);
    SendMessageW(e, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&cf);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 300, 100);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT all{0, 0, 300, 100};
    FillRect(dc, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
    // At 96 dots an inch a pixel is 15 twips.
    FORMATRANGE fr{dc, dc, {0, 0, 300 * 15, 100 * 15}, {0, 0, 300 * 15, 100 * 15}, {0, -1}};
    EXPECT_EQ(SendMessageW(e, EM_FORMATRANGE, TRUE, (LPARAM)&fr), (LRESULT)text.size());
    int red = 0, outside = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 300; ++x)
            if (GetPixel(dc, x, y) == RGB(200, 0, 0))
                ++(y < 60 ? red : outside);
    EXPECT_GT(red, 20);
    EXPECT_EQ(outside, 0);
    // One narrow line holds only the first words; measuring draws nothing.
    FillRect(dc, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
    fr.rc = {0, 0, 80 * 15, 20 * 15};
    const LRESULT fitted = SendMessageW(e, EM_FORMATRANGE, FALSE, (LPARAM)&fr);
    EXPECT_GT(fitted, 0);
    EXPECT_LT(fitted, (LRESULT)text.size());
    EXPECT_EQ(GetPixel(dc, 5, 8), RGB(255, 255, 255));
    EXPECT_EQ(SendMessageW(e, EM_FORMATRANGE, FALSE, 0), 0);
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
}
