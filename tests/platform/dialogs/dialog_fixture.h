// Fixture for the common dialog tests: a scratch folder of files and helpers to read the dialogs.
#pragma once

#include "platform/user/user_fixture.h"
#include "support/support.h"
#include "win32/controls.h"
#include "win32/dialogs.h"
#include "win32/kernel/util.h"
#include "win32/shell.h"

#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace dlgtest {

inline std::u16string W(const std::string& s)
{
    return dovemark::kernel::Utf8ToUtf16(s);
}

// The texts of a list box's items in order.
inline std::vector<std::u16string> ListItems(HWND list)
{
    std::vector<std::u16string> out;
    int n = (int)SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; ++i) {
        WCHAR buf[512] = {};
        SendMessageW(list, LB_GETTEXT, i, (LPARAM)buf);
        out.push_back(buf);
    }
    return out;
}

// The centre of item i of a list box, in its client coordinates.
inline POINT ItemPoint(HWND list, int i)
{
    RECT r{};
    SendMessageW(list, LB_GETITEMRECT, i, (LPARAM)&r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The same for a list view.
inline std::vector<std::u16string> ViewItems(HWND view)
{
    std::vector<std::u16string> out;
    int n = (int)SendMessageW(view, LVM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < n; ++i) {
        WCHAR buf[512] = {};
        LVITEMW item{};
        item.pszText = buf;
        item.cchTextMax = 512;
        SendMessageW(view, LVM_GETITEMTEXTW, i, (LPARAM)&item);
        out.push_back(buf);
    }
    return out;
}

inline POINT ViewItemPoint(HWND view, int i)
{
    RECT r{};
    r.left = LVIR_LABEL;
    SendMessageW(view, LVM_GETITEMRECT, i, (LPARAM)&r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Answers the next message box with `button`, keeping its text.
inline void AnswerBox(std::u16string* text, int button)
{
    headless::AnswerNextModal([text, button](HWND box) {
        if (text)
            *text = headless::Text(GetDlgItem(box, 0xFFFF));
        EndDialog(box, button);
    });
}

// A folder with two snapshots, a text file, a hidden file and a subfolder with one snapshot.
class DialogTest : public usertest::UserTest {
protected:
    void SetUp() override
    {
        UserTest::SetUp();
        dir_ = testsupport::ScratchDir();
        for (const char* f : {"a.dmk", "B.DMK", "notes.txt", ".hidden.dmk"})
            std::ofstream(dir_ + "/" + f) << "x";
        mkdir((dir_ + "/sub").c_str(), 0755);
        mkdir((dir_ + "/.cache").c_str(), 0755);
        std::ofstream(dir_ + "/sub/c.dmk") << "x";
        wdir_ = W(dir_);
    }
    std::string dir_;
    std::u16string wdir_;
};

} // namespace dlgtest
