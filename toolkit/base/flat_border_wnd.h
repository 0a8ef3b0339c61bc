// Flat-bordered child windows: a static text and an edit field framed by one pixel of the toolkit's
// frame colour, in the command bars' font.
#pragma once

#include "afx/std_controls.h"

// The window procedure both share, in front of the base class's own; defaultProc runs the base.
LRESULT FlatBorderWindowProc(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam,
                             LRESULT (*defaultProc)(CWnd*, UINT, WPARAM, LPARAM));

class CTKPFlatStatic : public CStatic {
    DECLARE_DYNAMIC(CTKPFlatStatic)
public:
    CTKPFlatStatic() = default;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class CTKPFlatEdit : public CEdit {
    DECLARE_DYNAMIC(CTKPFlatEdit)
public:
    CTKPFlatEdit() = default;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
