// CCheckListBox: an owner-drawn list box whose items carry a check box, ticked by a click on the
// box or by the space bar; the parent hears of each change as CLBN_CHKCHANGE.
#pragma once

#include "afx/std_controls.h"

#include <vector>

#ifndef CLBN_CHKCHANGE
#define CLBN_CHKCHANGE 40
#endif

class CCheckListBox : public CListBox {
    DECLARE_DYNAMIC(CCheckListBox)
public:
    CCheckListBox() = default;
    // Owner drawing with strings is added to the style.
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // BS_CHECKBOX, BS_AUTOCHECKBOX, BS_3STATE or BS_AUTO3STATE; the automatic kinds change on clicks.
    void SetCheckStyle(UINT nStyle) { m_nStyle = nStyle; }
    UINT GetCheckStyle() const { return m_nStyle; }
    void SetCheck(int nIndex, int nCheck);
    // 0 for an index that is not an item.
    int GetCheck(int nIndex) const;
    void Enable(int nIndex, BOOL bEnabled = TRUE);
    BOOL IsEnabled(int nIndex) const;
    // The box's rectangle in an item's rectangle.
    CRect OnGetCheckPosition(CRect rectItem) const;

    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct ItemState {
        int nCheck = 0;
        BOOL bEnabled = TRUE;
    };
    // The next check state a click or the space bar gives an item.
    void Toggle(int nIndex);

    UINT m_nStyle = BS_AUTOCHECKBOX;
    std::vector<ItemState> m_items;
};
