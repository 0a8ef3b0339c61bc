// The image manager: icons by command id and pixel width, each icon in its several images
// (normal, hot, checked, disabled and the faded, shadow and disabled images made on demand).
#pragma once

#include "afx/cmd_target.h"
#include "toolkit/base/command_bar_model.h"

#include <map>
#include <vector>

class CArchive;
class COleDataObject;
class COleDataSource;
class CTKPImageIconSet;
class CTKPImageManager;
class CTKPPropExchange;
typedef WORD CLIPFORMAT;

// The largest width or height of a saved or pasted icon image.
#define TKP_MAX_ICON_EXTENT 1024

// Image states of CTKPImageManager::SetIcon.
#define TKP_IMAGESTATE_NORMAL 0
#define TKP_IMAGESTATE_DISABLED 1
#define TKP_IMAGESTATE_HOT 2
#define TKP_IMAGESTATE_CHECKED 3

// Holds an icon or a 32-bit alpha bitmap, owned or borrowed, and the pre-multiplied copy of it
// that alpha drawing uses. An empty handle is owned; a handle made over an icon or as a copy of
// another handle borrows; SetIcon, SetAlphaBitmap and CopyOwned take ownership.
class CTKPIconHandle {
public:
    CTKPIconHandle() = default;
    explicit CTKPIconHandle(HICON hIcon);
    explicit CTKPIconHandle(HBITMAP hAlphaBitmap);
    CTKPIconHandle(const CTKPIconHandle& other);
    CTKPIconHandle& operator=(const CTKPIconHandle& other);
    ~CTKPIconHandle();

    // Forgets the images without destroying them.
    void Clear();
    // Becomes a borrowing copy of the other handle's images.
    void CopyNotOwned(const CTKPIconHandle& other);
    // Becomes the owner of copies of the other handle's images.
    void CopyOwned(const CTKPIconHandle& other);
    void SetIcon(HICON hIcon);
    void SetAlphaBitmap(HBITMAP hBitmap);
    BOOL IsEmpty() const { return !m_hIcon && !m_hAlphaBitmap; }
    BOOL IsAlpha() const { return m_hAlphaBitmap != nullptr; }
    BOOL IsOwned() const { return m_bOwned; }
    void Release();
    SIZE GetExtent() const;
    BOOL LoadIconResource(UINT id, int width, int height = 0, BOOL group = TRUE);

    HICON GetIcon() const { return m_hIcon; }
    HBITMAP GetAlphaBitmap() const { return m_hAlphaBitmap; }
    // The pre-multiplied DIB copy of the image (made on first use; null when it cannot be made).
    HBITMAP PreMultiply();

private:
    HICON m_hIcon = nullptr;
    HBITMAP m_hAlphaBitmap = nullptr;
    HBITMAP m_hPreMultiplied = nullptr;
    BOOL m_bOwned = TRUE;
};

// A 32-bit bitmap resource as a top-down DIB section; null when it is not 32-bit or too short.
HBITMAP LoadAlphaBitmapResource(UINT id);
BOOL IsAlphaBitmapResource(UINT id);
// Whether a bitmap file holds 32 bits per pixel.
BOOL IsAlphaBitmapFile(LPCWSTR path);

// One icon of a command at one width.
class CTKPImageIcon : public CCmdTarget, public CTKPIconView {
public:
    CTKPImageIcon(UINT id, int width, int height, CTKPImageIconSet* iconSet);
    ~CTKPImageIcon() override;

    UINT GetID() const { return m_nID; }
    CTKPIconHandle& GetIcon() { return m_hIcon; }
    CTKPIconHandle& GetHotIcon();
    CTKPIconHandle& GetCheckedIcon();
    CTKPIconHandle& GetFadedIcon();
    CTKPIconHandle& GetShadowIcon();
    // The explicit disabled image, else the generated one (made now when `generate` is set).
    CTKPIconHandle& GetDisabledIcon(BOOL generate = TRUE);
    BOOL HasDisabledIcon() const { return !m_hDisabledIcon.IsEmpty() || !m_hGeneratedDisabledIcon.IsEmpty(); }

    // The normal image; its extent becomes the icon's size and the generated images go.
    void SetIcon(const CTKPIconHandle& handle);
    void SetHotIcon(const CTKPIconHandle& handle);
    void SetCheckedIcon(const CTKPIconHandle& handle);
    void SetDisabledIcon(const CTKPIconHandle& handle);
    // A disabled image graded between the two colours by the normal image's brightness.
    void CreateDisabledIcon(COLORREF light, COLORREF dark) override;
    void ClearGenerated();
    BOOL IsAlpha() const override;

    // One image at a point and size (0 width: the icon's; 0 height: kept in proportion).
    void DrawScaled(HDC hdc, POINT pt, CTKPIconHandle& handle, SIZE size);
    // A one-colour silhouette of a non-alpha image.
    void Draw(HDC hdc, POINT pt, CTKPIconHandle& handle, COLORREF color);
    void DrawMono(HDC hdc, POINT pt, CTKPIconHandle& handle, COLORREF color) { Draw(hdc, pt, handle, color); }

    // ---- What the paint managers read ----
    int GetWidth() const override { return m_nWidth; }
    int GetHeight() const override { return m_nHeight; }
    BOOL HasShadowImage() override;
    BOOL HasDisabledImage() const override { return HasDisabledIcon(); }
    void DrawImage(HDC hdc, POINT pt, SIZE size, Image image) override;
    void DrawSilhouette(HDC hdc, POINT pt, SIZE size, COLORREF color) override;

    CTKPImageManager* GetImageManager() const;
    // Width, version, then the normal, disabled, hot and checked images as bitmap blocks. Loading
    // throws an archive exception for a block that is not a sound 32-bit image of a bounded size.
    void Serialize(CArchive& ar) override;

    UINT m_nID;
    int m_nWidth;
    int m_nHeight;
    CTKPIconHandle m_hIcon;
    CTKPIconHandle m_hFadedIcon;
    CTKPIconHandle m_hShadowIcon;
    CTKPIconHandle m_hHotIcon;
    CTKPIconHandle m_hCheckedIcon;
    CTKPIconHandle m_hDisabledIcon;
    CTKPIconHandle m_hGeneratedDisabledIcon;
    BOOL m_bScaled = FALSE;
    CTKPImageIconSet* m_pIconSet;
};

// The icons of one command id, one per width.
class CTKPImageIconSet : public CCmdTarget {
public:
    CTKPImageIconSet(UINT id, CTKPImageManager* manager);
    ~CTKPImageIconSet() override;

    // The icon of that width; with `nearest`, else the closest width (scaled to the width unless
    // it is alpha or the width is 0).
    CTKPImageIcon* GetIcon(int width, BOOL nearest = TRUE);
    CTKPImageIcon* FindIcon(int width) const;
    // Sets the image of a state on the icon of that width, made when missing.
    void SetIcon(const CTKPIconHandle& handle, int width, int height, int state);
    void RefreshAll();
    void RemoveAll();
    int GetCount() const { return int(m_icons.size()); }
    UINT GetID() const { return m_nID; }
    CTKPImageManager* GetImageManager() const { return m_pImageManager; }

    std::map<int, CTKPImageIcon*> m_icons;

private:
    CTKPImageIcon* MakeScaledCopy(CTKPImageIcon* source, int width);

    UINT m_nID;
    CTKPImageManager* m_pImageManager;
};

class CTKPImageManager : public CCmdTarget {
public:
    CTKPImageManager();
    ~CTKPImageManager() override;

    CTKPImageIcon* GetImage(UINT id, int width = 16);
    CTKPImageIconSet* GetIconSet(UINT id) const;
    BOOL SetIconsFromResource(UINT toolBarId, int state = TKP_IMAGESTATE_NORMAL);
    BOOL SetIconsFromBitmap(UINT bitmapId, const UINT* ids, int count, int width = 0, int height = 0,
                            int state = TKP_IMAGESTATE_NORMAL);
    BOOL SetIconsFromImageList(HIMAGELIST imageList, const UINT* ids = nullptr, int count = 0, int width = 0,
                               int height = 0, int state = TKP_IMAGESTATE_NORMAL);
    // The manager keeps its own copy of the images; the caller's handle is released.
    BOOL SetIcon(CTKPIconHandle& handle, UINT id, int width = 0, int height = 0, int state = TKP_IMAGESTATE_NORMAL);
    UINT AddCustomIcon(CTKPIconHandle& handle);
    void RemoveAll();
    // Drops every scaled copy and every generated image (system colours changed).
    void RefreshAll();

    // The saved icons: every icon set as an "IconSet%d" section with its "Id", and in it the
    // "Icon%d" sections of the icons that are not scaled copies ("Width" and "Data").
    void DoPropExchange(CTKPPropExchange* px);
    void ExchangeIconSet(UINT id, CTKPPropExchange* px);
    void Serialize(CArchive& ar) override;
    // The clipboard format of an icon set ("Vezeri ToolBar Image").
    static CLIPFORMAT GetClipboardFormat();
    BOOL CopyIconSetToClipboard(UINT id, COleDataSource* source);
    // The icon set in the data under the next custom id; 0 when there is none or it is not sound.
    UINT PasteIconSet(const COleDataObject& data);

    BOOL IsAlphaIconsSupported() const { return m_pfnAlphaBlend != nullptr; }
    // Blends a pre-multiplied 32-bit bitmap; FALSE when the system has no alpha blending.
    BOOL AlphaBlend(HDC hdcDest, int x, int y, int cx, int cy, HDC hdcSrc, int xSrc, int ySrc, int cxSrc,
                    int cySrc) const;

    // -1: the colour of each bitmap's top-left pixel.
    COLORREF m_clrMask = COLORREF(-1);
    UINT m_nCustomID = 68266;
    BOOL m_bDrawReverted = FALSE;

private:
    std::map<UINT, CTKPImageIconSet*> m_iconSets;
    HMODULE m_hMsImg32 = nullptr;
    BOOL(WINAPI* m_pfnAlphaBlend)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION) = nullptr;
};

// Cuts an alpha bitmap into `count` images side by side; FALSE when its width is not a whole
// multiple of the image width or a bitmap cannot be made (nothing is left behind then).
BOOL SplitAlphaBitmap(HBITMAP hBitmap, int count, HBITMAP* out);

// The application's image manager, made on first use and destroyed at exit.
CTKPImageManager* GetGlobalImageManager();
