// HtmlDocument and HtmlElement: a page of the own HTML renderer as a tree of text runs, images, breaks and boxes.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "preview/html/html_text.h"

enum HtmlElementKind { kHtmlText = 0, kHtmlImage = 1, kHtmlBreak = 2, kHtmlBox = 3 };
enum HtmlBlockKind { kBlockPlain = 0, kBlockTable = 1, kBlockCell = 2 };

// Font names are limited to 32 characters with the terminator.
constexpr size_t kMaxFaceLength = 31;
// Block nesting deeper than this is flattened into breaks: every walk over the tree is recursive.
constexpr int kMaxNestingDepth = 64;
// A page names at most this many images and form controls; further ones are plain placeholders/text.
constexpr int kMaxImagesPerPage = 500;
constexpr int kMaxControlsPerPage = 1000;
// Page-controlled sizes are clamped before use.
constexpr int kMaxLength = 16384;
constexpr int kMaxFieldChars = 1024;
constexpr int kMaxTextAreaCells = 1000;
constexpr int kMaxSpan = 1000;
constexpr int kMinFontSize = 1, kMaxFontSize = 500;
constexpr int kPlaceholderWidth = 60, kPlaceholderHeight = 40;

struct HtmlElement {
    int kind = -1;
    int width = 0, height = 0, x = 0, y = 0;
    int frameSides = 0, frameWidth = 0;
    int32_t frameColor = 0;
    HtmlText face;
    int fontSize = 0, bold = 0, italic = 0;
    // The size the text is drawn at, when it differs from the size it was measured at (superscript).
    int drawSize = 0;
    uint32_t textColor = 0;
    int32_t backColor = -1;
    int align = 0;  // 0 left, 1 right, 2 centre, 3 justify
    HtmlText text;
    int imageIndex = -1, backImageIndex = -1;
    // Box fields.
    int blockKind = kBlockPlain;
    int row = 0, column = 0, colSpan = 1, rowSpan = 1, padding = 0, spacing = 0, border = 0;
    uint32_t borderColor = 0;
    int widthWish = 0, heightWish = 0;  // negative: a percentage
    int valign = 0, noWrap = 0;
    int linkIndex = -1;
    int layout[4] = {-1, -1, -1, -1};
    int fixedPitch = 0;
    uintptr_t control = 0;
    int rule = 0, clear = 0;
    int selected = 0, hidden = -1;
    std::vector<std::unique_ptr<HtmlElement>> children;

    bool IsBlank() const { return kind == kHtmlText && text == u" "; }
};
using HtmlElements = std::vector<std::unique_ptr<HtmlElement>>;

struct HtmlOption {
    HtmlText text, value;
};

// What the document needs of its renderer; the defaults make a document that measures and
// creates nothing (the fuzzer, headless layout tests).
class IHtmlOwner {
public:
    virtual ~IHtmlOwner() = default;
    virtual void MeasureText(HtmlView face, int size, bool bold, bool italic, HtmlView text, int& cx, int& cy) = 0;
    virtual void OnProgress(int /*phase*/, int /*done*/, int /*total*/) {}
    virtual void SetTitle(const HtmlText& /*text*/) {}
    // The image pool index for an address and tag (one request per pair), or -1.
    virtual int AddImage(const HtmlText& /*address*/, int /*tag*/) { return -1; }
    // The decoded size of an image; never waits for a download (the placeholder size until then).
    virtual void GetImageSize(int /*index*/, int& cx, int& cy)
    {
        cx = kPlaceholderWidth;
        cy = kPlaceholderHeight;
    }
    virtual int AddForm(const HtmlText& /*action*/, const HtmlText& /*method*/) { return -1; }
    virtual uintptr_t CreateEditControl(bool /*limited*/, int /*limit*/, int /*width*/, int /*height*/, const HtmlText& /*text*/,
                                        bool /*multiLine*/, const HtmlText& /*name*/, int /*form*/, bool /*password*/)
    {
        return 0;
    }
    virtual uintptr_t CreatePushButton(int /*width*/, int /*height*/, const HtmlText& /*caption*/, const HtmlText& /*name*/,
                                       int /*form*/)
    {
        return 0;
    }
    virtual uintptr_t CreateRadioButton(int /*width*/, int /*height*/, const HtmlText& /*caption*/, const HtmlText& /*name*/,
                                        int /*form*/)
    {
        return 0;
    }
    virtual uintptr_t CreateCheckBox(int /*width*/, int /*height*/, const HtmlText& /*caption*/, const HtmlText& /*name*/,
                                     int /*form*/)
    {
        return 0;
    }
    virtual uintptr_t CreateComboBox(int /*width*/, int /*height*/, const std::vector<HtmlOption>& /*options*/, int /*selected*/,
                                     const HtmlText& /*name*/, int /*form*/)
    {
        return 0;
    }
    virtual void PlaceControl(uintptr_t /*control*/, int /*x*/, int /*y*/) {}
    // Width of a drop-down arrow (the system's horizontal scroll arrow).
    virtual int GetDropDownWidth() { return 16; }
};

class HtmlDocument {
public:
    explicit HtmlDocument(IHtmlOwner* owner) : m_pOwner(owner) {}

    // Prepares the page text and builds its elements; a page already shown is replaced.
    void LoadHtml(HtmlView text, HtmlView face, int size, int flag, HtmlView baseAddress);
    // Places every element for an available width; returns the page's width and height.
    std::pair<int, int> Layout(int availableWidth);

    int m_nItems = 0, m_nLevel = 0;
    HtmlElements m_elements;
    IHtmlOwner* m_pOwner;
    std::vector<HtmlText> m_links;
    uint32_t m_background = 0xFFFFFF;
    int m_nBackgroundImage = -1;
    int m_nLoading = 0;
    int m_nImages = 0, m_nControls = 0;
    HtmlText m_title;
};

// Builds the elements of prepared page text (the builder of LoadHtml, open for tests).
void ParseHtml(HtmlDocument& document, HtmlView text, HtmlElements& out, HtmlView face, int size, uint32_t color,
               HtmlView baseAddress, int level, int flags, bool fixedPitch);
