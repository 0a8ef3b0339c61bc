// HtmlMessageBox: the program's message box, whose message, header and details are HTML texts.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "controls/html_drawer.h"

// A text field holds a string or, with its high bits zero, a string resource id (MAKEINTRESOURCEW).
struct MessageBoxArea {
    ULONG_PTR edge;        // 0 none, 1 etched, 2 black line, 3 white line
    ULONG_PTR titleAlign;  // 0 left, 1 right, 2 centred
    LPCWSTR title;
    LONG_PTR effect;       // fill-effect code; -1 plain COLOR_BTNFACE
    ULONG_PTR color1, color2, color3;
};

using MessageBoxCaptionMap = std::map<int, LPCWSTR>;

// Fifty fields in the order of the box's parameter words; every field is pointer-sized so that
// texts, maps and handles travel whole on any build.
struct MessageBoxParams {
    HWND owner;
    HMODULE stringModule;
    HMODULE iconModule;
    LPCWSTR caption;
    LPCWSTR valuePrefix;
    LPCWSTR companyKey;
    ULONG_PTR valueNumber;
    ULONG_PTR reportMessage;
    MessageBoxArea areaA;
    ULONG_PTR headerHeight;
    LPCWSTR headerText;
    MessageBoxArea areaB;
    LPCWSTR messageText;
    ULONG_PTR buttonAlign;  // 0 left, 1 right, 2 centred
    ULONG_PTR style;
    MessageBoxArea areaC;
    LPCWSTR detailsText;
    MessageBoxArea areaD;
    ULONG_PTR autoCloseTime;
    ULONG_PTR disableTime;
    ULONG_PTR captionCountdown;
    ULONG_PTR helpContext;
    ULONG_PTR userIconId;
    LPCWSTR customButtons;
    LPCWSTR checkBoxCaption;
    const MessageBoxCaptionMap* captionMap;
};
static_assert(sizeof(MessageBoxParams) == 50 * sizeof(void*), "the box's parameters are fifty words");

// Style bits of the box's own.
#define MB_HTML_HELP 0x00004000L
#define MB_HTML_RIGHT 0x00080000L
#define MB_HTML_DONOTASK 0x01000000L
#define MB_HTML_CHECKED 0x02000000L
#define MB_HTML_CHECKBELOW 0x04000000L
#define MB_HTML_YESTOALL 0x08000000L
#define MB_HTML_NOTOALL 0x10000000L
#define MB_HTML_NORESOURCE 0x20000000L
#define MB_HTML_NOSOUND 0x40000000L
#define MB_HTML_CONTINUEABORT 7
#define MB_HTML_SKIPSKIPALLCANCEL 8
#define MB_HTML_IGNOREIGNOREALLCANCEL 9

// Button ids beyond the system's.
#define IDHTML_HELP 9
#define IDHTML_TRYAGAIN 10
#define IDHTML_CONTINUE 11
#define IDHTML_SKIP 14
#define IDHTML_SKIPALL 15
#define IDHTML_IGNOREALL 16
#define IDHTML_YESTOALL 19
#define IDHTML_NOTOALL 20
#define IDHTML_REPORT 21
#define IDHTML_CUSTOM1 23
#define IDHTML_LESS 30
#define IDHTML_MORE 31

// The private message by which the drawers ask the box to repaint its texts.
#define WM_HTML_REPAINT 0x8064

void InitMessageBoxArea(MessageBoxArea* area);
int HtmlMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style, const MessageBoxParams* params = nullptr);
int HtmlMessageBoxIndirect(const MessageBoxParams* params);

class CHtmlMessageBox {
public:
    explicit CHtmlMessageBox(const MessageBoxParams& params);
    virtual ~CHtmlMessageBox();

    HtmlString LoadTextParam(LPCWSTR value) const;
    HtmlString GetButtonText(int id, LPCWSTR defaultCaption = nullptr) const;
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // The message a shown box says, as the HTML it draws; empty for a window that is no such box. The text is
    // drawn, not held by a control, so what reads the screen's texts asks the box.
    static HtmlString MessageOf(HWND box);

    // The remembered answer of the box's value, 0 when there is none.
    static DWORD ReadRememberedAnswer(const MessageBoxParams& params);
    static void WriteRememberedAnswer(const MessageBoxParams& params, DWORD value);

private:
    struct Button {
        int id;
        HWND window;
    };

    BOOL OnInitDialog();
    void CreateControlsAndMeasure(SIZE* windowSize);
    void OnCommand(int id);
    void OnTimer();
    void Paint(HDC target, bool textsOnly);
    void DrawAreaEdge(HDC dc, const RECT& strip, const MessageBoxArea& area);
    bool Closable() const;
    int DefaultId() const;
    HWND DefaultButton() const;
    HtmlString CountdownCaption() const;
    void SetButtonCaption(HWND button, const HtmlString& text);

    HWND hwnd_ = nullptr;
    std::vector<Button> buttons_;
    BOOL checkBox_ = FALSE;
    HWND checkBoxWindow_ = nullptr;
    BOOL checkBoxPresent_ = FALSE;
    HWND checkBoxLabel_ = nullptr;
    int titleInset_ = 5, textMarginX_ = 14, textMarginY_ = 14, buttonWidth_ = 0, buttonHeight_ = 0;
    int checkBoxLeft_ = 10, checkBoxSize_ = 13, buttonGap_ = 11, stripMargin_ = 11;
    HICON icon_ = nullptr;
    bool iconOwned_ = false;  // system icons are shared and never destroyed
    MessageBoxParams params_;
    HFONT font_ = nullptr;
    int defaultIndex_ = 0;
    int headerHeight_ = 0, textHeight_ = 0, stripHeight_ = 0, detailsHeight_ = 0;
    BOOL closable_ = TRUE;
    BOOL detailsOpen_ = FALSE;
    bool waiting_ = false;
    int remaining_ = 0;
    HtmlString countdownFormat_, messageHtml_, caption_, headerHtml_, titleB_, titleC_, titleD_, lessCaption_,
        moreCaption_, defaultCaption_;
    CHtmlDrawer header_, message_, details_;
    HBITMAP background_ = nullptr;
    SIZE backgroundSize_{};
};
