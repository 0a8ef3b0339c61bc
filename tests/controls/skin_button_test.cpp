// Tests of the skinned button: setter results, the drawn states, images and masks, hover, clicks,
// sounds, focus and the controls' own resources.
#include <gtest/gtest.h>

#include "backend/audio/audio.h"
#include "backend/headless/driver.h"
#include "controls/skin_button.h"
#include "controls_res.h"
#include "paint_probe.h"
#include "support/support.h"

#include <atomic>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace {

constexpr int kId = 159;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kKey = RGB(255, 0, 255);

// Records what would reach the sound device.
struct RecordingSink : audio::Sink {
    std::atomic<int> plays{0};
    std::atomic<int> rate{0};
    bool Play(const audio::Pcm& pcm, const std::atomic<bool>&) override {
        rate = pcm.rate;
        ++plays;
        return true;
    }
};

// The page the buttons sit on: a patterned background, and the commands it receives.
class Page : public CWnd {
public:
    int clicks = 0;
    static COLORREF Pattern(int x) { return x < 100 ? RGB(10, 200, 30) : RGB(200, 40, 160); }

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override {
        if (nID == kId && nCode == BN_CLICKED && !pExtra)
            ++clicks;
        return CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_ERASEBKGND) {
            CRect rc;
            GetClientRect(&rc);
            for (int x = 0; x < rc.right; ++x) {
                RECT column{x, 0, x + 1, rc.bottom};
                HBRUSH brush = CreateSolidBrush(Pattern(x));
                FillRect((HDC)wParam, &column, brush);
                DeleteObject(brush);
            }
            return TRUE;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

// A bitmap of a solid square with a one-pixel ring of the key colour.
HBITMAP RingedSquare(int size, COLORREF inside)
{
    std::vector<DWORD> pixels(size_t(size * size));
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            bool ring = x == 0 || y == 0 || x == size - 1 || y == size - 1;
            COLORREF c = ring ? kKey : inside;
            pixels[size_t(y * size + x)] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
    return CreateBitmap(size, size, 1, 32, pixels.data());
}

// A fully opaque square icon of one colour.
HICON SolidIcon(int size, COLORREF c)
{
    std::vector<DWORD> pixels(size_t(size * size), 0xFF000000 | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
    std::vector<BYTE> maskBits(size_t(((size + 15) / 16) * 2 * size), 0);
    HBITMAP color = CreateBitmap(size, size, 1, 32, pixels.data());
    HBITMAP mask = CreateBitmap(size, size, 1, 1, maskBits.data());
    ICONINFO ii{TRUE, DWORD(size / 2), DWORD(size / 2), mask, color};
    HICON icon = CreateIconIndirect(&ii);
    DeleteObject(color);
    DeleteObject(mask);
    return icon;
}

void WriteWave(const std::string& path)
{
    const int16_t samples[] = {0, 1000, 0, -1000};
    std::string fmt = std::string("\x01\x00\x01\x00", 4) + std::string("\x40\x1f\x00\x00\x80\x3e\x00\x00\x02\x00\x10\x00", 12);
    std::string data(reinterpret_cast<const char*>(samples), sizeof(samples));
    auto le32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    std::string body = "WAVEfmt " + le32(uint32_t(fmt.size())) + fmt + "data" + le32(uint32_t(data.size())) + data;
    std::ofstream(path, std::ios::binary) << "RIFF" << le32(uint32_t(body.size())) << body;
}

// A pump that lets windows see their messages first, as the framework's message loop does.
void Pump(HWND top)
{
    MSG msg;
    for (int n = 0; n < 10000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++n) {
        if (!CWnd::WalkPreTranslateTree(top, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

class SkinButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::UseVirtualClock();
        audio::SetSink(&sink);
        ASSERT_TRUE(page.CreateEx(0, nullptr, u"page", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0));
        ::SetActiveWindow(page.m_hWnd);
    }
    void TearDown() override {
        page.DestroyWindow();
        audio::SetSink(nullptr);
    }
    void Make(CSkinButton& b, DWORD style = 0, LPCWSTR caption = u"继续", CRect rc = CRect(20, 20, 120, 60), int id = kId) {
        ASSERT_TRUE(b.Create(caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, rc, &page, id));
        b.SetColor(CSkinButton::COLOR_BK_ACTIVE, RGB(200, 220, 255), FALSE);
        b.SetColor(CSkinButton::COLOR_FG_ACTIVE, RGB(0, 128, 0), FALSE);
        b.SetColor(CSkinButton::COLOR_BK_NORMAL, RGB(240, 240, 240), FALSE);
        b.SetColor(CSkinButton::COLOR_FG_NORMAL, RGB(0, 0, 128), FALSE);
        b.SetColor(CSkinButton::COLOR_BK_FOCUS, RGB(255, 250, 200), FALSE);
        b.SetColor(CSkinButton::COLOR_FG_FOCUS, RGB(128, 0, 0), FALSE);
    }
    // The button drawn into memory as it stands.
    std::unique_ptr<PaintProbe> Paint(CSkinButton& b) {
        CRect rc;
        b.GetClientRect(&rc);
        auto probe = std::make_unique<PaintProbe>(rc.Width(), rc.Height());
        probe->Print(b.m_hWnd);
        return probe;
    }
    RecordingSink sink;
    Page page;
};

TEST(SkinButtonSetters, ResultCodesAndColourShifts) {
    CSkinButton b;
    struct { const char* what; DWORD result; DWORD expected; } calls[] = {
        {"colour index 6", b.SetColor(6, 0), CSkinButton::SKIN_BAD_COLOR_INDEX},
        {"colour index -1", b.SetColor(-1, 0), CSkinButton::SKIN_BAD_COLOR_INDEX},
        {"colour index 5", b.SetColor(5, RGB(1, 2, 3)), CSkinButton::SKIN_OK},
        {"align 4", b.SetAlign(4), CSkinButton::SKIN_BAD_ALIGN},
        {"align 3", b.SetAlign(3), CSkinButton::SKIN_OK},
        {"pressed style 2", b.SetPressedOffset(2), CSkinButton::SKIN_BAD_PRESSED_STYLE},
        {"pressed style 1", b.SetPressedOffset(1), CSkinButton::SKIN_OK},
        {"offset index 6", b.OffsetColor(6, 10), CSkinButton::SKIN_BAD_COLOR_INDEX},
        {"shade -300", b.OffsetColor(0, -300), CSkinButton::SKIN_BAD_SHADE},
        {"shade 256", b.OffsetColor(0, 256), CSkinButton::SKIN_BAD_SHADE},
        {"missing icon", b.SetIcon(9999), CSkinButton::SKIN_INVALID_RESOURCE},
        {"missing second icon", b.SetIcon(IDI_SKIN_BACK, 9999), CSkinButton::SKIN_INVALID_RESOURCE},
        {"missing bitmap", b.SetBitmaps(9999, 0), CSkinButton::SKIN_INVALID_RESOURCE},
        {"missing cursor", b.SetHoverCursor(9999), CSkinButton::SKIN_INVALID_RESOURCE},
        {"hand cursor", b.SetHoverCursor(IDC_HOVER_HAND), CSkinButton::SKIN_OK},
        {"no cursor", b.SetHoverCursor(0), CSkinButton::SKIN_OK},
        {"icons", b.SetIcon(IDI_SKIN_BACK, CSkinButton::IMAGE_GREY), CSkinButton::SKIN_OK},
        {"bitmaps", b.SetBitmaps(IDB_SKIN_HOME, SKIN_HOME_KEY, CSkinButton::IMAGE_DARKER), CSkinButton::SKIN_OK},
    };
    for (const auto& c : calls)
        EXPECT_EQ(c.result, c.expected) << c.what;
    EXPECT_EQ(b.GetColor(5), RGB(1, 2, 3));

    struct { COLORREF start; int shade; COLORREF expected; } shifts[] = {
        {0xF0F0F0, 40, 0xFFFFFF},                          // every channel by 15 only
        {RGB(250, 100, 0), 40, RGB(255, 105, 5)},           // the tightest channel sets the shift
        {RGB(10, 200, 100), -50, RGB(0, 190, 90)},
        {RGB(60, 70, 80), -30, RGB(30, 40, 50)},
        {RGB(60, 70, 80), 255, RGB(235, 245, 255)},
    };
    for (const auto& s : shifts) {
        b.SetColor(0, s.start, FALSE);
        EXPECT_EQ(b.OffsetColor(0, s.shade, FALSE), CSkinButton::SKIN_OK);
        EXPECT_EQ(b.GetColor(0), s.expected) << std::hex << s.start << " " << std::dec << s.shade;
    }
    // A refused call changes nothing.
    b.SetColor(0, RGB(9, 9, 9), FALSE);
    b.OffsetColor(0, -300, FALSE);
    EXPECT_EQ(b.GetColor(0), RGB(9, 9, 9));

    EXPECT_EQ(CSkinButton::Darken(RGB(255, 100, 8), 0.25), RGB(191, 75, 6));
    EXPECT_EQ(CSkinButton::Darken(RGB(255, 100, 8), 1.5), RGB(255, 100, 8));
    EXPECT_EQ(CSkinButton::Grey(kRed), RGB(76, 76, 76));
}

TEST(SkinButtonSetters, ClickAddressIsCutToFit) {
    CSkinButton b;
    std::u16string longUrl = u"http://example.com/" + std::u16string(400, u'x');
    EXPECT_EQ(b.SetClickUrl(longUrl.c_str()), CSkinButton::SKIN_OK);
    EXPECT_EQ(std::u16string(b.GetClickUrl()), longUrl.substr(0, MAX_PATH - 1));
    b.SetClickUrl(nullptr);
    EXPECT_EQ(std::u16string(b.GetClickUrl()), u"");
}

TEST_F(SkinButtonTest, KindOfButtonFromItsCreationStyle) {
    struct { DWORD style; bool checkBox, isDefault; } cases[] = {
        {BS_PUSHBUTTON, false, false}, {BS_DEFPUSHBUTTON, false, true}, {BS_CHECKBOX, true, false},
        {BS_AUTOCHECKBOX, true, false}, {BS_3STATE, true, false},       {BS_AUTO3STATE, true, false},
        {BS_OWNERDRAW, false, false},  {BS_GROUPBOX, false, false},
    };
    for (const auto& c : cases) {
        CSkinButton b;
        Make(b, c.style);
        EXPECT_EQ(bool(b.IsCheckBox()), c.checkBox) << c.style;
        EXPECT_EQ(bool(b.IsDefault()), c.isDefault) << c.style;
        EXPECT_EQ(b.GetStyle() & BS_TYPEMASK, DWORD(BS_OWNERDRAW)) << c.style;
        EXPECT_TRUE(b.SendMessage(WM_GETDLGCODE) & (c.isDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON));
        b.DestroyWindow();
    }
    // The dialog manager moves the default look with BM_SETSTYLE; the button stays owner-drawn.
    CSkinButton b;
    Make(b);
    b.SendMessage(BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
    EXPECT_TRUE(b.IsDefault());
    EXPECT_EQ(b.GetStyle() & BS_TYPEMASK, DWORD(BS_OWNERDRAW));
    b.SendMessage(BM_SETSTYLE, BS_PUSHBUTTON, FALSE);
    EXPECT_FALSE(b.IsDefault());
    EXPECT_TRUE(b.SendMessage(WM_GETDLGCODE) & DLGC_UNDEFPUSHBUTTON);
}

TEST_F(SkinButtonTest, StatesPaintTheirColoursAndBorders) {
    CSkinButton b, other;
    Make(b);
    Make(other, 0, u"x", CRect(150, 20, 200, 60), kId + 1);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHILIGHT);
    const RECT text{10, 5, 90, 35};
    struct { const char* name; std::function<void()> enter; COLORREF bk, fg, topLeft, bottomRight; } states[] = {
        {"normal", [] {}, RGB(240, 240, 240), RGB(0, 0, 128), RGB(240, 240, 240), RGB(240, 240, 240)},
        {"focused", [&] { b.SetFocus(); }, RGB(255, 250, 200), RGB(128, 0, 0), RGB(255, 250, 200), RGB(255, 250, 200)},
        {"hovered", [&] { headless::MouseMove(b.m_hWnd, {50, 20}); headless::PumpUntilIdle(); },
         RGB(200, 220, 255), RGB(0, 128, 0), light, shadow},
        {"pressed", [&] { b.SendMessage(BM_SETSTATE, TRUE); }, RGB(200, 220, 255), RGB(0, 128, 0), shadow, light},
    };
    for (const auto& s : states) {
        other.SetFocus();
        b.SendMessage(BM_SETSTATE, FALSE);
        headless::MouseMove(page.m_hWnd, {250, 150});
        headless::PumpUntilIdle();
        s.enter();
        auto p = Paint(b);
        EXPECT_EQ(p->At(50, 3), s.bk) << s.name;
        EXPECT_TRUE(p->Has(text, s.fg)) << s.name;
        EXPECT_EQ(p->At(0, 0), s.topLeft) << s.name;
        EXPECT_EQ(p->At(99, 39), s.bottomRight) << s.name;
    }
    // Disabled: the engraved caption in the 3-D colours, none of the state colours.
    b.SendMessage(BM_SETSTATE, FALSE);
    b.EnableWindow(FALSE);
    auto p = Paint(b);
    EXPECT_TRUE(p->Has(text, GetSysColor(COLOR_3DSHADOW)));
    EXPECT_TRUE(p->Has(text, GetSysColor(COLOR_3DHILIGHT)));
    EXPECT_FALSE(p->Has(text, RGB(0, 0, 128)));
}

TEST_F(SkinButtonTest, MaskedBitmapLeavesTheKeyAreaAndShiftsWhilePressed) {
    CSkinButton b;
    Make(b, 0, u"", CRect(20, 20, 60, 60));
    ASSERT_EQ(b.SetBitmaps(RingedSquare(10, kRed), kKey, CSkinButton::DerivedBitmap(CSkinButton::IMAGE_GREY), 0),
              CSkinButton::SKIN_OK);
    b.SetAlign(CSkinButton::ALIGN_OVERLAP);
    const COLORREF bk = RGB(240, 240, 240), grey = CSkinButton::Grey(kRed);
    struct { const char* name; bool hover, pressed; int style; POINT inside, key; COLORREF colour; } cases[] = {
        // Not hovered: the grey second image; its key ring shows the background.
        {"normal", false, false, 0, {1, 1}, {9, 5}, grey},
        {"hovered", true, false, 0, {1, 1}, {9, 5}, kRed},
        {"pressed", false, true, 0, {9, 9}, {1, 5}, kRed},
        {"pressed down", false, true, 1, {1, 10}, {1, 2}, kRed},
    };
    for (const auto& c : cases) {
        b.SetPressedOffset(c.style);
        headless::MouseMove(c.hover ? b.m_hWnd : page.m_hWnd, c.hover ? POINT{30, 30} : POINT{250, 150});
        headless::PumpUntilIdle();
        b.SendMessage(BM_SETSTATE, c.pressed);
        auto p = Paint(b);
        EXPECT_EQ(p->At(c.inside.x, c.inside.y), c.colour) << c.name;
        EXPECT_EQ(p->At(c.key.x, c.key.y), c.hover || c.pressed ? RGB(200, 220, 255) : bk) << c.name;
        EXPECT_FALSE(p->Has(RECT{0, 0, 40, 40}, kKey)) << c.name;
    }
    // Disabled: embossed in the shadow colour, still without the key.
    b.SendMessage(BM_SETSTATE, FALSE);
    b.EnableWindow(FALSE);
    auto p = Paint(b);
    EXPECT_EQ(p->At(4, 4), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_FALSE(p->Has(RECT{0, 0, 40, 40}, kKey));

    // A failed setter leaves the button without images.
    EXPECT_EQ(b.SetIcon(9999), CSkinButton::SKIN_INVALID_RESOURCE);
    b.EnableWindow(TRUE);
    auto empty = Paint(b);
    EXPECT_FALSE(empty->Has(RECT{0, 0, 40, 40}, kRed));
    EXPECT_FALSE(empty->Has(RECT{0, 0, 40, 40}, grey));
}

TEST_F(SkinButtonTest, IconsFollowTheAlignment) {
    // Button 100 x 40, icon 16 x 16, margins 3.
    struct { int align; LPCWSTR caption; POINT topLeft; } cases[] = {
        {CSkinButton::ALIGN_IMAGE_LEFT, u"继续", {3, 12}},  {CSkinButton::ALIGN_IMAGE_LEFT, u"", {42, 12}},
        {CSkinButton::ALIGN_IMAGE_TOP, u"继续", {42, 3}},   {CSkinButton::ALIGN_IMAGE_TOP, u"", {42, 12}},
        {CSkinButton::ALIGN_IMAGE_RIGHT, u"继续", {81, 12}}, {CSkinButton::ALIGN_IMAGE_RIGHT, u"", {42, 0}},
        {CSkinButton::ALIGN_OVERLAP, u"继续", {0, 0}},
    };
    for (const auto& c : cases) {
        CSkinButton b;
        Make(b, 0, c.caption);
        ASSERT_EQ(b.SetIcon(SolidIcon(16, kRed), CSkinButton::DerivedIcon(CSkinButton::IMAGE_DARKER)), CSkinButton::SKIN_OK);
        b.SetAlign(c.align);
        auto p = Paint(b);
        const COLORREF darker = CSkinButton::Darken(kRed, 0.25);
        EXPECT_EQ(p->At(c.topLeft.x, c.topLeft.y), darker) << c.align;
        EXPECT_EQ(p->At(c.topLeft.x + 15, c.topLeft.y + 15), darker) << c.align;
        if (c.topLeft.x > 0) {
            EXPECT_NE(p->At(c.topLeft.x - 1, c.topLeft.y), darker) << c.align;
        }
        EXPECT_NE(p->At(c.topLeft.x + 16, c.topLeft.y + 16), darker) << c.align;
        // Hovered, the first icon.
        headless::MouseMove(b.m_hWnd, {50, 38});
        headless::PumpUntilIdle();
        EXPECT_EQ(Paint(b)->At(c.topLeft.x, c.topLeft.y), kRed) << c.align;
        headless::MouseMove(page.m_hWnd, {250, 150});
        headless::PumpUntilIdle();
        b.DestroyWindow();
    }
}

TEST_F(SkinButtonTest, HoverTracksTheMouseAndPlaysItsSoundOnce) {
    CSkinButton b;
    Make(b);
    b.SetSound(MAKEINTRESOURCEW(IDW_SKIN_HOVER), AfxGetResourceHandle(), 0, FALSE);
    headless::MouseMove(b.m_hWnd, {10, 10});
    headless::MouseMove(b.m_hWnd, {30, 12});
    headless::PumpUntilIdle();
    EXPECT_TRUE(b.IsHovering());
    EXPECT_EQ(sink.plays, 1);
    EXPECT_EQ(sink.rate, 22050);
    headless::MouseMove(page.m_hWnd, {250, 150});
    headless::PumpUntilIdle();
    EXPECT_FALSE(b.IsHovering());

    // With the left button held, coming onto the button does not make it hover.
    headless::ButtonDown(page.m_hWnd, {250, 150});
    headless::MouseMove(b.m_hWnd, {10, 10});
    headless::PumpUntilIdle();
    EXPECT_FALSE(b.IsHovering());
    headless::ButtonUp(b.m_hWnd, {10, 10});
    headless::MouseMove(b.m_hWnd, {11, 10});
    headless::PumpUntilIdle();
    EXPECT_TRUE(b.IsHovering());
    EXPECT_EQ(sink.plays, 2);

    // Losing the focus ends the hover.
    b.SetFocus();
    page.SetFocus();
    EXPECT_FALSE(b.IsHovering());
}

TEST_F(SkinButtonTest, SoundNamesAreCopiedWithinTheirSlot) {
    CSkinButton b;
    Make(b);
    // The longest name that fits plays; one character more is refused and leaves the slot empty.
    std::string dir = testsupport::ScratchDir() + "/";
    std::string fits = dir + std::string(MAX_PATH - 1 - dir.size() - 4, 'w') + ".wav";
    WriteWave(fits);
    std::u16string name(fits.begin(), fits.end());
    ASSERT_EQ(name.size(), size_t(MAX_PATH - 1));
    EXPECT_EQ(b.SetSound(name.c_str(), nullptr, 1, FALSE), CSkinButton::SKIN_OK);
    name.assign(name.size(), u'\0'); // the caller's buffer is gone
    headless::Click(b.m_hWnd, {10, 10});
    headless::PumpUntilIdle();
    EXPECT_EQ(sink.plays, 1);
    EXPECT_EQ(sink.rate, 8000);

    std::u16string tooLong = std::u16string(1, u'/').append(MAX_PATH, u'x');
    EXPECT_EQ(b.SetSound(tooLong.c_str(), nullptr, 1, FALSE), CSkinButton::SKIN_INVALID_RESOURCE);
    EXPECT_EQ(b.SetSound(MAKEINTRESOURCEW(IDW_SKIN_HOVER), nullptr, 1, FALSE), CSkinButton::SKIN_INVALID_RESOURCE);
    headless::AdvanceClock(1000);
    headless::Click(b.m_hWnd, {10, 10});
    headless::PumpUntilIdle();
    EXPECT_EQ(sink.plays, 1);
    EXPECT_EQ(page.clicks, 2);
}

TEST_F(SkinButtonTest, ClicksReachTheOwnerAndDoubleClicksCountTwice) {
    for (DWORD style : {DWORD(BS_PUSHBUTTON), DWORD(BS_AUTOCHECKBOX)}) {
        page.clicks = 0;
        CSkinButton b;
        // BS_NOTIFY: without the button's own translation a double click would be reported as one.
        Make(b, style | BS_NOTIFY);
        headless::Click(b.m_hWnd, {10, 10});
        Pump(page.m_hWnd);
        EXPECT_EQ(page.clicks, 1) << style;
        EXPECT_EQ(b.GetCheck(), style == BS_AUTOCHECKBOX ? 1 : 0);
        EXPECT_EQ(GetFocus(), b.m_hWnd);
        headless::AdvanceClock(1000); // so the next click starts a double click of its own
        headless::DoubleClick(b.m_hWnd, {10, 10});
        Pump(page.m_hWnd);
        EXPECT_EQ(page.clicks, 3) << style;
        EXPECT_EQ(b.GetCheck(), style == BS_AUTOCHECKBOX ? 1 : 0);
        b.DestroyWindow();
    }
}

TEST_F(SkinButtonTest, CheckBoxDrawsItsFirstImageWhileChecked) {
    CSkinButton b;
    Make(b, BS_AUTOCHECKBOX, u"", CRect(20, 20, 60, 60));
    ASSERT_EQ(b.SetBitmaps(RingedSquare(10, kRed), kKey, CSkinButton::DerivedBitmap(CSkinButton::IMAGE_DARKER), 0),
              CSkinButton::SKIN_OK);
    const COLORREF darker = CSkinButton::Darken(kRed, 0.25);
    struct { const char* how; std::function<void()> act; int checked; COLORREF shown; } steps[] = {
        {"start", [] {}, 0, darker},
        {"click", [&] { headless::Click(b.m_hWnd, {30, 30}); headless::PumpUntilIdle(); }, 1, kRed},
        {"BM_SETCHECK 0", [&] { b.SendMessage(BM_SETCHECK, BST_UNCHECKED); }, 0, darker},
        {"BM_SETCHECK 2", [&] { b.SendMessage(BM_SETCHECK, BST_INDETERMINATE); }, 1, kRed},
        {"SetCheck 0", [&] { b.SetCheck(0); }, 0, darker},
    };
    b.SetAlign(CSkinButton::ALIGN_OVERLAP);
    for (const auto& s : steps) {
        s.act();
        headless::MouseMove(page.m_hWnd, {250, 150});
        headless::PumpUntilIdle();
        EXPECT_EQ(b.GetCheck(), s.checked) << s.how;
        EXPECT_EQ(b.SendMessage(BM_GETCHECK), s.checked) << s.how;
        // Checked, the image stays where it is: a check box does not shift.
        EXPECT_EQ(Paint(b)->At(1, 1), s.shown) << s.how;
    }
    // A push button ignores SetCheck.
    CSkinButton push;
    Make(push, 0, u"", CRect(100, 20, 140, 60), kId + 1);
    push.SetCheck(1);
    EXPECT_EQ(push.GetCheck(), 0);
}

TEST_F(SkinButtonTest, TransparentButtonShowsTheParentUnderIt) {
    CSkinButton b;
    Make(b, 0, u"", CRect(80, 20, 120, 60)); // across the pattern's edge at x = 100
    b.SetTransparent(TRUE);
    page.Invalidate();
    page.UpdateWindow();
    auto p = Paint(b);
    EXPECT_EQ(p->At(5, 20), Page::Pattern(85));
    EXPECT_EQ(p->At(35, 20), Page::Pattern(115));
    // Reflected colour requests get the null brush.
    EXPECT_EQ(page.SendMessage(WM_CTLCOLORBTN, (WPARAM)p->dc(), (LPARAM)b.m_hWnd), (LRESULT)GetStockObject(NULL_BRUSH));
}

TEST_F(SkinButtonTest, DisablingHandsOnlyItsOwnFocusOn) {
    CSkinButton b;
    Make(b);
    CButton next;
    ASSERT_TRUE(next.Create(u"next", WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(150, 20, 200, 60), &page, 7));
    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(20, 100, 200, 120), &page, 8));

    b.SetFocus();
    b.EnableWindow(FALSE);
    EXPECT_EQ(GetFocus(), next.m_hWnd);

    b.EnableWindow(TRUE);
    edit.SetFocus();
    b.EnableWindow(FALSE);
    EXPECT_EQ(GetFocus(), edit.m_hWnd);
}

TEST_F(SkinButtonTest, HoverCursorAndSystemColourReset) {
    CSkinButton b;
    Make(b);
    ASSERT_EQ(b.SetHoverCursor(IDC_PRESSED_HAND), CSkinButton::SKIN_OK);
    ASSERT_NE(b.GetHoverCursor(), nullptr);
    EXPECT_TRUE(b.SendMessage(WM_SETCURSOR, (WPARAM)b.m_hWnd, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(GetCursor(), b.GetHoverCursor());

    b.SendMessage(WM_SYSCOLORCHANGE);
    for (int i = 0; i < CSkinButton::COLOR_COUNT; ++i)
        EXPECT_EQ(b.GetColor(i), GetSysColor(i % 2 ? COLOR_BTNTEXT : COLOR_BTNFACE)) << i;
}

TEST(ControlResources, LoadInTheirSizes) {
    HINSTANCE module = AfxGetResourceHandle();
    for (int id : {IDI_SKIN_BACK, IDI_SKIN_NEXT, IDI_SKIN_STOP}) {
        HICON icon = (HICON)LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, 0, 0, 0);
        ICONINFO ii{};
        ASSERT_TRUE(icon && GetIconInfo(icon, &ii)) << id;
        EXPECT_EQ(ii.xHotspot * 2, 24u) << id;
        EXPECT_EQ(ii.yHotspot * 2, 24u) << id;
        DeleteObject(ii.hbmColor);
        DeleteObject(ii.hbmMask);
        DestroyIcon(icon);
    }
    HBITMAP home = (HBITMAP)LoadImageW(module, MAKEINTRESOURCEW(IDB_SKIN_HOME), IMAGE_BITMAP, 0, 0, 0);
    BITMAP bm{};
    ASSERT_TRUE(GetObjectW(home, sizeof(bm), &bm));
    EXPECT_EQ(bm.bmWidth, 32);
    EXPECT_EQ(bm.bmHeight, 32);
    // Its corners are the key colour, so the button shows its page there.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, home);
    EXPECT_EQ(GetPixel(dc, 0, 0), COLORREF(SKIN_HOME_KEY));
    EXPECT_EQ(GetPixel(dc, 31, 0), COLORREF(SKIN_HOME_KEY));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(home);

    struct { int id; DWORD x, y; } cursors[] = {{IDC_HOVER_HAND, 11, 0}, {IDC_PRESSED_HAND, 11, 6}};
    for (const auto& c : cursors) {
        HCURSOR cursor = (HCURSOR)LoadImageW(module, MAKEINTRESOURCEW(c.id), IMAGE_CURSOR, 0, 0, 0);
        ICONINFO ii{};
        ASSERT_TRUE(cursor && GetIconInfo((HICON)cursor, &ii)) << c.id;
        EXPECT_FALSE(ii.fIcon);
        EXPECT_EQ(ii.xHotspot, c.x);
        EXPECT_EQ(ii.yHotspot, c.y);
        if (ii.hbmColor)
            DeleteObject(ii.hbmColor);
        DeleteObject(ii.hbmMask);
        DestroyCursor(cursor);
    }
    EXPECT_NE(FindResourceW(module, MAKEINTRESOURCEW(IDW_SKIN_HOVER), u"WAVE"), nullptr);

    // The message box's captions, one string each.
    WCHAR text[64];
    for (int id = IDS_HTMLBOX_OK; id <= IDS_HTMLBOX_COUNTDOWN; ++id)
        EXPECT_GT(LoadStringW(module, UINT(id), text, 64), 0) << id;
    LoadStringW(module, IDS_HTMLBOX_YES, text, 64);
    EXPECT_EQ(std::u16string(text), u"是");
    LoadStringW(module, IDS_HTMLBOX_COUNTDOWN, text, 64);
    EXPECT_EQ(std::u16string(text), u"%s (%d seconds remaining)");
}

} // namespace
