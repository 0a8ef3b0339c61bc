// Automation values (BSTR, VARIANT conversions, dates, currency, variants) and data exchange by
// format through the clipboard and by dragging.
#include "afx/afx.h"
#include "backend/headless/driver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(Bstr, CarriesItsLengthAndEmbeddedNulls) {
    BSTR b = SysAllocStringLen(u"a\0b", 3);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(SysStringLen(b), 3u);
    EXPECT_EQ(SysStringByteLen(b), 6u);
    EXPECT_EQ(b[3], 0);
    // Reallocating from part of itself copies before the old string goes.
    EXPECT_TRUE(SysReAllocString(&b, b + 2));
    EXPECT_EQ(std::u16string(b), u"b");
    SysFreeString(b);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);
}

struct ChangeCase {
    VARTYPE from;
    double number;         // the source value for numeric sources
    const char16_t* text;  // the source value for VT_BSTR
    VARTYPE to;
    HRESULT hr;
    double expected;            // numeric result
    const char16_t* expectText; // string result
};

class VariantChange : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(VariantChange, ConvertsOrRefuses) {
    const ChangeCase& c = GetParam();
    COleVariant src;
    if (c.from == VT_BSTR) {
        src = c.text;
    } else {
        src = c.number;
        src.ChangeType(c.from);
    }
    VARIANT dst;
    VariantInit(&dst);
    EXPECT_EQ(VariantChangeType(&dst, &src, 0, c.to), c.hr);
    if (SUCCEEDED(c.hr)) {
        ASSERT_EQ(dst.vt, c.to);
        if (c.to == VT_BSTR) {
            EXPECT_EQ(std::u16string(dst.bstrVal), std::u16string(c.expectText));
        } else {
            COleVariant back(dst);
            back.ChangeType(VT_R8);
            EXPECT_DOUBLE_EQ(back.dblVal, c.expected);
        }
    } else {
        EXPECT_EQ(dst.vt, VT_EMPTY) << "a refused conversion leaves the target alone";
    }
    VariantClear(&dst);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VariantChange,
    ::testing::Values(ChangeCase{VT_I4, 42, nullptr, VT_BSTR, S_OK, 0, u"42"},
                      ChangeCase{VT_BSTR, 0, u" 3.5 ", VT_R8, S_OK, 3.5, nullptr},
                      ChangeCase{VT_BSTR, 0, u"abc", VT_I4, DISP_E_TYPEMISMATCH, 0, nullptr},
                      ChangeCase{VT_R8, 2.5, nullptr, VT_I4, S_OK, 2, nullptr},
                      ChangeCase{VT_R8, 3.5, nullptr, VT_I4, S_OK, 4, nullptr},
                      ChangeCase{VT_I4, 70000, nullptr, VT_I2, DISP_E_OVERFLOW, 0, nullptr},
                      ChangeCase{VT_I4, -1, nullptr, VT_UI1, DISP_E_OVERFLOW, 0, nullptr},
                      ChangeCase{VT_BOOL, 1, nullptr, VT_BSTR, S_OK, 0, u"True"},
                      ChangeCase{VT_R8, 1.23456, nullptr, VT_CY, S_OK, 1.2346, nullptr}),
    [](const ::testing::TestParamInfo<ChangeCase>& info) { return std::to_string(info.index); });

// ---- Dates ----------------------------------------------------------------------------------------
struct ParseCase {
    const char16_t* text;
    DWORD flags;
    bool ok;
    int y, mo, d, h, mi, s;
};

class DateParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(DateParse, ReadsTheListsTextAndRefusesTheRest) {
    const ParseCase& c = GetParam();
    COleDateTime dt;
    EXPECT_EQ(dt.ParseDateTime(c.text, c.flags), c.ok);
    if (!c.ok) {
        EXPECT_EQ(dt.GetStatus(), COleDateTime::invalid);
        return;
    }
    EXPECT_EQ(dt.GetYear(), c.y);
    EXPECT_EQ(dt.GetMonth(), c.mo);
    EXPECT_EQ(dt.GetDay(), c.d);
    EXPECT_EQ(dt.GetHour(), c.h);
    EXPECT_EQ(dt.GetMinute(), c.mi);
    EXPECT_EQ(dt.GetSecond(), c.s);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DateParse,
    ::testing::Values(ParseCase{u"8-12-2026 9:5:3", 0, true, 2026, 12, 8, 9, 5, 3},
                      ParseCase{u"13-12-2026 0:0:0", 0, true, 2026, 12, 13, 0, 0, 0},
                      ParseCase{u"2026/12/8", 0, true, 2026, 12, 8, 0, 0, 0},
                      ParseCase{u"  10:30 PM ", 0, true, 1899, 12, 30, 22, 30, 0},
                      ParseCase{u"8-12-2026 9:5:3", VAR_DATEVALUEONLY, true, 2026, 12, 8, 0, 0, 0},
                      ParseCase{u"12-13-2026", 0, false, 0, 0, 0, 0, 0, 0},
                      ParseCase{u"29-2-2023", 0, false, 0, 0, 0, 0, 0, 0},
                      ParseCase{u"8-12-26", 0, false, 0, 0, 0, 0, 0, 0},
                      ParseCase{u"9:61", 0, false, 0, 0, 0, 0, 0, 0},
                      ParseCase{u"", 0, false, 0, 0, 0, 0, 0, 0},
                      ParseCase{u"8-12-2026 junk", 0, false, 0, 0, 0, 0, 0, 0}),
    [](const ::testing::TestParamInfo<ParseCase>& info) { return std::to_string(info.index); });

TEST(DateTime, OrdersFormatsAndStoresAcrossDayZero) {
    COleDateTime a, b, c;
    ASSERT_TRUE(a.ParseDateTime(u"8-12-2026 9:5:3"));
    ASSERT_TRUE(b.ParseDateTime(u"13-12-2026 0:0:0"));
    ASSERT_TRUE(c.ParseDateTime(u"1-1-2027 0:0:0"));
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    EXPECT_EQ(a.Format(u"%m %d %y"), CString(u"12 08 26"));
    EXPECT_EQ(a.Format(), CString(u"2026/12/8 9:05:03"));
    EXPECT_EQ(a.Format(u"%#d/%#m %H:%M %A"), CString(u"8/12 09:05 Tuesday"));

    // Before 30 December 1899 the fraction still counts forward within the day.
    COleDateTime early(1899, 12, 29, 6, 0, 0), later(1899, 12, 29, 18, 0, 0);
    EXPECT_DOUBLE_EQ(early.m_dt, -1.25);
    EXPECT_EQ(early.GetHour(), 6);
    EXPECT_LT(early, later);
    EXPECT_EQ(COleDateTime(2026, 2, 30, 0, 0, 0).GetStatus(), COleDateTime::invalid);

    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << a << COleVariant(u"name") << COleVariant(7L) << COleVariant(a);
    }
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    COleDateTime back;
    COleVariant s, n, d;
    ar >> back >> s >> n >> d;
    EXPECT_EQ(back, a);
    EXPECT_TRUE(s == COleVariant(u"name"));
    EXPECT_TRUE(n == COleVariant(7L));
    EXPECT_EQ(d.vt, VT_DATE);
}

TEST(DateTime, ADamagedStringLengthIsRefused) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << (WORD)VT_BSTR << (DWORD)0xFFFFFFF0u;
    }
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    COleVariant v;
    bool thrown = false;
    try {
        ar >> v;
    } catch (CArchiveException* e) {
        thrown = true;
        e->Delete();
    }
    EXPECT_TRUE(thrown);
    EXPECT_EQ(v.vt, VT_EMPTY);
}

// ---- Currency and variants -------------------------------------------------------------------------
TEST(Currency, ParsesFormatsAndRefusesOverflow) {
    COleCurrency cur;
    ASSERT_TRUE(cur.ParseCurrency(u"1,234.5678"));
    EXPECT_EQ(cur.m_cur.int64, 12345678);
    EXPECT_EQ(cur.Format(), CString(u"1234.5678"));
    ASSERT_TRUE(cur.ParseCurrency(u"-12.50005"));
    EXPECT_EQ(cur.Format(), CString(u"-12.5001"));
    EXPECT_FALSE(cur.ParseCurrency(u"12a"));
    EXPECT_EQ(cur.GetStatus(), COleCurrency::invalid);
    EXPECT_FALSE(cur.ParseCurrency(u"99999999999999999999"));
    COleCurrency big;
    big.m_cur.int64 = INT64_MAX;
    EXPECT_EQ((big + COleCurrency(1, 0)).GetStatus(), COleCurrency::invalid);
    EXPECT_EQ(COleCurrency(3, 2500).Format(), CString(u"3.25"));
}

TEST(Variant, ChangeTypeThrowsOnARefusedConversion) {
    COleVariant v(u"not a number");
    bool thrown = false;
    try {
        v.ChangeType(VT_I4);
    } catch (COleException* e) {
        thrown = true;
        EXPECT_EQ(e->m_sc, DISP_E_TYPEMISMATCH);
        e->Delete();
    }
    EXPECT_TRUE(thrown);
    EXPECT_EQ(v.vt, VT_BSTR) << "the value is kept";
    VARIANT raw = v.Detach();
    EXPECT_EQ(v.vt, VT_EMPTY);
    COleVariant owner;
    owner.Attach(raw);
    EXPECT_EQ(std::u16string(owner.bstrVal), u"not a number");
}

// ---- Data by format -----------------------------------------------------------------------------
HGLOBAL Block(const char* text) {
    size_t n = std::strlen(text) + 1;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, n);
    std::memcpy(GlobalLock(h), text, n);
    GlobalUnlock(h);
    return h;
}

std::string Text(HGLOBAL h) {
    std::string s = static_cast<const char*>(GlobalLock(h));
    GlobalUnlock(h);
    return s;
}

TEST(DataObject, ClipboardRoundTripThroughASource) {
    CLIPFORMAT cf = (CLIPFORMAT)RegisterClipboardFormatW(u"Dovemark Test Item");
    auto* source = new COleDataSource;
    source->CacheGlobalData(cf, Block("first"));
    source->CacheGlobalData(cf, Block("second")); // replaces (and frees) the first
    source->SetClipboard();                        // the clipboard takes the source over

    COleDataObject data;
    ASSERT_TRUE(data.AttachClipboard());
    EXPECT_TRUE(data.IsDataAvailable(cf));
    EXPECT_FALSE(data.IsDataAvailable(CF_BITMAP));
    HGLOBAL h = data.GetGlobalData(cf);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(Text(h), "second");
    GlobalFree(h);
    CFile* pFile = data.GetFileData(cf);
    ASSERT_NE(pFile, nullptr);
    char buf[16] = {};
    EXPECT_EQ(pFile->Read(buf, sizeof(buf)), 7u);
    EXPECT_STREQ(buf, "second");
    delete pFile;
    EXPECT_EQ(data.GetFileData(CF_BITMAP), nullptr);
}

class Target : public COleDropTarget {
public:
    std::string m_log;
    DROPEFFECT OnDragEnter(CWnd*, COleDataObject* pData, DWORD, CPoint) override {
        m_log += "enter;";
        return pData->IsDataAvailable(m_cf) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    }
    DROPEFFECT OnDragOver(CWnd*, COleDataObject* pData, DWORD, CPoint) override {
        return pData->IsDataAvailable(m_cf) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    }
    void OnDragLeave(CWnd*) override { m_log += "leave;"; }
    BOOL OnDrop(CWnd*, COleDataObject* pData, DROPEFFECT effect, CPoint point) override {
        HGLOBAL h = pData->GetGlobalData(m_cf);
        m_log += "drop:" + Text(h) + ";";
        GlobalFree(h);
        m_point = point;
        return TRUE;
    }
    CLIPFORMAT m_cf = 0;
    CPoint m_point;
};

class DragTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(source.CreateEx(0, nullptr, u"source", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), nullptr, 0));
        ASSERT_TRUE(sink.CreateEx(0, nullptr, u"sink", WS_POPUP | WS_VISIBLE, CRect(200, 0, 300, 100), nullptr, 0));
        headless::PumpUntilIdle();
        target.m_cf = (CLIPFORMAT)RegisterClipboardFormatW(u"Dovemark Test Item");
        ASSERT_TRUE(target.Register(&sink));
        EXPECT_FALSE(target.Register(&source)) << "one window per target";
        data.CacheGlobalData(target.m_cf, Block("payload"));
    }
    void TearDown() override {
        target.Revoke();
        source.DestroyWindow();
        sink.DestroyWindow();
    }
    CWnd source, sink;
    Target target;
    COleDataSource data;
};

TEST_F(DragTest, ADropOnARegisteredWindowHandsOverTheData) {
    headless::MouseMove(source.m_hWnd, {50, 50});
    headless::MouseMove(sink.m_hWnd, {10, 20});
    headless::ButtonUp(sink.m_hWnd, {12, 22});
    EXPECT_EQ(data.DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE), (DROPEFFECT)DROPEFFECT_COPY);
    EXPECT_EQ(target.m_log, "enter;drop:payload;");
    EXPECT_EQ(target.m_point, CPoint(12, 22));
}

TEST_F(DragTest, EscapeOrAReleaseOutsideATargetCancels) {
    headless::MouseMove(sink.m_hWnd, {10, 10});
    headless::KeyDown(VK_ESCAPE);
    EXPECT_EQ(data.DoDragDrop(), (DROPEFFECT)DROPEFFECT_NONE);
    EXPECT_EQ(target.m_log, "enter;leave;");
    headless::PumpUntilIdle();

    target.m_log.clear();
    headless::MouseMove(sink.m_hWnd, {10, 10});
    headless::MouseMove(source.m_hWnd, {10, 10});
    headless::ButtonUp(source.m_hWnd, {10, 10});
    EXPECT_EQ(data.DoDragDrop(), (DROPEFFECT)DROPEFFECT_NONE);
    EXPECT_EQ(target.m_log, "enter;leave;");

    // A drag that must first leave its start rectangle never begins when released inside it.
    target.m_log.clear();
    CRect start(0, 0, 100, 100);
    headless::MouseMove(source.m_hWnd, {20, 20});
    headless::ButtonUp(source.m_hWnd, {20, 20});
    EXPECT_EQ(data.DoDragDrop(DROPEFFECT_COPY, &start), (DROPEFFECT)DROPEFFECT_NONE);
    EXPECT_TRUE(target.m_log.empty());
}

} // namespace
