// Tests of the window placement store: the record saved for each show state, its restore, and values
// that are not a whole record.
#include <gtest/gtest.h>

#include "toolkit/base/settings_store.h"
#include "toolkit/base/window_placement.h"
#include "test_windows.h"
#include "test_settings.h"

#include <cstring>
#include <vector>

namespace {

class WindowPlacementTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tktest::UseMemorySettings();
        tktest::RegisterPlainWindowClass(u"TkPlacementTest");
        HWND hwnd = CreateWindowExW(0, u"TkPlacementTest", u"f", WS_OVERLAPPEDWINDOW, 40, 30, 400, 300, nullptr,
                                    nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
        m_wnd.Attach(hwnd);
    }
    void TearDown() override
    {
        m_wnd.DestroyWindow();
        tktest::EndMemorySettings();
    }
    static std::vector<BYTE> Stored()
    {
        CTKPSettingsStore store;
        BYTE* data = nullptr;
        UINT count = 0;
        if (!store.GetProfileBinary(u"Settings", u"Window Position", &data, &count))
            return {};
        std::vector<BYTE> v(data, data + count);
        delete[] data;
        return v;
    }
    static DWORD Long(const std::vector<BYTE>& v, size_t at)
    {
        return DWORD(v[at]) | DWORD(v[at + 1]) << 8 | DWORD(v[at + 2]) << 16 | DWORD(v[at + 3]) << 24;
    }
    CWnd m_wnd;
};

} // namespace

TEST_F(WindowPlacementTest, RecordKeepsMaximisedAndTurnsOtherStatesNormal) {
    const struct { int show; DWORD stored; } cases[] = {
        {SW_SHOWNORMAL, SW_SHOWNORMAL}, {SW_MAXIMIZE, SW_SHOWMAXIMIZED}, {SW_MINIMIZE, SW_SHOWNORMAL}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.show);
        ShowWindow(m_wnd, SW_RESTORE);
        ShowWindow(m_wnd, c.show);
        CTKWindowPlacementStore store;
        ASSERT_TRUE(store.SaveWindowPlacement(&m_wnd));
        const std::vector<BYTE> v = Stored();
        ASSERT_EQ(v.size(), 48u);
        EXPECT_EQ(Long(v, 0), 0u);
        EXPECT_EQ(Long(v, 4), 44u);
        EXPECT_EQ(Long(v, 12), c.stored);
        // The normal position is the window's own, whatever its state.
        EXPECT_EQ(LONG(Long(v, 32)), 40);
        EXPECT_EQ(LONG(Long(v, 36)), 30);
        EXPECT_EQ(LONG(Long(v, 40)), 440);
        EXPECT_EQ(LONG(Long(v, 44)), 330);
    }
}

TEST_F(WindowPlacementTest, RestorePutsTheWindowBackWhereItWasSaved) {
    CTKWindowPlacementStore saver;
    ShowWindow(m_wnd, SW_MAXIMIZE);
    ASSERT_TRUE(saver.SaveWindowPlacement(&m_wnd, u"Pos", u"Frames"));
    ShowWindow(m_wnd, SW_RESTORE);
    MoveWindow(m_wnd, 5, 6, 100, 80, FALSE);

    CTKWindowPlacementStore restorer;
    EXPECT_FALSE(restorer.RestoreWindowPlacement(&m_wnd));  // nothing under the default names
    RECT rc{};
    GetWindowRect(m_wnd, &rc);
    EXPECT_EQ(rc.left, 5);
    ASSERT_TRUE(restorer.RestoreWindowPlacement(&m_wnd, u"Pos", u"Frames"));
    EXPECT_TRUE(IsZoomed(m_wnd));
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    ASSERT_TRUE(GetWindowPlacement(m_wnd, &wp));
    EXPECT_EQ(wp.rcNormalPosition.left, 40);
    EXPECT_EQ(wp.rcNormalPosition.bottom, 330);

    CWnd none;
    EXPECT_FALSE(restorer.SaveWindowPlacement(&none));
    EXPECT_FALSE(restorer.RestoreWindowPlacement(&none, u"Pos", u"Frames"));
}

TEST_F(WindowPlacementTest, OnlyAWholeRecordCountsAsStored) {
    CTKWindowPlacementStore saver;
    ASSERT_TRUE(saver.SaveWindowPlacement(&m_wnd));
    std::vector<BYTE> good = Stored();
    ASSERT_EQ(good.size(), 48u);
    std::vector<BYTE> shortValue(good.begin(), good.begin() + 20);
    std::vector<BYTE> longValue = good;
    longValue.push_back(0);
    std::vector<BYTE> wrongLength = good;
    wrongLength[4] = 40;
    const struct { const char* name; std::vector<BYTE> value; BOOL loads; } cases[] = {
        {"whole", good, TRUE}, {"short", shortValue, FALSE}, {"long", longValue, FALSE},
        {"length field", wrongLength, FALSE}, {"empty", {}, FALSE}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTKPSettingsStore settings;
        ASSERT_EQ(settings.WriteProfileBinary(u"Settings", u"Window Position", c.value.data(), UINT(c.value.size())),
                  1);
        MoveWindow(m_wnd, 7, 8, 50, 60, FALSE);
        CTKWindowPlacementStore store;
        EXPECT_EQ(store.LoadWindowPlacement(), c.loads);
        EXPECT_EQ(store.RestoreWindowPlacement(&m_wnd), c.loads);
        RECT rc{};
        GetWindowRect(m_wnd, &rc);
        EXPECT_EQ(rc.left, c.loads ? 40 : 7);
        if (!c.loads) {
            // The store keeps its initial placement.
            EXPECT_EQ(store.GetPlacement().length, 44u);
            EXPECT_EQ(store.GetPlacement().showCmd, UINT(SW_SHOW));
        }
    }
}
