// Opening documents, folders and addresses through the opener, running programs, and the errors.
#include "support/support.h"
#include "win32/kernel.h"
#include "win32/shell.h"
#include "win32/shell/launch.h"
#include "win32/user.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <thread>

namespace {

std::u16string W(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

void WriteFile(const std::string& path, const std::string& text, bool executable)
{
    std::ofstream(path) << text;
    chmod(path.c_str(), executable ? 0755 : 0644);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Waits for a file that a started program writes; programs are not waited for by the layer.
std::string AwaitFile(const std::string& path)
{
    for (int i = 0; i < 500; ++i) {
        std::string text = ReadFile(path);
        if (!text.empty() && text.back() == '\n' && text.find("END\n") != std::string::npos)
            return text;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return ReadFile(path);
}

// A fake opener that logs each argument on a line and ends with the code in FAKE_OPENER_EXIT.
class ShellExecuteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = testsupport::ScratchDir();
        log_ = dir_ + "/opener.log";
        WriteFile(dir_ + "/opener", "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + log_ + "'\nexit ${FAKE_OPENER_EXIT:-0}\n", true);
        setenv("DOVEMARK_OPENER", (dir_ + "/opener").c_str(), 1);
        unsetenv("FAKE_OPENER_EXIT");
        WriteFile(dir_ + "/report.txt", "text", false);
        mkdir((dir_ + "/folder").c_str(), 0755);
    }
    void TearDown() override { unsetenv("DOVEMARK_OPENER"); }

    std::string dir_, log_;
};

TEST_F(ShellExecuteTest, OpensThroughTheOpenerOrFailsWithTheShellCode)
{
    struct Case {
        const char* what;
        const char16_t* verb;
        std::string file;
        const char* openerExit; // null: the opener succeeds
        INT_PTR expected;       // 42 for any success
        std::string logged;     // what reached the opener
    } cases[] = {
        {"address", u"open", "http://example.com/a b?x=1;echo $(id)", nullptr, 42,
         "http://example.com/a b?x=1;echo $(id)\n"},
        {"null verb", nullptr, "mailto:someone@example.com", nullptr, 42, "mailto:someone@example.com\n"},
        {"document", u"open", dir_ + "/report.txt", nullptr, 42, dir_ + "/report.txt\n"},
        {"backslashes and case", u"OPEN", dir_ + "\\REPORT.TXT", nullptr, 42, dir_ + "/report.txt\n"},
        {"folder", u"explore", dir_ + "/folder", nullptr, 42, dir_ + "/folder\n"},
        {"missing file", u"open", dir_ + "/none.txt", nullptr, SE_ERR_FNF, ""},
        {"missing folder", u"open", dir_ + "/none/x.txt", nullptr, SE_ERR_PNF, ""},
        {"empty name", u"open", "", nullptr, SE_ERR_FNF, ""},
        {"other verb", u"print", dir_ + "/report.txt", nullptr, SE_ERR_NOASSOC, ""},
        {"no program for it", u"open", dir_ + "/report.txt", "3", SE_ERR_NOASSOC, dir_ + "/report.txt\n"},
        {"opener finds no file", u"open", "http://x.example", "2", SE_ERR_FNF, "http://x.example\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove(log_.c_str());
        if (c.openerExit)
            setenv("FAKE_OPENER_EXIT", c.openerExit, 1);
        else
            unsetenv("FAKE_OPENER_EXIT");
        std::u16string file = W(c.file);
        INT_PTR r = (INT_PTR)ShellExecuteW(nullptr, c.verb, file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        if (c.expected > 32)
            EXPECT_GT(r, 32);
        else
            EXPECT_EQ(r, c.expected);
        EXPECT_EQ(ReadFile(log_), c.logged);
    }
}

TEST_F(ShellExecuteTest, WithoutAnOpenerNothingIsAssociated)
{
    setenv("DOVEMARK_OPENER", (dir_ + "/no-such-opener").c_str(), 1);
    std::u16string file = W(dir_ + "/report.txt");
    EXPECT_EQ((INT_PTR)ShellExecuteW(nullptr, u"open", file.c_str(), nullptr, nullptr, SW_SHOW), SE_ERR_NOASSOC);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_NO_ASSOCIATION);
}

// A program is run itself, with its parameters split as Windows splits them and nothing read by a
// shell, in the folder asked for.
TEST_F(ShellExecuteTest, RunsProgramsDirectlyWithSplitParameters)
{
    std::string out = dir_ + "/ran.log";
    WriteFile(dir_ + "/tool", "#!/bin/sh\n{ pwd; printf '%s\\n' \"$@\"; echo END; } > '" + out + "'\n", true);
    std::u16string file = W(dir_ + "/tool"), folder = W(dir_ + "/folder");
    INT_PTR r = (INT_PTR)ShellExecuteW(nullptr, u"open", file.c_str(), u"<QZVKHTWM> \"two words\" a\\\"b ;$(id)",
                                       folder.c_str(), SW_SHOWNORMAL);
    EXPECT_GT(r, 32);
    EXPECT_EQ(AwaitFile(out), dir_ + "/folder\n<QZVKHTWM>\ntwo words\na\"b\n;$(id)\nEND\n");
    EXPECT_EQ(ReadFile(log_), ""); // the opener was not involved

    std::u16string missingDir = W(dir_ + "/nowhere");
    EXPECT_EQ((INT_PTR)ShellExecuteW(nullptr, u"open", file.c_str(), nullptr, missingDir.c_str(), SW_SHOW), SE_ERR_PNF);
}

// Data files with execute bits (as on FAT and NTFS mounts) are documents, not programs.
TEST_F(ShellExecuteTest, ExecutableBitsAloneDoNotMakeAProgram)
{
    WriteFile(dir_ + "/help.chm", "ITSF....", true);
    std::u16string file = W(dir_ + "/help.chm");
    EXPECT_GT((INT_PTR)ShellExecuteW(nullptr, u"open", file.c_str(), nullptr, nullptr, SW_SHOW), 32);
    EXPECT_EQ(ReadFile(log_), dir_ + "/help.chm\n");
}

TEST_F(ShellExecuteTest, ExReportsTheResultInItsBlock)
{
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = u"open";
    info.lpFile = u"http://example.com/";
    info.nShow = SW_SHOWMAXIMIZED;
    EXPECT_TRUE(ShellExecuteExW(&info));
    EXPECT_GT((INT_PTR)info.hInstApp, 32);
    EXPECT_EQ(info.hProcess, nullptr);

    std::u16string missing = W(dir_ + "/gone.txt");
    info.lpFile = missing.c_str();
    EXPECT_FALSE(ShellExecuteExW(&info));
    EXPECT_EQ((INT_PTR)info.hInstApp, SE_ERR_FNF);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);

    info.cbSize = 4;
    EXPECT_FALSE(ShellExecuteExW(&info));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ReadFile(log_), "http://example.com/\n");
}

TEST_F(ShellExecuteTest, WinExecRunsTheFirstWordWithTheRest)
{
    std::string out = dir_ + "/ran.log";
    WriteFile(dir_ + "/viewer", "#!/bin/sh\n{ printf '%s\\n' \"$@\"; echo END; } > '" + out + "'\n", true);
    // "\xD6\xD0" is one character of the program's code page.
    std::string line = "\"" + dir_ + "/viewer\" http://example.com/?q=\xD6\xD0 \"a b\"";
    EXPECT_GT(WinExec(line.c_str(), SW_SHOW), 31u);
    EXPECT_EQ(AwaitFile(out), "http://example.com/?q=\xE4\xB8\xAD\na b\nEND\n");

    struct Case {
        std::string line;
        UINT expected;
    } failures[] = {
        {dir_ + "/missing-program arg", ERROR_FILE_NOT_FOUND},
        {dir_ + "/none/program", ERROR_PATH_NOT_FOUND},
        {dir_ + "/report.txt", ERROR_BAD_FORMAT},
        {"no-such-program-on-the-path", ERROR_FILE_NOT_FOUND},
        {"", ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : failures) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(WinExec(c.line.c_str(), SW_SHOW), c.expected);
    }
}

TEST(CommandLineSplit, FollowsTheWindowsRules)
{
    struct Case {
        const char16_t* line;
        std::vector<std::u16string> args;
    } cases[] = {
        {u"", {}},
        {u"  a\tb  ", {u"a", u"b"}},
        {u"\"a b\" c", {u"a b", u"c"}},
        {u"a\\\\b", {u"a\\\\b"}},             // backslashes not before a quote stand
        {u"a\\\"b", {u"a\"b"}},               // an odd count escapes the quote
        {u"\"a\\\\\" b", {u"a\\", u"b"}},      // an even count halves and the quote closes
        {u"\"C:\\dir\\\" x", {u"C:\\dir\" x"}}, // the classic trap of a quoted folder
        {u"\"say \"\"hi\"\"\"", {u"say \"hi\""}},
        {u"ab\"c d\"e", {u"abc de"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.line, c.line + std::char_traits<char16_t>::length(c.line)));
        EXPECT_EQ(shell::SplitCommandLine(c.line), c.args);
    }
}

} // namespace

TEST_F(ShellExecuteTest, HelpFilesOpenThroughTheShellOrFail)
{
    std::u16string help = W(dir_ + "/report.txt");
    EXPECT_TRUE(WinHelpW(nullptr, help.c_str(), HELP_CONTEXT, 12));
    EXPECT_EQ(ReadFile(log_), dir_ + "/report.txt\n");
    std::u16string missing = W(dir_ + "/none.hlp");
    EXPECT_FALSE(WinHelpW(nullptr, missing.c_str(), HELP_PARTIALKEY, 0));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(WinHelpW(nullptr, u"", HELP_FINDER, 0));
    EXPECT_TRUE(WinHelpW(nullptr, nullptr, HELP_QUIT, 0)); // nothing open to close
}
