// The HTML drawer's links, cursor, images and string resources while the window manager and the
// resource loader of the layer are not in this build: every image and string resource is missing
// (nothing is drawn and nothing moves, as for an image that does not load), there is no link
// cursor, and links are hit-tested but not followed.
#include "controls/html_drawer.h"

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
        hoveredLink_ = -2;
        return FALSE;
    }
    hoveredLink_ = linkAreas_[n].linkIndex;
    return FALSE;
}

void CHtmlDrawer::OnLButtonDown(POINT) {}
void CHtmlDrawer::JumpToLink(int) {}
void CHtmlDrawer::SetCallbackRepaint(HWND window, UINT message, LPARAM lParam) {
    repaint_ = HtmlCallback{window, window ? message : 0, 0, window ? lParam : 0};
}
void CHtmlDrawer::SetCallbackMessage(HWND window, UINT message, LPARAM lParam) {
    message_ = HtmlCallback{window, window ? message : 0, 0, window ? lParam : 0};
}
void CHtmlDrawer::SetDefaultCursor() {}
void CHtmlDrawer::ReleaseLinkCursor() {}
void CHtmlDrawer::ReleaseImageList() {}
void CHtmlDrawer::HandleImage(Run&, int, const HtmlString&) {}
void CHtmlDrawer::HandleImageList(Run&, const HtmlString&) {}
void CHtmlDrawer::HandleString(Run&, const HtmlString&) {}
void CHtmlDrawer::TileBackgroundImage(HDC, int, int, int, int, const HtmlString&) {}
