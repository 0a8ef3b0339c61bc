// Fixture for the control tests: a visible parent that records WM_COMMAND and WM_DRAWITEM.
#pragma once

#include "platform/user/user_fixture.h"
#include "win32/controls.h"

#include <functional>
#include <vector>

namespace ctltest {

struct Command {
    int id;
    UINT code;
    bool operator==(const Command& o) const { return id == o.id && code == o.code; }
};

class ControlTest : public usertest::UserTest {
protected:
    void SetUp() override
    {
        UserTest::SetUp();
        parent_ = usertest::MakeTop(u"parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, {0, 0, 400, 300});
        usertest::SetHandler(parent_, [this](HWND, UINT m, WPARAM w, LPARAM l, LRESULT* r) {
            if (parentHook_ && parentHook_(m, w, l, r))
                return true;
            if (m == WM_COMMAND)
                commands_.push_back({LOWORD(w), HIWORD(w)});
            if (m == WM_DRAWITEM) {
                drawItems_.push_back(*(const DRAWITEMSTRUCT*)l);
                *r = TRUE;
                return true;
            }
            return false;
        });
        headless::PumpUntilIdle();
    }
    HWND Make(const char16_t* cls, const char16_t* text, DWORD style, RECT rc, int id = 100)
    {
        HWND h = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, rc.left, rc.top, rc.right - rc.left,
                                 rc.bottom - rc.top, parent_, (HMENU)(ULONG_PTR)id, nullptr, nullptr);
        headless::PumpUntilIdle();
        return h;
    }
    std::vector<Command> TakeCommands()
    {
        headless::PumpUntilIdle();
        auto c = std::move(commands_);
        commands_.clear();
        return c;
    }

    HWND parent_ = nullptr;
    // Runs first for every message of the parent; true when it answered in *result.
    std::function<bool(UINT, WPARAM, LPARAM, LRESULT*)> parentHook_;
    std::vector<Command> commands_;
    std::vector<DRAWITEMSTRUCT> drawItems_;
};

} // namespace ctltest
