// CXPGroupBox: a group box painted with rounded corners, as a captioned frame or as a small window.
#pragma once

#include "afx/afx.h"
#include "afx/std_controls.h"

class CXPGroupBox : public CButton {
public:
    enum { FrameStyle = 0, WindowStyle = 1 };
    enum { AlignLeft = 0, AlignCenter = 1, AlignRight = 2 };

    CXPGroupBox();

    virtual CXPGroupBox& SetBorderColor(COLORREF colour);
    virtual CXPGroupBox& SetCaptionTextColor(COLORREF colour);
    virtual CXPGroupBox& SetBackgroundColor(COLORREF colour1, COLORREF colour2);
    virtual CXPGroupBox& SetBackgroundColor(COLORREF colour);
    virtual CXPGroupBox& SetBoxStyle(DWORD style);
    virtual CXPGroupBox& SetCaption(LPCWSTR text);
    virtual CXPGroupBox& SetFontBold(BOOL bold);
    virtual CXPGroupBox& SetFontName(LPCWSTR faceName, BYTE charSet = DEFAULT_CHARSET);
    virtual CXPGroupBox& SetFontUnderline(BOOL underline);
    virtual CXPGroupBox& SetFontItalic(BOOL italic);
    virtual CXPGroupBox& SetFontSize(int points);
    virtual CXPGroupBox& SetCaptionFont(const LOGFONTW& font);
    virtual CXPGroupBox& SetAlignment(DWORD alignment);

    const CString& GetCaption() const { return m_caption; }

    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;

protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Redraw();
    void RecreateFont();
    void Paint(HDC dc);

    CString m_caption;
    COLORREF m_borderColour;
    COLORREF m_backColour1;
    COLORREF m_backColour2;
    COLORREF m_captionTextColour = RGB(0, 0, 255);
    DWORD m_boxStyle = FrameStyle;
    DWORD m_alignment = AlignLeft;
    LOGFONTW m_fontDescription{};
    CFont m_captionFont;
};
