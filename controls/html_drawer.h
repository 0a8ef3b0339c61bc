// CHtmlDrawer: measures and draws a small HTML dialect with CSS-like styles into a device context.
#pragma once

#include <map>
#include <vector>

#include "controls/draw_manager.h"
#include "controls/html_parser.h"
#include "controls/html_tables.h"

class CHtmlDrawer {
public:
    CHtmlDrawer();
    virtual ~CHtmlDrawer();
    CHtmlDrawer(const CHtmlDrawer&) = delete;
    CHtmlDrawer& operator=(const CHtmlDrawer&) = delete;

    // ---- passes ----
    void PrepareOutput(HDC dc, LPCWSTR text, SIZE* size);
    void DrawPreparedOutput(HDC dc, const RECT* rect);

    // ---- links and cursor ----
    int FindLinkArea(POINT point) const;
    BOOL OnSetCursor(POINT point);
    void OnLButtonDown(POINT point);
    void JumpToLink(int area);
    INT_PTR GotoUrl(LPCWSTR url, int showCommand);
    static LONG GetRegKey(HKEY root, LPCWSTR subkey, HtmlString& out);
    // The registered web-page open command (HKEY_CLASSES_ROOT ".htm"), cut before its "%1", with the
    // address appended, run through WinExec; -1 when no command is registered or it would not fit.
    static INT_PTR OpenWithWebPageCommand(LPCWSTR url, int showCommand);
    void SetDefaultCursor();
    void SetHyperlinkCursor(HCURSOR cursor);
    void SetCallbackRepaint(HWND window, UINT message, LPARAM lParam);
    void SetCallbackMessage(HWND window, UINT message, LPARAM lParam);

    // ---- settings ----
    void EnableColors(BOOL enable) { colorsOn_ = enable; }
    void SetFixedColor(COLORREF color) { fixedColor_ = color; }
    void EnableEscapeSequences(BOOL enable) { escapeSequences_ = enable; }
    void SetMaxWidth(int width) { maxWidth_ = width < 0 ? 0 : width; }
    void SetResourceDll(HMODULE module);
    // The images of "ilst" tags that name no source. The drawer owns the list from here on and
    // destroys it when replaced or when the drawer goes.
    void SetImageList(HIMAGELIST list);
    CDrawManager& GetDrawManager() { return drawManager_; }
    void SetStyleSheet(LPCWSTR text) { sheet_.SetStyleSheet(text); }
    void AddStyle(LPCWSTR selector, LPCWSTR declarations) { sheet_.AddStyle(selector, declarations); }
    void SetImageShadow(int dx, int dy, BYTE darkness, BOOL blurred, int blurWidth, int blurHeight);

    // ---- loaders (loaded images belong to the caller) ----
    HICON LoadIconFromResource(int id, int cx, int cy);
    HICON LoadIconFromFile(LPCWSTR path, int cx, int cy);
    HICON LoadIconFromDll(int id, int cx, int cy, LPCWSTR modulePath);
    HBITMAP LoadBitmapFromResource(int id);
    HBITMAP LoadBitmapFromFile(LPCWSTR path);
    HBITMAP LoadBitmapFromDll(int id, LPCWSTR modulePath);
    HtmlString GetResString(int id);

    // ---- tables ----
    int GetTagId(const HtmlString& name, HtmlString& styleName, bool& closing) const;
    COLORREF GetColorByName(const HtmlString& name, COLORREF def) const;
    void AddEntity(const HtmlString& name, const HtmlString& value) { entities_[name] = value; }
    void AddTag(const HtmlString& name, int id, const HtmlString& styleName) { tags_[name] = {id, styleName}; }
    void AddColor(const HtmlString& name, COLORREF color) { colorNames_[name] = color; }

    // ---- what the last passes left, for the owner and for tests ----
    const HtmlString& PreparedText() const { return text_; }
    const std::vector<HtmlLine>& Lines() const { return lines_; }
    const std::vector<HtmlTable>& Tables() const { return tables_; }
    const std::vector<HtmlLinkArea>& LinkAreas() const { return linkAreas_; }
    const std::vector<HtmlAnimation>& Animations() const { return animations_; }
    int HoveredLink() const { return hoveredLink_; }

private:
    // State of one run of DrawHtmlString.
    struct Run {
        RECT rect{};
        int W = 0;          // width of the run's rectangle
        int wrapWidth = 0;  // 0: no wrapping
        int x = 0, y = 0;
        int lineStart = 0;
        int lineUsed = 0;   // pixels the measure pass counts on the current line
        int widest = 0;
        int remainingWidth = 0, remainingBreaks = 0;
        COLORREF oneColour = 0;
    };

    void DrawHtml(SIZE* size, const RECT& rect);
    SIZE DrawHtmlString(const RECT& rect, const HtmlString& run);
    SIZE DrawHtmlTable(const RECT& rect, const HtmlString& table);
    void DrawHtmlTableRow(const RECT& inner, int tableIndex, int spacing, const HtmlString& row, int r);
    void DrawHtmlTableCell(const RECT& rect, const HtmlString& cell, int tableIndex, int r, int c);

    void HandleText(Run& run, HtmlString text);
    void HandleTag(Run& run, const HtmlString& name, const HtmlString& attrs);
    void HandleRule(Run& run, const HtmlString& attrs);
    void HandleImage(Run& run, int id, const HtmlString& attrs);
    void HandleImageList(Run& run, const HtmlString& attrs);
    void HandleString(Run& run, const HtmlString& attrs);
    void PlaceImage(Run& run, int width, int height, const HtmlImage& image, const std::function<void(int, int, DWORD)>& draw);

    int BeginLine(Run& run, int x);
    void NewLine(Run& run, int count);
    void NextTabStop(Run& run, int count);
    int AlignTextVertically(int y, int height);
    int AlignObjectVertically(int y, int height);
    void SelectFont();
    void ApplyStyleByName(const HtmlString& selector, HtmlStyle& style);
    bool StoreRestoreStyle(bool closing);
    void StoreLinkArea(int left, int top, int right, int bottom);
    void TileBackgroundImage(HDC dc, int x, int y, int width, int height, const HtmlString& spec);
    void NotifyHoverChanged(int link);
    void SendLinkMessage(const HtmlString& text);
    void ReleaseLinkCursor();

    const HtmlParseContext& Context();
    SIZE Extent(const char16_t* text, size_t length) const;
    int ImageFlags(const HtmlImage& image) const;

    std::vector<HtmlTable> tables_;
    int tableIndex_ = -1;
    HtmlCallback repaint_;
    HtmlCallback message_;
    HtmlStyle style_;
    HtmlLine line_;
    CDrawManager drawManager_;
    HIMAGELIST imageList_ = nullptr;
    int imageListCx_ = 0, imageListCy_ = 0;
    HMODULE resourceModule_ = nullptr;
    BOOL resourceModuleOwned_ = FALSE;
    HCURSOR linkCursor_ = nullptr;
    bool linkCursorOwned_ = false;  // shared system cursors are never destroyed
    HGDIOBJ savedFont_ = nullptr;
    int savedBkMode_ = 0;
    COLORREF savedTextColor_ = 0, savedBkColor_ = 0;
    BOOL colorsOn_ = TRUE;
    COLORREF fixedColor_ = 0;
    RECT rect_{};
    HDC dc_ = nullptr;
    HtmlString text_;
    int mode_ = 1;  // 1 measure, 0 draw
    int tabSize_ = 32;
    int maxWidth_ = 0;
    int lineIndex_ = 0;
    int hoveredLink_ = -2;
    int linkCounter_ = -1;
    int animationCounter_ = -1;
    BOOL escapeSequences_ = TRUE;
    BOOL shadowBlurred_ = TRUE;
    int shadowDx_ = 4, shadowDy_ = 4, blurWidth_ = 7, blurHeight_ = 7, darkness_ = 50;
    COLORREF shadowColor_ = 0x808080;
    TEXTMETRICW tm_{};
    LOGFONTW logFont_{};
    HFONT font_ = nullptr;
    html::HtmlStyleSheet sheet_;
    std::vector<HtmlLine> lines_;
    std::vector<HtmlStyle> styleStack_;
    std::vector<HtmlLinkArea> linkAreas_;
    std::vector<HtmlAnimation> animations_;
    HtmlColorMap colorNames_;
    std::map<HtmlString, HtmlString> entities_;
    std::map<HtmlString, HtmlTagInfo> tags_;

    int cellDepth_ = 0;  // table cells lay out without wrapping
    HtmlParseContext context_;
};
