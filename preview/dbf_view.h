// CDBF_View: the preview view of dBASE tables, a report list with one column per field and one row
// per record.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"
#include "afx/list_ctrl.h"

#include <string_view>

class CDBF_View : public CView {
    DECLARE_DYNCREATE(CDBF_View)
public:
    CDBF_View() = default;
    ~CDBF_View() override;
    void OnDraw(CDC* pDC) override {}

    enum { IDC_LIST = 186 };
    // The display text of a field's bytes by its type letter; numbers keep the field's own count of
    // decimals.
    static CString FieldText(char type, std::string_view bytes, int decimals = 0);

    CListCtrl* m_pList = nullptr;

protected:
    // Fills the list from the file; FALSE when the file is no table the view can show.
    BOOL ReadTable(const CString& path);
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};
