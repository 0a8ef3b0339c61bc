// Fixture for the list view tests: a list in the parent and a record of what it tells the parent.
#pragma once

#include "platform/controls/control_fixture.h"

#include <string>
#include <vector>

namespace lvtest {

struct Note {
    UINT code;
    int item;
    int sub;
    UINT newState, oldState, changed;
};

// Members are public: case tables drive the fixture from outside.
class ListViewTest : public ctltest::ControlTest {
public:
    void SetUp() override
    {
        ControlTest::SetUp();
        parentHook_ = [this](UINT m, WPARAM, LPARAM l, LRESULT* r) {
            if (m != WM_NOTIFY || !list_ || ((NMHDR*)l)->hwndFrom != list_)
                return false;
            auto* nm = (NMHDR*)l;
            Note n{nm->code, -1, 0, 0, 0, 0};
            switch (nm->code) {
            case LVN_ITEMCHANGING:
            case LVN_ITEMCHANGED:
            case LVN_INSERTITEM:
            case LVN_DELETEITEM:
            case LVN_DELETEALLITEMS:
            case LVN_COLUMNCLICK:
            case NM_CLICK:
            case NM_DBLCLK:
            case NM_RCLICK: {
                auto* lvn = (NMLISTVIEW*)l;
                n = {nm->code, lvn->iItem, lvn->iSubItem, lvn->uNewState, lvn->uOldState, lvn->uChanged};
                break;
            }
            case LVN_BEGINLABELEDITW:
            case LVN_ENDLABELEDITW:
            case LVN_GETDISPINFOW: n.item = ((NMLVDISPINFOW*)l)->item.iItem; break;
            }
            if (nm->code != NM_CUSTOMDRAW && nm->code != LVN_GETDISPINFOW)
                notes_.push_back(n);
            *r = 0;
            if (onNotify_)
                *r = onNotify_(nm);
            return true;
        };
    }
    HWND MakeList(DWORD style = LVS_REPORT | LVS_SHOWSELALWAYS, DWORD ex = 0, RECT rc = {0, 0, 300, 200})
    {
        list_ = Make(WC_LISTVIEWW, u"", style, rc, 5);
        SendMessageW(list_, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
        if (ex)
            SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, ex);
        return list_;
    }
    int AddColumn(const char16_t* title, int width, int fmt = LVCFMT_LEFT)
    {
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        c.pszText = (LPWSTR)title;
        c.cx = width;
        c.fmt = fmt;
        return (int)SendMessageW(list_, LVM_INSERTCOLUMNW, (WPARAM)columns_++, (LPARAM)&c);
    }
    int AddRow(const std::u16string& text, LPARAM data = 0, const std::vector<std::u16string>& subs = {})
    {
        LVITEMW it{};
        it.mask = LVIF_TEXT | LVIF_PARAM;
        it.iItem = (int)SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0);
        it.pszText = (LPWSTR)text.c_str();
        it.lParam = data;
        int i = (int)SendMessageW(list_, LVM_INSERTITEMW, 0, (LPARAM)&it);
        for (size_t s = 0; s < subs.size(); ++s)
            SetText(i, (int)s + 1, subs[s]);
        return i;
    }
    bool SetText(int item, int sub, const std::u16string& text)
    {
        LVITEMW it{};
        it.iSubItem = sub;
        it.pszText = (LPWSTR)text.c_str();
        return SendMessageW(list_, LVM_SETITEMTEXTW, (WPARAM)item, (LPARAM)&it) != 0;
    }
    std::u16string Text(int item, int sub = 0)
    {
        char16_t buf[256] = {};
        LVITEMW it{};
        it.iSubItem = sub;
        it.pszText = buf;
        it.cchTextMax = 256;
        SendMessageW(list_, LVM_GETITEMTEXTW, (WPARAM)item, (LPARAM)&it);
        return buf;
    }
    UINT State(int item, UINT mask = ~0u) { return (UINT)SendMessageW(list_, LVM_GETITEMSTATE, (WPARAM)item, mask); }
    bool SetState(int item, UINT state, UINT mask)
    {
        LVITEMW it{};
        it.state = state;
        it.stateMask = mask;
        return SendMessageW(list_, LVM_SETITEMSTATE, (WPARAM)item, (LPARAM)&it) != 0;
    }
    int Count() { return (int)SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0); }
    // A report list with columns "Name" 100, "Size" 80, "Type" 60 and `rows` rows "row N".
    HWND MakeReport(int rows, DWORD ex = 0, DWORD style = LVS_REPORT | LVS_SHOWSELALWAYS)
    {
        MakeList(style, ex);
        AddColumn(u"Name", 100);
        AddColumn(u"Size", 80, LVCFMT_RIGHT);
        AddColumn(u"Type", 60);
        for (int i = 0; i < rows; ++i)
            AddRow(u"row " + Num(i), 1000 + i, {Num(i * 10), u"File"});
        headless::PumpUntilIdle();
        notes_.clear();
        return list_;
    }
    static std::u16string Num(int n)
    {
        std::string s = std::to_string(n);
        return std::u16string(s.begin(), s.end());
    }
    std::vector<UINT> Codes()
    {
        std::vector<UINT> c;
        for (auto& n : notes_)
            c.push_back(n.code);
        return c;
    }
    RECT ItemRect(int item, int code = LVIR_BOUNDS)
    {
        RECT r{};
        r.left = code;
        SendMessageW(list_, LVM_GETITEMRECT, (WPARAM)item, (LPARAM)&r);
        return r;
    }
    POINT Center(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

    HWND list_ = nullptr;
    int columns_ = 0;
    std::vector<Note> notes_;
    std::function<LRESULT(NMHDR*)> onNotify_;
};

// Paints a window's client area into a fresh memory DC of its size; the caller reads pixels from it.
class Canvas {
public:
    Canvas(HWND hwnd)
    {
        RECT rc;
        GetClientRect(hwnd, &rc);
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bmp_ = CreateCompatibleBitmap(screen, rc.right, rc.bottom);
        old_ = SelectObject(dc_, bmp_);
        ReleaseDC(nullptr, screen);
        SendMessageW(hwnd, WM_PRINTCLIENT, (WPARAM)dc_, PRF_CLIENT | PRF_ERASEBKGND);
    }
    ~Canvas()
    {
        SelectObject(dc_, old_);
        DeleteObject(bmp_);
        DeleteDC(dc_);
    }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
    int CountColor(const RECT& r, COLORREF c) const
    {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += GetPixel(dc_, x, y) == c;
        return n;
    }

private:
    HDC dc_;
    HBITMAP bmp_;
    HGDIOBJ old_;
};

} // namespace lvtest
