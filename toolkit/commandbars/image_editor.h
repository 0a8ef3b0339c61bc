// The button image editor: one button picture enlarged on a grid, six drawing tools, a palette,
// undo and redo, moves by one pixel, the clipboard, import from a file and a preview.
#pragma once

#include "afx/bar_ctrls.h"
#include "afx/dialog.h"
#include "afx/std_controls.h"
#include "toolkit/commandbars/image_manager.h"

#include <deque>
#include <memory>

#define TKP_IDD_IMAGE_EDITOR 9351
// Marks a transparent pixel everywhere in the editor.
#define TKP_EDITOR_TRANSPARENT RGB(255, 254, 255)

// The editor's tools and commands.
#define TKP_ID_EDITOR_MOVELEFT 9354
#define TKP_ID_EDITOR_MOVEDOWN 9355
#define TKP_ID_EDITOR_MOVEUP 9356
#define TKP_ID_EDITOR_MOVERIGHT 9357
#define TKP_ID_EDITOR_PENCIL 9363
#define TKP_ID_EDITOR_FILL 9364
#define TKP_ID_EDITOR_PICKCOLOR 9365
#define TKP_ID_EDITOR_LINE 9366
#define TKP_ID_EDITOR_RECTANGLE 9367
#define TKP_ID_EDITOR_ELLIPSE 9368
#define TKP_ID_EDITOR_COPY 9369
#define TKP_ID_EDITOR_PASTE 9370
#define TKP_ID_EDITOR_CLEAR 9371
#define TKP_ID_EDITOR_UNDO 9372
#define TKP_ID_EDITOR_REDO 9373
#define TKP_ID_EDITOR_IMPORT 9374
#define TKP_ID_EDITOR_TRANSPARENTPICKER 9359
#define TKP_ID_EDITOR_FREEPICKER 9360
#define TKP_ID_EDITOR_PICTURE 9361
#define TKP_ID_EDITOR_PREVIEW 9362

enum { TKP_TOOL_PENCIL, TKP_TOOL_FILL, TKP_TOOL_PICKCOLOR, TKP_TOOL_LINE, TKP_TOOL_RECTANGLE, TKP_TOOL_ELLIPSE };

class CTKPButtonImageEditor;

// A picture of the editor: a top-down 32-bit DIB section, and whether it carries per-pixel alpha.
class CTKPEditorImage {
public:
    // Filled with the transparent colour.
    CTKPEditorImage(int width, int height, BOOL alpha = FALSE);
    ~CTKPEditorImage();
    CTKPEditorImage(const CTKPEditorImage&) = delete;
    CTKPEditorImage& operator=(const CTKPEditorImage&) = delete;
    std::unique_ptr<CTKPEditorImage> Clone() const;

    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    BOOL IsAlpha() const { return m_bAlpha; }
    void SetAlpha(BOOL alpha) { m_bAlpha = alpha; }
    HBITMAP GetBitmap() const { return m_hBitmap; }
    // The colour of a pixel (the transparent colour outside the picture), and its alpha.
    COLORREF GetPixel(int x, int y) const;
    BYTE GetAlphaAt(int x, int y) const;
    void SetPixel(int x, int y, COLORREF color, BYTE alpha = 0);
    DWORD* Bits() const { return m_pBits; }
    // Every pixel that differs from the other picture and is not transparent becomes opaque.
    void RestoreAlpha(const CTKPEditorImage* previous);

private:
    int m_nWidth;
    int m_nHeight;
    BOOL m_bAlpha;
    HBITMAP m_hBitmap = nullptr;
    DWORD* m_pBits = nullptr;
};

// One colour cell of the palette, the transparent cell or the free colour.
class CTKPImageEditorPicker : public CStatic {
    DECLARE_DYNAMIC(CTKPImageEditorPicker)
public:
    CTKPButtonImageEditor* m_pEditor = nullptr;
    COLORREF m_clr = 0;
    BOOL m_bSelected = FALSE;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The enlarged picture, its drawing and its undo and redo lists.
class CTKPImageEditorPicture : public CStatic {
public:
    explicit CTKPImageEditorPicture(CTKPButtonImageEditor* editor);
    ~CTKPImageEditorPicture() override;

    // The picture's size and first content (none: an empty picture).
    void SetPicture(int width, int height, std::unique_ptr<CTKPEditorImage> image);
    // Sizes the window to whole cells of the picture.
    void SetupWindow();

    // A press, a move and a release of the left button at a picture point with the current tool.
    void ToolDown(POINT pt);
    void ToolMove(POINT pt);
    void ToolUp();
    // The capture lost: the stroke ends and is committed.
    void EndTracking();
    void Commit();
    void Undo();
    void Redo();
    BOOL CanUndo() const { return !m_undo.empty(); }
    BOOL CanRedo() const { return !m_redo.empty(); }
    int GetUndoCount() const { return int(m_undo.size()); }
    void MoveBy(int dx, int dy);
    void Clear();
    BOOL CopyToClipboard();
    BOOL PasteFromClipboard();
    // A picture file drawn at the picture size; FALSE (nothing changed) when it cannot be read.
    BOOL ImportFile(const CString& path);
    // The picture now shown (an empty one when there is none).
    const CTKPEditorImage* GetCurrent() const { return m_pCurrent.get(); }
    // Takes the picture as the new one, keeping the old one for undo.
    void Replace(std::unique_ptr<CTKPEditorImage> image);
    POINT PictureFromWindow(POINT client) const;
    int GetPictureWidth() const { return m_nPictureWidth; }
    int GetPictureHeight() const { return m_nPictureHeight; }
    void UpdateCursor();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC hdc);
    // Draws the shape of the tool from the drag start to the point onto a fresh copy of Previous.
    void DrawShape(POINT pt);
    std::unique_ptr<CTKPEditorImage> Blank() const;

private:
    CTKPButtonImageEditor* m_pEditor;
    int m_nPictureWidth = 16;
    int m_nPictureHeight = 16;
    int m_nCellWidth = 1;
    int m_nCellHeight = 1;
    std::unique_ptr<CTKPEditorImage> m_pPrevious;
    std::unique_ptr<CTKPEditorImage> m_pCurrent;
    std::deque<std::unique_ptr<CTKPEditorImage>> m_undo;
    std::deque<std::unique_ptr<CTKPEditorImage>> m_redo;
    POINT m_ptDragStart{0, 0};
    BOOL m_bTracking = FALSE;
    COLORREF m_clrDraw = 0;
    HCURSOR m_hCursorDefault = nullptr;
    HCURSOR m_hCursorFill = nullptr;
    HCURSOR m_hCursorPencil = nullptr;
    HCURSOR m_hCursorPick = nullptr;
};

// The picture at its own size on the button face.
class CTKPImageEditorPreview : public CWnd {
public:
    explicit CTKPImageEditorPreview(CTKPButtonImageEditor* editor) : m_pEditor(editor) {}

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    CTKPButtonImageEditor* m_pEditor;
};

class CTKPButtonImageEditor : public CDialog {
public:
    explicit CTKPButtonImageEditor(CWnd* parent = nullptr);
    ~CTKPButtonImageEditor() override;

    // The picture takes the icon's size and content.
    void SetImage(const CTKPIconHandle& icon);
    // An empty picture of that size.
    void SetPictureSize(int width, int height);
    INT_PTR DoModal() override;
    // The edited picture as an icon; FALSE when there is none.
    BOOL GetResultIcon(CTKPIconHandle& icon) const;

    // Tools (an id of 9363-9368) and colours.
    void SetTool(UINT id);
    int GetTool() const { return m_nTool; }
    COLORREF GetDrawColor() const;
    void SelectPicker(CTKPImageEditorPicker* picker);
    // The pick-colour tool found a colour: the free colour takes it and the tool before comes back.
    void OnColorPicked(COLORREF color);
    void OnPictureChanged();
    void UpdateToolBars();

    CTKPImageEditorPicture m_wndPicture;
    CTKPImageEditorPreview m_wndPreview;
    CTKPImageEditorPicker m_wndPalette[16];
    CTKPImageEditorPicker m_wndFreeColor;
    CTKPImageEditorPicker m_wndTransparent;
    CToolBarCtrl m_wndTools;
    CToolBarCtrl m_wndMoves;
    int m_nPictureWidth = 16;
    int m_nPictureHeight = 16;

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void OnImport();

private:
    BOOL CreateToolBar(CToolBarCtrl& bar, UINT placeholder, const UINT* ids, const int* images, int count);

    CImageList m_ilTools;
    CImageList m_ilMoves;
    CTKPImageEditorPicker* m_pSelected = nullptr;
    int m_nTool = TKP_TOOL_PENCIL;
    int m_nPreviousTool = TKP_TOOL_PENCIL;
};
