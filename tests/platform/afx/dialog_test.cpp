// CDialog: modal and modeless dialogs from templates, OnOK/OnCancel, and data exchange both ways.
#include "afx/afx.h"
#include "backend/headless/driver.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Stand-in controls: an edit keeps its text as any window does; a check box keeps its state.
LRESULT CALLBACK CheckProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == BM_SETCHECK) {
        SetPropW(h, u"check", (HANDLE)(ULONG_PTR)w);
        return 0;
    }
    if (m == BM_GETCHECK)
        return (LRESULT)(ULONG_PTR)GetPropW(h, u"check");
    return DefWindowProcW(h, m, w, l);
}

void RegisterControls() {
    static bool done = false;
    if (done)
        return;
    done = true;
    WNDCLASSW wc{};
    wc.lpfnWndProc = &DefWindowProcW;
    wc.lpszClassName = u"AfxTestEdit";
    RegisterClassW(&wc);
    wc.lpfnWndProc = &CheckProc;
    wc.lpszClassName = u"AfxTestCheck";
    RegisterClassW(&wc);
}

// A dialog template in memory.
class Template {
public:
    explicit Template(DWORD style) {
        Dword(style);
        Dword(0);
        m_countAt = m_data.size();
        m_data.push_back(0);
        for (int v : {10, 10, 200, 120})
            m_data.push_back((WORD)v);
        m_data.push_back(0); // no menu
        m_data.push_back(0); // the dialog class
        String(u"Settings");
    }
    Template& Item(const char16_t* cls, int id, DWORD style = 0) {
        if (m_data.size() % 2)
            m_data.push_back(0);
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        for (int v : {5, 5 + 12 * (int)m_data[m_countAt], 60, 10})
            m_data.push_back((WORD)v);
        m_data.push_back((WORD)id);
        String(cls);
        String(u"");
        m_data.push_back(0);
        m_data[m_countAt]++;
        return *this;
    }
    LPCDLGTEMPLATEW get() const { return reinterpret_cast<LPCDLGTEMPLATEW>(m_data.data()); }

private:
    void Dword(DWORD v) {
        m_data.push_back(LOWORD(v));
        m_data.push_back(HIWORD(v));
    }
    void String(const char16_t* s) {
        for (; *s; ++s)
            m_data.push_back(*s);
        m_data.push_back(0);
    }
    std::vector<WORD> m_data;
    size_t m_countAt = 0;
};

enum { IDC_NAME = 10, IDC_COUNT, IDC_VERIFY, IDC_R1, IDC_R2, IDC_R3, IDC_AFTER };

class SettingsDlg : public CDialog {
public:
    CString m_strName = u"disk0";
    int m_nCount = 4;
    int m_bVerify = 1;
    int m_nMode = 1;
    int m_nInit = 0;
    BOOL OnInitDialog() override {
        ++m_nInit;
        return CDialog::OnInitDialog();
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Text(pDX, IDC_NAME, m_strName);
        DDV_MaxChars(pDX, m_strName, 8);
        DDX_Text(pDX, IDC_COUNT, m_nCount);
        DDX_Check(pDX, IDC_VERIFY, m_bVerify);
        DDX_Radio(pDX, IDC_R1, m_nMode);
    }
};

Template SettingsTemplate() {
    Template t(WS_POPUP | WS_CAPTION | DS_MODALFRAME);
    t.Item(u"AfxTestEdit", IDC_NAME, WS_GROUP)
        .Item(u"AfxTestEdit", IDC_COUNT, WS_GROUP)
        .Item(u"AfxTestCheck", IDC_VERIFY, WS_GROUP)
        .Item(u"AfxTestCheck", IDC_R1, WS_GROUP)
        .Item(u"AfxTestCheck", IDC_R2)
        .Item(u"AfxTestCheck", IDC_R3)
        .Item(u"AfxTestCheck", IDC_AFTER, WS_GROUP);
    return t;
}

std::u16string Text(HWND dlg, int id) { return headless::Text(GetDlgItem(dlg, id)); }
LRESULT Checked(HWND dlg, int id) { return SendDlgItemMessageW(dlg, id, BM_GETCHECK, 0, 0); }

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterControls();
        headless::ClearModalAnswers();
    }
    void TearDown() override {
        headless::ClearModalAnswers();
        for (HWND h : headless::TopLevelWindows())
            DestroyWindow(h);
    }
};

TEST_F(DialogTest, ModalDialogLoadsTheMembersAndOkSavesTheEditedValues) {
    Template t = SettingsTemplate();
    SettingsDlg dlg;
    dlg.InitModalIndirect(t.get());
    headless::AnswerNextModal([&](HWND h) {
        EXPECT_EQ(CWnd::FromHandlePermanent(h), &dlg);
        EXPECT_EQ(Text(h, IDC_NAME), u"disk0");
        EXPECT_EQ(Text(h, IDC_COUNT), u"4");
        EXPECT_EQ(Checked(h, IDC_VERIFY), BST_CHECKED);
        EXPECT_EQ(Checked(h, IDC_R2), BST_CHECKED);
        EXPECT_EQ(Checked(h, IDC_R1), BST_UNCHECKED);
        EXPECT_EQ(Checked(h, IDC_AFTER), BST_UNCHECKED); // outside the group
        SetDlgItemTextW(h, IDC_NAME, u"image");
        SetDlgItemTextW(h, IDC_COUNT, u" -12 ");
        CheckDlgButton(h, IDC_VERIFY, BST_UNCHECKED);
        CheckDlgButton(h, IDC_R2, BST_UNCHECKED);
        CheckDlgButton(h, IDC_R3, BST_CHECKED);
        SendMessageW(h, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_nInit, 1);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(dlg.m_strName, CString(u"image"));
    EXPECT_EQ(dlg.m_nCount, -12);
    EXPECT_EQ(dlg.m_bVerify, 0);
    EXPECT_EQ(dlg.m_nMode, 2);
}

TEST_F(DialogTest, CancelLeavesTheMembersAsTheyWere) {
    Template t = SettingsTemplate();
    SettingsDlg dlg;
    dlg.InitModalIndirect(t.get());
    headless::AnswerNextModal([](HWND h) {
        SetDlgItemTextW(h, IDC_NAME, u"changed");
        SendMessageW(h, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.m_strName, CString(u"disk0"));
}

// A value that does not validate keeps the dialog open with the field focused; nothing is saved.
struct BadInput {
    int id;
    const char16_t* text;
};

class DialogValidation : public DialogTest, public ::testing::WithParamInterface<BadInput> {};

TEST_P(DialogValidation, RefusedValueKeepsTheDialogOpenUntilCorrected) {
    Template t = SettingsTemplate();
    SettingsDlg dlg;
    dlg.InitModalIndirect(t.get());
    int boxes = 0;
    headless::AnswerNextModal([&](HWND h) {
        SetDlgItemTextW(h, GetParam().id, GetParam().text);
        SendMessageW(h, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(IsWindowVisible(h));
        EXPECT_EQ(GetFocus(), GetDlgItem(h, GetParam().id));
        EXPECT_EQ(dlg.m_nCount, 4);
        SetDlgItemTextW(h, IDC_NAME, u"ok");
        SetDlgItemTextW(h, IDC_COUNT, u"7");
        SendMessageW(h, WM_COMMAND, IDOK, 0);
    });
    headless::AnswerNextModal([&](HWND box) {
        ++boxes;
        EndDialog(box, IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(dlg.m_nCount, 7);
}

INSTANTIATE_TEST_SUITE_P(Cases, DialogValidation,
                         ::testing::Values(BadInput{IDC_COUNT, u"12x"}, BadInput{IDC_COUNT, u""},
                                           BadInput{IDC_COUNT, u"99999999999"},
                                           BadInput{IDC_NAME, u"much too long"}));

TEST_F(DialogTest, ModalWithoutATemplateFails) {
    SettingsDlg dlg;
    dlg.m_lpszTemplateName = MAKEINTRESOURCEW(4321);
    EXPECT_EQ(dlg.DoModal(), -1);
}

TEST_F(DialogTest, ModelessDialogRunsInitAndStaysUntilDestroyed) {
    Template t = SettingsTemplate();
    SettingsDlg dlg;
    ASSERT_TRUE(dlg.CreateIndirect(t.get()));
    EXPECT_EQ(dlg.m_nInit, 1);
    EXPECT_EQ(CWnd::FromHandlePermanent(dlg.m_hWnd), &dlg);
    EXPECT_EQ(Text(dlg.m_hWnd, IDC_NAME), u"disk0");
    SetDlgItemTextW(dlg.m_hWnd, IDC_COUNT, u"9");
    EXPECT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.m_nCount, 9);
    HWND h = dlg.m_hWnd;
    EXPECT_TRUE(dlg.DestroyWindow());
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

} // namespace
