// The open and save dialogs: browsing, typed names and the checks their flags ask for, the answer.
#include "dialog_fixture.h"

#include <cstring>

using namespace dlgtest;

namespace {

const WCHAR kFilter[] = u"\u5feb\u7167\0*.DMK\0\u6240\u6709\u6587\u4ef6\0*.*\0";

enum : int { kFolderText = 0x440, kUp = 0x4A0, kList = 0x460, kTypes = 0x470, kName = 0x480 };

class FileDialogTest : public DialogTest {
protected:
    OPENFILENAMEW Block(DWORD flags)
    {
        OPENFILENAMEW ofn{};
        ofn.lStructSize = 88; // what callers written for 32-bit Windows pass
        ofn.lpstrFilter = kFilter;
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = file_;
        ofn.nMaxFile = MAX_PATH;
        ofn.lpstrFileTitle = title_;
        ofn.nMaxFileTitle = MAX_PATH;
        ofn.lpstrInitialDir = wdir_.c_str();
        ofn.Flags = flags | OFN_EXPLORER;
        return ofn;
    }
    WCHAR file_[MAX_PATH] = {};
    WCHAR title_[MAX_PATH] = {};
};

TEST_F(FileDialogTest, BrowsesWithTheMouseAndAnswersWithEnter)
{
    OPENFILENAMEW ofn = Block(OFN_HIDEREADONLY | OFN_FILEMUSTEXIST);
    std::vector<std::u16string> first, allTypes, inSub;
    std::vector<int> images;
    std::u16string picked, folderShown;
    headless::AnswerNextModal([&](HWND dlg) {
        HWND list = GetDlgItem(dlg, kList);
        first = ViewItems(list);
        // Each row shows the system's small icon of its kind.
        for (const char16_t* name : {u"sub", u"a.dmk"}) {
            LVITEMW item{};
            item.mask = LVIF_IMAGE;
            item.iItem = name[0] == u's' ? 0 : 1;
            SendMessageW(list, LVM_GETITEMW, 0, (LPARAM)&item);
            SHFILEINFOW sfi{};
            SHGetFileInfoW(name, name[0] == u's' ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, &sfi, sizeof sfi,
                           SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
            EXPECT_EQ(item.iImage, sfi.iIcon);
            images.push_back(item.iImage);
        }
        SendDlgItemMessageW(dlg, kTypes, CB_SETCURSEL, 1, 0);
        SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(kTypes, CBN_SELCHANGE), (LPARAM)GetDlgItem(dlg, kTypes));
        allTypes = ViewItems(list);
        headless::DoubleClick(list, ViewItemPoint(list, 0));
        headless::PumpUntilIdle();
        inSub = ViewItems(list);
        folderShown = headless::Text(GetDlgItem(dlg, kFolderText));
        headless::Click(list, ViewItemPoint(list, 0));
        headless::PumpUntilIdle();
        picked = headless::Text(GetDlgItem(dlg, kName));
        SetFocus(GetDlgItem(dlg, kName));
        headless::PressKey(VK_RETURN);
    });
    ASSERT_TRUE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(first, (std::vector<std::u16string>{u"sub", u"a.dmk", u"B.DMK"}));
    EXPECT_EQ(allTypes, (std::vector<std::u16string>{u"sub", u"a.dmk", u"B.DMK", u"notes.txt"}));
    ASSERT_EQ(images.size(), 2u);
    EXPECT_NE(images[0], images[1]);
    EXPECT_EQ(inSub, (std::vector<std::u16string>{u"c.dmk"}));
    EXPECT_EQ(folderShown, wdir_ + u"/sub");
    EXPECT_EQ(picked, u"c.dmk");
    EXPECT_EQ(std::u16string(file_), wdir_ + u"/sub/c.dmk");
    EXPECT_EQ(ofn.nFileOffset, wdir_.size() + 5);
    EXPECT_EQ(ofn.nFileExtension, wdir_.size() + 7);
    EXPECT_EQ(std::u16string(title_), u"c.dmk");
    EXPECT_EQ(ofn.nFilterIndex, 2u);
}

// A name typed and confirmed: what the dialog returns, or the warning it shows before staying.
TEST_F(FileDialogTest, TypedNamesAreCheckedAsTheFlagsAsk)
{
    struct Case {
        const char* what;
        bool save;
        DWORD flags;
        const char16_t* defExt;
        std::u16string typed;
        int boxAnswer;                 // 0: no message box expected
        const char16_t* boxText;       // a part of the box's text
        std::u16string result;         // empty: the dialog stays (then is cancelled)
    } cases[] = {
        {"existing", false, OFN_FILEMUSTEXIST, nullptr, u"a.dmk", 0, nullptr, wdir_ + u"/a.dmk"},
        {"letter case", false, OFN_FILEMUSTEXIST, nullptr, u"b.dmk", 0, nullptr, wdir_ + u"/B.DMK"},
        {"absolute", false, OFN_FILEMUSTEXIST, nullptr, wdir_ + u"\\sub\\c.dmk", 0, nullptr, wdir_ + u"/sub/c.dmk"},
        {"missing", false, OFN_FILEMUSTEXIST, nullptr, u"none.dmk", IDOK, u"\u627e\u4e0d\u5230\u6587\u4ef6", u""},
        {"missing allowed", false, 0, nullptr, u"none.dmk", 0, nullptr, wdir_ + u"/none.dmk"},
        {"missing folder", true, 0, nullptr, u"nowhere/x.dmk", IDOK, u"\u8def\u5f84\u4e0d\u5b58\u5728", u""},
        {"default extension", true, OFN_OVERWRITEPROMPT, u"DMK", u"new", 0, nullptr, wdir_ + u"/new.DMK"},
        {"own extension kept", true, OFN_OVERWRITEPROMPT, u"DMK", u"new.bak", 0, nullptr, wdir_ + u"/new.bak"},
        {"overwrite refused", true, OFN_OVERWRITEPROMPT, u"DMK", u"a", IDNO, u"a.dmk \u5df2\u5b58\u5728", u""},
        {"overwrite accepted", true, OFN_OVERWRITEPROMPT, u"DMK", u"a", IDYES, u"\u8981\u66ff\u6362", wdir_ + u"/a.dmk"},
        {"no prompt asked", true, 0, nullptr, u"notes.txt", 0, nullptr, wdir_ + u"/notes.txt"},
        {"dots folded", true, 0, nullptr, u"sub/../fresh.txt", 0, nullptr, wdir_ + u"/fresh.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::memset(file_, 0, sizeof file_);
        OPENFILENAMEW ofn = Block(c.flags);
        ofn.lpstrDefExt = c.defExt;
        std::u16string boxText;
        bool stayed = false;
        headless::AnswerNextModal([&](HWND dlg) {
            if (c.boxAnswer)
                AnswerBox(&boxText, c.boxAnswer);
            SetDlgItemTextW(dlg, kName, c.typed.c_str());
            SendMessageW(dlg, WM_COMMAND, IDOK, 0);
            if (IsWindow(dlg) && IsWindowVisible(dlg)) {
                stayed = true;
                SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
            }
        });
        BOOL ok = c.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
        EXPECT_EQ(ok, !c.result.empty());
        EXPECT_EQ(stayed, c.result.empty());
        if (ok)
            EXPECT_EQ(std::u16string(file_), c.result);
        else
            EXPECT_EQ(CommDlgExtendedError(), 0u);
        if (c.boxText) {
            EXPECT_NE(boxText.find(c.boxText), std::u16string::npos);
        }
        headless::ClearModalAnswers();
    }
}

TEST_F(FileDialogTest, PatternsAndFoldersTypedChangeTheListing)
{
    OPENFILENAMEW ofn = Block(0);
    std::vector<std::u16string> afterPattern, afterFolder;
    headless::AnswerNextModal([&](HWND dlg) {
        SetDlgItemTextW(dlg, kName, u"*.TXT");
        SendMessageW(dlg, WM_COMMAND, IDOK, 0);
        afterPattern = ViewItems(GetDlgItem(dlg, kList));
        SetDlgItemTextW(dlg, kName, u"SUB");
        SendMessageW(dlg, WM_COMMAND, IDOK, 0);
        afterFolder = ViewItems(GetDlgItem(dlg, kList));
        SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(kUp, BN_CLICKED), 0);
        SetDlgItemTextW(dlg, kName, u"notes.txt");
        SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(afterPattern, (std::vector<std::u16string>{u"sub", u"notes.txt"}));
    EXPECT_EQ(afterFolder, (std::vector<std::u16string>{}));  // the typed pattern still holds
    EXPECT_EQ(std::u16string(file_), wdir_ + u"/notes.txt");
}

// Several names in quotes come back as the folder followed by each name, as the explorer-style
// dialog returns them; one name alone comes back as a full path.
TEST_F(FileDialogTest, MultipleSelectionAnswersFolderAndNames)
{
    OPENFILENAMEW ofn = Block(OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    headless::AnswerNextModal([&](HWND dlg) {
        SetDlgItemTextW(dlg, kName, u"\"a.dmk\" \"B.DMK\"");
        SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(GetOpenFileNameW(&ofn));
    std::u16string expected = wdir_ + u'\0' + u"a.dmk" + u'\0' + u"B.DMK" + u'\0' + u'\0';
    EXPECT_EQ(std::u16string(file_, expected.size()), expected);
    EXPECT_EQ(ofn.nFileOffset, wdir_.size() + 1);

    headless::AnswerNextModal([&](HWND dlg) {
        SetDlgItemTextW(dlg, kName, u"a.dmk");
        SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(GetOpenFileNameW(&ofn));
    std::u16string single = wdir_ + u"/a.dmk" + u'\0' + u'\0';
    EXPECT_EQ(std::u16string(file_, single.size()), single);
}

TEST_F(FileDialogTest, FailuresAreReported)
{
    // A buffer too small for the answer: the size needed comes back in its first character.
    OPENFILENAMEW ofn = Block(0);
    ofn.nMaxFile = 8;
    headless::AnswerNextModal([&](HWND dlg) {
        SetDlgItemTextW(dlg, kName, u"a.dmk");
        SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    });
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), (DWORD)FNERR_BUFFERTOOSMALL);
    EXPECT_EQ(file_[0], WCHAR(wdir_.size() + 7));

    struct Case {
        DWORD size, flags;
        DWORD error;
    } cases[] = {
        {12, 0, CDERR_STRUCTSIZE},
        {sizeof(OPENFILENAMEW) + 4, 0, CDERR_STRUCTSIZE},
        {76, OFN_ENABLEHOOK, CDERR_DIALOGFAILURE},
    };
    for (const Case& c : cases) {
        OPENFILENAMEW bad = Block(c.flags);
        bad.lStructSize = c.size;
        EXPECT_FALSE(GetSaveFileNameW(&bad));
        EXPECT_EQ(CommDlgExtendedError(), c.error);
    }
    EXPECT_FALSE(GetOpenFileNameW(nullptr));

    // Cancel: no error, the buffer as it was.
    OPENFILENAMEW cancelled = Block(0);
    std::memcpy(file_, u"keep", 10);
    headless::AnswerNextModal([](HWND dlg) { SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_FALSE(GetSaveFileNameW(&cancelled));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_EQ(std::u16string(file_), u"keep");
}

} // namespace
