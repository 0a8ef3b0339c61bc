// Helpers for the window manager tests: a logging window class and a message log.
#pragma once

#include "backend/headless/driver.h"
#include "win32/user.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace usertest {

struct Entry {
    std::string who;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Entry& o) const { return who == o.who && msg == o.msg; }
};

// Windows of the logging class record the messages named in `Watch` under the name given by
// their window text, in the order they arrive, from any thread.
class Log {
public:
    static Log& Get();
    void Watch(std::vector<UINT> msgs);
    void Add(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    std::vector<Entry> Take();
    void Clear();

private:
    std::mutex lock_;
    std::vector<UINT> watch_;
    std::vector<Entry> entries_;
};

std::string MessageName(UINT msg);
std::vector<std::string> Describe(const std::vector<Entry>& entries);

// Registers (once) the logging class "LogWnd" (CS_DBLCLKS) and "LogWndNoDbl" (without it).
void RegisterLogClasses();
HWND MakeTop(const char16_t* name, DWORD style = WS_OVERLAPPEDWINDOW, RECT rc = {100, 100, 400, 300},
             const char16_t* cls = u"LogWnd");
HWND MakeChild(HWND parent, const char16_t* name, RECT rc, int id = 0, DWORD style = WS_CHILD | WS_VISIBLE,
               const char16_t* cls = u"LogWnd");

// Per-window hooks for tests: a handler that runs before the logging default for one window.
using Handler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)>;
void SetHandler(HWND hwnd, Handler h);

// Base fixture: virtual clock, clean log, and every top-level window of the thread destroyed after.
class UserTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

} // namespace usertest
