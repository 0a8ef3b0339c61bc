// Opens popup menus on the display and keeps them there for some seconds: "scroll" a menu of 60
// commands that must scroll, scrolled down a little; "nested" a menu with a submenu opened beside
// it, both casting the theme's solid shadows; "tearoff" a frame with a tool bar and a menu that can be
// torn off by its strip (the strip's screen rectangle is printed, for a pointer tool to drag it).
// Usage: popup_art scroll|nested|tearoff [seconds]
#include "backend/x11/x11.h"
#include "toolkit/base/frame_wnd.h"
#include "toolkit/base/paint_manager.h"
#include "toolkit/commandbars/command_bars.h"
#include "toolkit/commandbars/popup_bar.h"
#include "toolkit/commandbars/tool_bar.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void AddCommands(CTKPPopupBar* bar, int count, const char* prefix)
{
    for (int i = 0; i < count; ++i) {
        CTKPControl* control = bar->GetControls()->Add(TKP_CONTROL_BUTTON, UINT(40000 + i));
        const std::string text = std::string(prefix) + " " + std::to_string(i + 1);
        control->SetCaption(CString(std::u16string(text.begin(), text.end()).c_str()));
        control->SetBeginGroup(i > 0 && i % 7 == 0);
    }
}

void PumpFor(DWORD ms)
{
    const DWORD end = ::GetTickCount() + ms;
    MSG msg;
    while (::GetTickCount() < end) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(20);
    }
}

} // namespace

// A frame with a docked tool bar and a menu with a tear-off strip, open until the time is up.
void TearOff(DWORD seconds)
{
    auto* frame = new CTKPFrameWnd;
    frame->Create(nullptr, u"Dovemark", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(20, 0, 620, 500));
    SetGlobalTheme(0);
    auto* bars = new CTKPCommandBars;
    frame->m_pCommandBars = bars;
    bars->SetSite(frame);
    bars->EnableBarDocking();
    CTKPToolBar* tools = bars->AddToolBar(u"Tools", 100);
    const UINT ids[] = {40000, 40001, 0, 40002, 40003};
    tools->SetButtons(ids, 5);
    tools->SetShowTextBelowIcons(1);
    const char16_t* names[] = {u"Open", u"Save", u"Find", u"Print"};
    for (int i = 0; i < tools->GetControlCount(); ++i)
        tools->GetControl(i)->SetCaption(names[i]);
    frame->RecalcLayout();
    CTKPPopupBar* popup = CTKPPopupBar::CreatePopupBar(bars);
    popup->m_bTearOffPopup = TRUE;
    popup->m_strTearOffCaption = u"Colours";
    popup->m_nTearOffId = 300;
    popup->m_nTearOffWidth = 120;
    AddCommands(popup, 6, "Colour");
    popup->PopupAt(80, 120);
    RECT strip = popup->GetTearOffRect();
    ::MapWindowPoints(popup->m_hWnd, nullptr, reinterpret_cast<POINT*>(&strip), 2);
    std::printf("tearoff: strip %d %d %d %d; shown for %u s\n", int(strip.left), int(strip.top), int(strip.right),
                int(strip.bottom), unsigned(seconds));
    std::fflush(stdout);
    PumpFor(seconds * 1000);
    popup->SetTrackingMode(0);
    popup->InternalRelease();
    frame->DestroyWindow();
}

int main(int argc, char** argv)
{
    const char* mode = argc > 1 ? argv[1] : "scroll";
    const DWORD seconds = argc > 2 ? DWORD(std::atoi(argv[2])) : 10;
    const bool desktop = x11::StartIfDisplay();
    if (std::strcmp(mode, "tearoff") == 0) {
        TearOff(seconds);
        if (desktop)
            x11::Stop();
        return 0;
    }
    // A window behind the popups, as the frame whose menu they would be.
    CWnd backdrop;
    backdrop.CreateEx(0, AfxRegisterWndClass(0, nullptr, HBRUSH(::GetStockObject(WHITE_BRUSH))), u"Dovemark",
                      WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{20, 0, 620, 1000}, nullptr, 0);
    SetGlobalTheme(0);
    GetGlobalPaintManager()->m_bPopupShadow = TRUE;
    CTKPCommandBars bars;
    CTKPPopupBar* popup = CTKPPopupBar::CreatePopupBar(&bars);
    CTKPPopupBar* sub = nullptr;
    if (std::strcmp(mode, "nested") == 0) {
        AddCommands(popup, 8, "Command");
        popup->PopupAt(60, 40);
        RECT rc;
        ::GetWindowRect(popup->m_hWnd, &rc);
        sub = CTKPPopupBar::CreatePopupBar(&bars);
        AddCommands(sub, 4, "Submenu");
        const RECT item = popup->GetControl(2)->GetRect();
        sub->PopupAt(rc.right - 3, rc.top + item.top);
    } else {
        AddCommands(popup, 60, "Command");
        popup->PopupAt(60, 40);
        PumpFor(300);
        for (int i = 0; i < 5; ++i)
            popup->ScrollDown();
    }
    std::printf("%s: shown for %u s\n", mode, unsigned(seconds));
    std::fflush(stdout);
    PumpFor(seconds * 1000);
    if (sub) {
        sub->SetTrackingMode(0);
        sub->InternalRelease();
    }
    popup->SetTrackingMode(0);
    popup->InternalRelease();
    backdrop.DestroyWindow();
    if (desktop)
        x11::Stop();
    return 0;
}
