// Hyperlinks of the HTML drawer: hit tests, hover notification, the link cursor and opening links.
#include "controls/html_drawer.h"

#include <cstring>

#include "afx/string.h"
#include "win32/shell.h"

using namespace html;

int CHtmlDrawer::FindLinkArea(POINT point) const {
    for (size_t i = 0; i < linkAreas_.size(); ++i) {
        const RECT& r = linkAreas_[i].rect;
        if (point.x >= r.left && point.x <= r.right && point.y >= r.top && point.y <= r.bottom) return (int)i;
    }
    return -1;
}

BOOL CHtmlDrawer::OnSetCursor(POINT point) {
    const int n = FindLinkArea(point);
    if (n < 0) {
        if (hoveredLink_ != -2) {
            hoveredLink_ = -2;
            NotifyHoverChanged(-2);
        }
        return FALSE;
    }
    const HtmlLinkArea& area = linkAreas_[n];
    if (area.linkIndex != hoveredLink_) {
        hoveredLink_ = area.linkIndex;
        // The owner may repaint (and so rebuild the areas) while handling the notification.
        NotifyHoverChanged(hoveredLink_);
    }
    if (n < (int)linkAreas_.size() && !linkAreas_[n].target.empty() && linkCursor_) {
        SetCursor(linkCursor_);
        return TRUE;
    }
    return FALSE;
}

void CHtmlDrawer::OnLButtonDown(POINT point) {
    const int n = FindLinkArea(point);
    if (n >= 0) JumpToLink(n);
}

void CHtmlDrawer::JumpToLink(int n) {
    if (n < 0 || n >= (int)linkAreas_.size()) return;
    // Copied: following the link may repaint and rebuild the areas.
    const HtmlLinkArea area = linkAreas_[n];
    if (area.target.empty()) return;
    if (area.kind == 1) GotoUrl(area.target.c_str(), SW_SHOW);
    else if (area.kind == 2) SendLinkMessage(area.target);
}

void CHtmlDrawer::NotifyHoverChanged(int link) {
    if (repaint_.window && repaint_.message) SendMessageW(repaint_.window, repaint_.message, (WPARAM)(INT_PTR)link, repaint_.lParam);
}

void CHtmlDrawer::SendLinkMessage(const HtmlString& text) {
    if (message_.window && message_.message)
        SendMessageW(message_.window, message_.message, (WPARAM)text.c_str(), message_.lParam);
}

void CHtmlDrawer::SetCallbackRepaint(HWND window, UINT message, LPARAM lParam) {
    repaint_ = HtmlCallback{window, window ? message : 0, 0, window ? lParam : 0};
}

void CHtmlDrawer::SetCallbackMessage(HWND window, UINT message, LPARAM lParam) {
    message_ = HtmlCallback{window, window ? message : 0, 0, window ? lParam : 0};
}

void CHtmlDrawer::ReleaseLinkCursor() {
    // The system hand cursor is shared by the whole program and must outlive every drawer.
    if (linkCursor_ && linkCursorOwned_) DestroyCursor(linkCursor_);
    linkCursor_ = nullptr;
    linkCursorOwned_ = false;
}

void CHtmlDrawer::SetDefaultCursor() {
    if (linkCursor_) return;
    // The layer always has the system hand cursor; it is shared, so the drawer never destroys it.
    linkCursor_ = LoadCursorW(nullptr, IDC_HAND);
    linkCursorOwned_ = false;
}

LONG CHtmlDrawer::GetRegKey(HKEY root, LPCWSTR subkey, HtmlString& out) {
    out.clear();
    HKEY key = nullptr;
    LONG result = RegOpenKeyExW(root, subkey, 0, KEY_QUERY_VALUE, &key);
    if (result != ERROR_SUCCESS) return result;
    WCHAR buffer[MAX_PATH] = {};
    DWORD bytes = sizeof(buffer) - sizeof(WCHAR);
    DWORD type = 0;
    if (RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ))
        out.assign(buffer, std::char_traits<char16_t>::length(buffer));
    RegCloseKey(key);
    return ERROR_SUCCESS;
}

INT_PTR CHtmlDrawer::GotoUrl(LPCWSTR url, int showCommand) {
    SetHyperlinkCursor(nullptr);
    const INT_PTR result = (INT_PTR)ShellExecuteW(nullptr, u"open", url, nullptr, nullptr, showCommand);
    if (result > 32) return result;
    const INT_PTR fallback = OpenWithWebPageCommand(url, showCommand);
    return fallback >= 0 ? fallback : result;
}

INT_PTR CHtmlDrawer::OpenWithWebPageCommand(LPCWSTR url, int showCommand) {
    HtmlString pageClass, command;
    if (GetRegKey(HKEY_CLASSES_ROOT, u".htm", pageClass) != ERROR_SUCCESS || pageClass.empty()) return -1;
    pageClass += u"\\shell\\open\\command";
    if (GetRegKey(HKEY_CLASSES_ROOT, pageClass.c_str(), command) != ERROR_SUCCESS || command.empty()) return -1;
    size_t cut = command.find(u"\"%1\"");
    if (cut == HtmlString::npos) cut = command.find(u"%1");
    if (cut != HtmlString::npos) command.resize(cut);
    command += u" ";
    command += url ? url : u"";
    // The command is built in a buffer of 520 characters: one that would not fit is not run.
    if (command.size() >= 520) return -1;
    CStringA narrow(command.c_str());
    return WinExec(narrow, (UINT)showCommand);
}

void CHtmlDrawer::SetHyperlinkCursor(HCURSOR cursor) {
    if (cursor && cursor == linkCursor_) return;
    ReleaseLinkCursor();
    if (!cursor) {
        SetDefaultCursor();
        return;
    }
    linkCursor_ = cursor;
    linkCursorOwned_ = true;
}
