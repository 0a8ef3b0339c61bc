// CHtmlRenderer: ties a page (HtmlDocument) to its window, status bar, fetches, form controls and painting.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "preview/html/html_document.h"
#include "preview/html/html_image_pool.h"
#include "preview/html/html_scroll.h"
#include "preview/html/html_string_table.h"
#include "win32/win32.h"

class CHtmlRenderer : public IHtmlOwner {
public:
    CHtmlRenderer(HWND window, HWND host, HWND statusBar, HWND addressBox, HWND backButton);
    ~CHtmlRenderer() override;
    CHtmlRenderer(const CHtmlRenderer&) = delete;
    CHtmlRenderer& operator=(const CHtmlRenderer&) = delete;

    // IHtmlOwner.
    void MeasureText(HtmlView face, int size, bool bold, bool italic, HtmlView text, int& cx, int& cy) override;
    void OnProgress(int phase, int done, int total) override;
    void SetTitle(const HtmlText& text) override;
    int AddImage(const HtmlText& address, int tag) override { return m_images.AddImage(address, tag); }
    void GetImageSize(int index, int& cx, int& cy) override { m_images.GetSize(index, cx, cy); }
    int AddForm(const HtmlText& action, const HtmlText& method) override;
    uintptr_t CreateEditControl(bool limited, int limit, int width, int height, const HtmlText& text, bool multiLine,
                                const HtmlText& name, int form, bool password) override;
    uintptr_t CreatePushButton(int width, int height, const HtmlText& caption, const HtmlText& name,
                               int form) override;
    uintptr_t CreateRadioButton(int width, int height, const HtmlText& caption, const HtmlText& name,
                                int form) override;
    uintptr_t CreateCheckBox(int width, int height, const HtmlText& caption, const HtmlText& name, int form) override;
    uintptr_t CreateComboBox(int width, int height, const std::vector<HtmlOption>& options, int selected,
                             const HtmlText& name, int form) override;
    void PlaceControl(uintptr_t control, int x, int y) override;
    int GetDropDownWidth() override;

    // Navigation and fetching.
    BOOL Navigate(HtmlView address);
    // Shows page text that was read elsewhere (an archive's part), with its address as base.
    // The base address is the page's own unless given.
    void ShowPage(HtmlView address, HtmlView text, std::optional<HtmlView> base = std::nullopt);
    void OnLinkHover(BOOL over, HtmlView address);
    // The page text of a local file or an own resource; null (empty optional) for anything else.
    bool LoadDocument(HtmlView address, HtmlText& text);
    bool FetchBinary(HtmlView address, std::string& data);
    // Sending forms over the network is not available: always fails.
    bool PostForm(HtmlView address, HtmlView body, HtmlText& reply);
    void SubmitForm(int form);
    // Runs on the user-interface thread when a loader has posted its counts.
    void OnImagesLoaded(int finished, int total);
    void InvalidateDocRect(const RECT& rect);
    void DestroyFormControls();
    void LayoutPage();

    // Painting and hit testing.
    void DrawPage(HDC dc, const RECT& clip, int scrollX, int scrollY);
    void DrawItems(HDC dc, const RECT& clip, HtmlElements& items, int scrollX, int scrollY);
    BOOL HitTestLink(HtmlElements& items, int x, int y, BOOL click);
    void OnMouseMove(int x, int y);
    void OnClick(int x, int y);
    void SelectRect(const RECT& rect);
    void InvalidateImage(int image);
    void InvalidateLink(int link);
    void InvalidateLinkByUrl(HtmlView address);
    void GetInfo(int& items, int& images, int& links, int& level);

    LRESULT PaintRenderer(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void ShowStatus(HtmlView text);

    HWND m_hWnd, m_hHost, m_hStatus, m_hAddress, m_hBack;
    HtmlText m_strCurrent;
    HtmlText m_strIdle;
    CHtmlStringTable m_history;  // address, page text, vertical position
    std::unique_ptr<HtmlDocument> m_pDocument;
    ImagePool m_images;
    HBITMAP m_hBackBuffer = nullptr;
    int m_nAnchorX = 0, m_nAnchorY = 0, m_nCurrentX = 0, m_nCurrentY = 0;
    CHtmlStringTable m_controls;  // window, name, form, kind, caption
    CHtmlStringTable m_forms;     // action, method
    HtmlText m_strHoverLink;
    int m_nHoverLink = -1;
    int m_nNavigating = 0;
    int m_nFontSize = 15;
    HtmlText m_strFace = u"Arial";

private:
    HWND MakeControl(const char16_t* cls, DWORD style, DWORD exStyle, int width, int height, const HtmlText& text,
                     const HtmlText& name, int form, int kind, const HtmlText* caption);
    void RedrawLink(int link);
    void Visit(HtmlElements& items, const std::function<bool(HtmlElement&)>& f);
    HDC m_hMeasureDC = nullptr;
    // Fonts kept while the page lives: a page measures and draws word by word, and making the font
    // anew for each word costs far more than the word.
    HFONT CachedFont(HtmlView face, int size, bool bold, bool italic, bool underline, bool strikeOut);
    void FreeCachedFonts();
    std::map<std::tuple<std::u16string, int, bool, bool, bool, bool>, HFONT> m_fonts;
    HBRUSH m_hPageBrush = nullptr;
    std::vector<std::unique_ptr<HtmlText>> m_comboValues;
};

// The renderer dialog's procedure: every message goes to the renderer kept in the window's user data.
INT_PTR CALLBACK HtmlRendererDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
