// The dialog manager: template controls, keyboard navigation, default button, modal loops, message boxes.
#include "user_fixture.h"

#include "win32/controls.h"
#include "win32/gdi/surface.h"
#include "win32/resources.h"
#include "win32/user/presenter.h"

#include <thread>

using namespace usertest;

namespace {

// A stand-in control: its window class answers WM_GETDLGCODE by its kind, clicks report to the
// parent, and check states are kept, which is all the dialog manager asks of a control.
LRESULT CALLBACK TestControl(HWND h, UINT m, WPARAM w, LPARAM l)
{
    WCHAR cls[32];
    GetClassNameW(h, cls, 32);
    std::u16string kind(cls);
    DWORD type = GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK;
    switch (m) {
    case WM_GETDLGCODE:
        if (kind == u"TestEdit")
            return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        if (kind == u"TestLabel")
            return DLGC_STATIC;
        if (type == BS_AUTORADIOBUTTON)
            return DLGC_BUTTON | DLGC_RADIOBUTTON;
        return DLGC_BUTTON | (type == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case BM_CLICK:
        if (type == BS_AUTORADIOBUTTON)
            CheckRadioButton(GetParent(h), 201, 203, GetDlgCtrlID(h));
        SendMessageW(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), BN_CLICKED), (LPARAM)h);
        return 0;
    case BM_SETCHECK:
        SetPropW(h, u"check", (HANDLE)(ULONG_PTR)w);
        return 0;
    case BM_GETCHECK:
        return (LRESULT)(ULONG_PTR)GetPropW(h, u"check");
    case BM_SETSTYLE:
        SetWindowLongW(h, GWL_STYLE, (GetWindowLongW(h, GWL_STYLE) & ~BS_TYPEMASK) | (LONG)w);
        return 0;
    }
    return DefWindowProcW(h, m, w, l);
}

void RegisterControls()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    for (const char16_t* name : {u"TestButton", u"TestEdit", u"TestLabel"}) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = TestControl;
        wc.lpszClassName = name;
        RegisterClassExW(&wc);
    }
}

// Builds a dialog template in memory.
class Template {
public:
    Template(DWORD style, short cx, short cy, const char16_t* title)
    {
        Dword(style);
        Dword(0);
        countAt_ = data_.size();
        data_.push_back(0);
        for (short v : {(short)10, (short)10, cx, cy})
            data_.push_back((WORD)v);
        data_.push_back(0);
        data_.push_back(0);
        String(title);
        if (style & DS_SETFONT) {
            data_.push_back(9);
            String(u"SimSun");
        }
    }
    Template& Item(const char16_t* cls, const char16_t* text, int id, DWORD style, short x, short y, short cx = 40,
                   short cy = 12)
    {
        if (data_.size() % 2)
            data_.push_back(0);
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        for (short v : {x, y, cx, cy})
            data_.push_back((WORD)v);
        data_.push_back((WORD)id);
        String(cls);
        String(text);
        data_.push_back(0);
        data_[countAt_]++;
        return *this;
    }
    const DLGTEMPLATE* get() const { return (const DLGTEMPLATE*)data_.data(); }

private:
    void Dword(DWORD v)
    {
        data_.push_back(LOWORD(v));
        data_.push_back(HIWORD(v));
    }
    // A text of 0xFFFF and an id is written as a resource ordinal, without a terminator.
    void String(const char16_t* s)
    {
        if (s[0] == 0xFFFF) {
            data_.push_back(0xFFFF);
            data_.push_back(s[1]);
            return;
        }
        for (; *s; ++s)
            data_.push_back(*s);
        data_.push_back(0);
    }
    std::vector<WORD> data_;
    size_t countAt_;
};

std::vector<int> g_commands;

INT_PTR CALLBACK RecordingProc(HWND d, UINT m, WPARAM w, LPARAM)
{
    if (m == WM_COMMAND)
        g_commands.push_back(LOWORD(w));
    return m == WM_INITDIALOG;
}

class Dialogs : public UserTest {
protected:
    void SetUp() override
    {
        UserTest::SetUp();
        RegisterControls();
        g_commands.clear();
    }
    // Presses keys through the dialog manager as a modeless dialog's loop would.
    void Press(HWND dlg, UINT vk, std::initializer_list<UINT> mods = {})
    {
        headless::PressKey(vk, mods);
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            if (!IsDialogMessageW(dlg, &m)) {
                TranslateMessage(&m);
                DispatchMessageW(&m);
            }
    }
};

Template NavigationTemplate()
{
    Template t(WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT, 200, 120, u"Nav");
    t.Item(u"TestEdit", u"", 100, WS_TABSTOP | WS_GROUP, 5, 5)
        .Item(u"TestButton", u"One", 201, BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 5, 20)
        .Item(u"TestButton", u"Two", 202, BS_AUTORADIOBUTTON, 5, 35)
        .Item(u"TestButton", u"Three", 203, BS_AUTORADIOBUTTON, 5, 50)
        .Item(u"TestLabel", u"&Name", 300, WS_GROUP, 60, 5)
        .Item(u"TestEdit", u"", 301, WS_TABSTOP, 60, 20)
        .Item(u"TestButton", u"OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 60, 90)
        .Item(u"TestButton", u"Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 105, 90)
        .Item(u"TestButton", u"&Apply", 400, BS_PUSHBUTTON | WS_TABSTOP, 150, 90);
    return t;
}

TEST_F(Dialogs, KeyboardNavigatesTabStopsGroupsDefaultButtonAndMnemonics)
{
    Template t = NavigationTemplate();
    HWND dlg = CreateDialogIndirectParamW(nullptr, t.get(), nullptr, RecordingProc, 0);
    ASSERT_TRUE(dlg);
    headless::PumpUntilIdle();
    auto item = [&](int id) { return GetDlgItem(dlg, id); };
    // WM_INITDIALOG returned TRUE: the first tab stop has the focus.
    EXPECT_EQ(GetFocus(), item(100));
    struct Step {
        UINT vk;
        std::initializer_list<UINT> mods;
        int focus;
        std::vector<int> commands;
    };
    const Step steps[] = {
        {VK_TAB, {}, 201, {}},
        {VK_TAB, {}, 301, {}},             // radios two and three and the label are not tab stops
        {VK_TAB, {VK_SHIFT}, 201, {}},
        {VK_DOWN, {}, 202, {202}},         // arrows move in the group and click radios
        {VK_DOWN, {}, 203, {203}},
        {VK_DOWN, {}, 201, {201}},         // and wrap within it
        {VK_UP, {}, 203, {203}},
        {VK_RETURN, {}, 203, {IDOK}},      // Enter presses the default button
        {VK_ESCAPE, {}, 203, {IDCANCEL}},
        {'N', {VK_MENU}, 301, {}},         // a label's mnemonic focuses the control after it
        {'A', {VK_MENU}, 400, {400}},      // a button's mnemonic clicks it
        {VK_RETURN, {}, 400, {400}},       // Enter on a push button presses that button
        {VK_TAB, {}, 100, {}},             // tab order wraps
    };
    for (const Step& s : steps) {
        g_commands.clear();
        Press(dlg, s.vk, s.mods);
        EXPECT_EQ(GetFocus(), item(s.focus)) << "after key " << s.vk;
        EXPECT_EQ(g_commands, s.commands) << "after key " << s.vk;
    }
    EXPECT_EQ(IsDlgButtonChecked(dlg, 203), (UINT)BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dlg, 201), 0u);
    EXPECT_EQ(SendMessageW(dlg, DM_GETDEFID, 0, 0), MAKELONG(IDOK, DC_HASDEFID));
    // Moving the default: Enter now presses the new default button.
    SendMessageW(dlg, DM_SETDEFID, 400, 0);
    SetFocus(item(100));
    g_commands.clear();
    Press(dlg, VK_RETURN);
    EXPECT_EQ(g_commands, (std::vector<int>{400}));
    EXPECT_EQ(GetWindowLongW(item(IDOK), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    DestroyWindow(dlg);
}

TEST_F(Dialogs, DialogUnitsAndItemHelpers)
{
    Template t = NavigationTemplate();
    HWND dlg = CreateDialogIndirectParamW(nullptr, t.get(), nullptr, RecordingProc, 0);
    ASSERT_TRUE(dlg);
    // One base unit across is 4 dialog units, one down is 8; the client area is measured in them.
    RECT unit{0, 0, 4, 8};
    ASSERT_TRUE(MapDialogRect(dlg, &unit));
    EXPECT_GT(unit.right, 3);
    EXPECT_GT(unit.bottom, 8);
    RECT r{4, 8, 40, 16};
    MapDialogRect(dlg, &r);
    RECT expect{unit.right, unit.bottom, unit.right * 10, unit.bottom * 2};
    EXPECT_TRUE(EqualRect(&r, &expect));
    RECT client;
    GetClientRect(dlg, &client);
    EXPECT_EQ(client.right, unit.right * 200 / 4);
    EXPECT_EQ(client.bottom, unit.bottom * 120 / 8);
    EXPECT_TRUE(SendMessageW(dlg, WM_GETFONT, 0, 0)); // the template's font
    struct IntCase {
        const char16_t* text;
        BOOL isSigned;
        UINT value;
        BOOL ok;
    };
    const IntCase ints[] = {{u"42", FALSE, 42, TRUE},         {u" -7 ", TRUE, (UINT)-7, TRUE},
                            {u"-7", FALSE, 0, FALSE},         {u"12x", TRUE, 0, FALSE},
                            {u"4294967295", FALSE, 4294967295u, TRUE}, {u"4294967296", FALSE, 0, FALSE},
                            {u"2147483648", TRUE, 0, FALSE}, {u"", TRUE, 0, FALSE}};
    for (const IntCase& c : ints) {
        SetDlgItemTextW(dlg, 100, c.text);
        BOOL ok = -1;
        EXPECT_EQ(GetDlgItemInt(dlg, 100, &ok, c.isSigned), c.value);
        EXPECT_EQ(ok, c.ok);
    }
    SetDlgItemInt(dlg, 301, (UINT)-15, TRUE);
    WCHAR buf[16];
    GetDlgItemTextW(dlg, 301, buf, 16);
    EXPECT_EQ(std::u16string(buf), u"-15");
    EXPECT_EQ(GetDlgCtrlID(GetDlgItem(dlg, 301)), 301);
    CheckRadioButton(dlg, 201, 203, 202);
    EXPECT_EQ(IsDlgButtonChecked(dlg, 202), (UINT)BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dlg, 201), 0u);
    DestroyWindow(dlg);
}

TEST_F(Dialogs, TemplateWithAnUnknownControlClassFails)
{
    Template t(WS_POPUP, 100, 50, u"x");
    t.Item(u"NoSuchClass", u"", 5, 0, 0, 0);
    EXPECT_EQ(CreateDialogIndirectParamW(nullptr, t.get(), nullptr, RecordingProc, 0), nullptr);
    EXPECT_TRUE(headless::FindAll({u"#32770"}).empty());
}

TEST_F(Dialogs, OrdinalTextReachesTheControlAsAResourceId)
{
    Template t(WS_POPUP, 100, 50, u"x");
    const char16_t icon[] = {0xFFFF, 32512, 0}; // the system's application icon
    t.Item(u"Static", icon, 5, SS_ICON, 0, 0);
    t.Item(u"Button", u"after", 6, BS_PUSHBUTTON, 0, 20);
    HWND dlg = CreateDialogIndirectParamW(nullptr, t.get(), nullptr, RecordingProc, 0);
    ASSERT_NE(nullptr, dlg);
    EXPECT_NE(0, SendDlgItemMessageW(dlg, 5, STM_GETICON, 0, 0));
    EXPECT_EQ(0, GetWindowTextLengthW(GetDlgItem(dlg, 5)));
    WCHAR buf[16] = {};
    GetDlgItemTextW(dlg, 6, buf, 16);
    EXPECT_EQ(std::u16string(u"after"), std::u16string(buf)) << "the items after it are read in step";
    DestroyWindow(dlg);
}

TEST_F(Dialogs, ModalDialogDisablesItsOwnerAndReturnsTheResult)
{
    HWND owner = MakeTop(u"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    bool ownerDisabledDuring = false;
    headless::AnswerNextModal([&](HWND dlg) {
        ownerDisabledDuring = !IsWindowEnabled(owner);
        headless::PressKey(VK_ESCAPE);
    });
    Template t = NavigationTemplate();
    INT_PTR r = DialogBoxIndirectParamW(nullptr, t.get(), owner,
                                        [](HWND d, UINT m, WPARAM w, LPARAM) -> INT_PTR {
                                            if (m == WM_COMMAND)
                                                EndDialog(d, LOWORD(w) * 10);
                                            return m == WM_INITDIALOG;
                                        },
                                        0);
    EXPECT_EQ(r, IDCANCEL * 10);
    EXPECT_TRUE(ownerDisabledDuring);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_TRUE(headless::FindAll({u"#32770"}).empty());
}

// A modal dialog opens over the middle of its owner, as the framework centres its modal boxes, unless it
// placed itself while it initialised; a modeless one keeps its template's place.
TEST_F(Dialogs, AModalDialogOpensCentredOverItsOwnerUnlessItPlacedItself)
{
    HWND owner = MakeTop(u"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {200, 150, 700, 550});
    Template t(WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT, 120, 60, u"Box");
    t.Item(u"TestButton", u"OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 10, 10);
    const DLGPROC placesItself = [](HWND d, UINT m, WPARAM, LPARAM) -> INT_PTR {
        if (m == WM_INITDIALOG)
            SetWindowPos(d, nullptr, 5, 7, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        return m == WM_INITDIALOG;
    };
    for (DLGPROC proc : {DLGPROC(RecordingProc), placesItself}) {
        RECT seen{};
        headless::AnswerNextModal([&](HWND dlg) {
            GetWindowRect(dlg, &seen);
            EndDialog(dlg, IDOK);
        });
        DialogBoxIndirectParamW(nullptr, t.get(), owner, proc, 0);
        if (proc == placesItself) {
            EXPECT_EQ(seen.left, 5);
            EXPECT_EQ(seen.top, 7);
        } else {
            EXPECT_NEAR((seen.left + seen.right) / 2, 450, 1);
            EXPECT_NEAR((seen.top + seen.bottom) / 2, 350, 1);
        }
    }
    // The template's place (10, 10) counts from the owner's client area.
    HWND modeless = CreateDialogIndirectParamW(nullptr, t.get(), owner, RecordingProc, 0);
    ASSERT_NE(modeless, nullptr);
    RECT r;
    GetWindowRect(modeless, &r);
    POINT origin{0, 0};
    ClientToScreen(owner, &origin);
    EXPECT_LT(r.left, origin.x + 40);
    EXPECT_LT(r.top, origin.y + 40);
    DestroyWindow(modeless);
}

// A second modal dialog opened from a modal one but owned by the same window (as a folder browser is owned by
// the main window): when it ends, the first dialog is active again and above the owner, so its clicks reach it.
TEST_F(Dialogs, AModalDialogOpenedFromAModalOneGivesItBackItsInput)
{
    HWND owner = MakeTop(u"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {0, 0, 600, 500});
    static HWND s_owner;
    static HWND s_activeAfterInner, s_outer;
    static bool s_clicked;
    s_owner = owner;
    s_activeAfterInner = nullptr;
    s_clicked = false;
    Template outer(WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_MODALFRAME, 200, 120, u"Outer");
    // The inner dialog ends itself as soon as it is shown.
    headless::AnswerNextModal([](HWND dlg) {
        static Template inner(WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_MODALFRAME, 100, 60, u"Inner");
        headless::AnswerNextModal([](HWND box) { EndDialog(box, IDCANCEL); });
        DialogBoxIndirectParamW(nullptr, inner.get(), s_owner,
                                [](HWND, UINT m, WPARAM, LPARAM) -> INT_PTR { return m == WM_INITDIALOG; }, 0);
        s_activeAfterInner = GetActiveWindow();
        s_outer = dlg;
        // A click in the middle of the outer dialog, where the owner lies beneath it.
        RECT rc;
        GetClientRect(dlg, &rc);
        headless::Click(dlg, POINT{rc.right / 2, rc.bottom / 2});
        headless::PumpUntilIdle();
        if (!s_clicked)
            EndDialog(dlg, 1); // the click was lost
    });
    INT_PTR r = DialogBoxIndirectParamW(nullptr, outer.get(), owner,
                                        [](HWND d, UINT m, WPARAM, LPARAM) -> INT_PTR {
                                            if (m == WM_LBUTTONDOWN) {
                                                s_clicked = true;
                                                EndDialog(d, 2);
                                            }
                                            return m == WM_INITDIALOG;
                                        },
                                        0);
    EXPECT_EQ(r, 2);
    EXPECT_EQ(s_activeAfterInner, s_outer);
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(Dialogs, BorderedItemsGetTheSunkenClientEdge)
{
    for (DWORD look : {0L, DS_3DLOOK}) {
        Template t(WS_POPUP | WS_CAPTION | DS_SETFONT | look, 120, 60, u"Look");
        t.Item(u"Edit", u"", 100, WS_TABSTOP | WS_BORDER, 5, 5, 100).Item(u"Edit", u"", 101, WS_TABSTOP, 5, 25, 100);
        HWND dlg = CreateDialogIndirectParamW(nullptr, t.get(), nullptr, RecordingProc, 0);
        ASSERT_TRUE(dlg);
        HWND bordered = GetDlgItem(dlg, 100), plain = GetDlgItem(dlg, 101);
        EXPECT_FALSE(GetWindowLongW(bordered, GWL_STYLE) & WS_BORDER) << look;
        EXPECT_TRUE(GetWindowLongW(bordered, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) << look;
        EXPECT_FALSE(GetWindowLongW(plain, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) << look;
        RECT window, client;
        GetWindowRect(bordered, &window);
        GetClientRect(bordered, &client);
        EXPECT_EQ(client.right, window.right - window.left - 2 * GetSystemMetrics(SM_CXEDGE)) << look;
        DestroyWindow(dlg);
    }
}

// The manager selects the first edit's text once WM_INITDIALOG is done, so what the user types replaces it.
TEST_F(Dialogs, FirstFocusEditIsSelectedAndTypingReplacesIt)
{
    Template t(WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT, 120, 60, u"Rename");
    t.Item(u"Edit", u"", 100, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 5, 5, 100)
        .Item(u"Button", u"OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 5, 30);
    static DWORD s_selection;
    static std::u16string s_text;
    s_selection = 0;
    s_text.clear();
    headless::AnswerNextModal([&](HWND dlg) {
        s_selection = (DWORD)SendDlgItemMessageW(dlg, 100, EM_GETSEL, 0, 0);
        headless::TypeText(u"new");
        headless::PressKey(VK_RETURN);
    });
    DialogBoxIndirectParamW(nullptr, t.get(), nullptr,
                            [](HWND d, UINT m, WPARAM w, LPARAM) -> INT_PTR {
                                if (m == WM_INITDIALOG) {
                                    SetDlgItemTextW(d, 100, u"old name"); // as a dialog's data exchange does
                                    return TRUE;
                                }
                                if (m == WM_COMMAND && LOWORD(w) == IDOK) {
                                    s_text = headless::Text(GetDlgItem(d, 100));
                                    EndDialog(d, IDOK);
                                }
                                return FALSE;
                            },
                            0);
    EXPECT_EQ(s_selection, (DWORD)MAKELONG(0, 8));
    EXPECT_EQ(s_text, u"new");
}

TEST_F(Dialogs, MessageBoxFromAWorkerThreadIsAnswered)
{
    struct Case {
        UINT type;
        UINT key;
        int expected;
    };
    const Case cases[] = {
        {MB_YESNO | MB_ICONQUESTION, 'N', IDNO},
        {MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, VK_RETURN, IDNO},
        {MB_OKCANCEL, VK_ESCAPE, IDCANCEL},
        {MB_OK | MB_ICONERROR, VK_ESCAPE, IDOK},
        {MB_YESNOCANCEL, VK_RETURN, IDYES},
    };
    for (const Case& c : cases) {
        std::u16string text;
        headless::ClearBeeps();
        int result = 0;
        std::thread worker([&] {
            headless::AnswerNextModal([&](HWND box) {
                text = headless::Text(GetDlgItem(box, 0xFFFF));
                headless::PressKey(c.key, c.key == 'N' ? std::initializer_list<UINT>{VK_MENU}
                                                        : std::initializer_list<UINT>{});
            });
            result = MessageBoxW(nullptr, u"Save?", u"Dovemark", c.type);
        });
        worker.join();
        EXPECT_EQ(result, c.expected) << c.type;
        EXPECT_EQ(text, u"Save?");
        if (c.type & MB_ICONMASK) {
            EXPECT_EQ(headless::Beeps(), (std::vector<UINT>{UINT(c.type & MB_ICONMASK)}));
        }
    }
}

TEST_F(Dialogs, MessageBoxTextFitsItsLine)
{
    for (const char16_t* text : {u"Save the changes?", u"\u4f60\u786e\u5b9a\u8981\u5220\u9664\u8fd9\u4e2a\u9879\u76ee\u5417\uff1f"}) {
        int room = 0, needed = 0;
        headless::AnswerNextModal([&](HWND box) {
            HWND label = GetDlgItem(box, 0xFFFF);
            RECT r;
            GetClientRect(label, &r);
            room = r.right - r.left;
            HDC dc = GetDC(label);
            HGDIOBJ old = SelectObject(dc, (HGDIOBJ)SendMessageW(box, WM_GETFONT, 0, 0));
            SIZE size{};
            GetTextExtentPoint32W(dc, text, int(std::char_traits<char16_t>::length(text)), &size);
            needed = size.cx;
            SelectObject(dc, old);
            ReleaseDC(label, dc);
            headless::PressKey(VK_RETURN);
        });
        MessageBoxW(nullptr, text, u"Dovemark", MB_OK);
        EXPECT_GE(room, needed) << std::string(text, text + std::char_traits<char16_t>::length(text));
    }
}

TEST_F(Dialogs, MessageBoxDrawsTheIconOfItsType)
{
    struct Case {
        UINT type;
        LPCWSTR icon;
    };
    const Case cases[] = {
        {MB_ICONERROR, IDI_HAND},
        {MB_ICONQUESTION, IDI_QUESTION},
        {MB_ICONWARNING, IDI_EXCLAMATION},
        {MB_ICONINFORMATION, IDI_ASTERISK},
    };
    for (const Case& c : cases) {
        // What the icon looks like over the dialog face, drawn by hand for comparison.
        int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
        HDC screen = GetDC(nullptr);
        HDC mem = CreateCompatibleDC(screen);
        HBITMAP bmp = CreateCompatibleBitmap(screen, cx, cy);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(mem, bmp);
        RECT all{0, 0, cx, cy};
        FillRect(mem, &all, GetSysColorBrush(COLOR_3DFACE));
        ASSERT_TRUE(DrawIcon(mem, 0, 0, LoadIconW(nullptr, c.icon)));
        int mismatches = 0, iconPixels = 0;
        headless::AnswerNextModal([&](HWND box) {
            UpdateWindow(box);
            RECT at{10, 10, 0, 0};
            MapDialogRect(box, &at);
            POINT origin{at.left, at.top};
            ClientToScreen(box, &origin);
            RECT wr;
            GetWindowRect(box, &wr);
            auto surface = user::WindowSurface(box);
            for (int y = 0; y < cy; ++y)
                for (int x = 0; x < cx; ++x) {
                    uint32_t v = surface->Row(origin.y - wr.top + y)[origin.x - wr.left + x];
                    COLORREF got = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
                    COLORREF want = GetPixel(mem, x, y);
                    mismatches += got != want;
                    iconPixels += want != GetSysColor(COLOR_3DFACE);
                }
            EndDialog(box, IDOK);
        });
        MessageBoxW(nullptr, u"Done", u"Dovemark", MB_OK | c.type);
        EXPECT_GT(iconPixels, 100) << c.type;
        EXPECT_EQ(mismatches, 0) << c.type;
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
    }
}

} // namespace
