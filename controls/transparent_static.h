// CTransparentStatic: a static text drawn over its parent's background.
#pragma once

#include "afx/afx.h"
#include "afx/std_controls.h"

class CTransparentStatic : public CStatic {
public:
    CTransparentStatic() = default;
    ~CTransparentStatic() override = default;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};
