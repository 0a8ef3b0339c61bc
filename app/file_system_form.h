// CFileSystemForm: the information pane of the volume choice page: the layout of the chosen volume.
#pragma once

#include "afx/afx.h"
#include "afx/frame.h"
#include "afx/std_controls.h"
#include "controls/xp_group_box.h"

class CFileSystemForm : public CView {
    DECLARE_DYNCREATE(CFileSystemForm)
public:
    CFileSystemForm();
    ~CFileSystemForm() override;

    // Empty layouts: the labels of a FAT or an NTFS volume, no values.
    void SetFatInfoText();
    void SetNtfsInfoText();
    // Values of the chosen volume (decimal texts as shown).
    void ShowFatVolumeInfo(const CString& start, const CString& sectorsPerCluster, const CString& size);
    void ShowNtfsVolumeInfo(const CString& start, const CString& sectorsPerCluster, const CString& mft,
                            const CString& mftMirror, const CString& size);
    void ClearInfo();
    // The hint line at the top of the pane.
    void SetHint(LPCWSTR text);
    // The text of the mode line, read at every paint.
    void SetModeTextSource(const CString* text) { m_pModeText = text; }

    CString GetLabel(int row) const;
    CString GetValue(int row) const;
    BOOL IsRowVisible(int row) const;

protected:
    void OnDraw(CDC* pDC) override;
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()

private:
    void SetLabels(const WCHAR* const labels[5]);

    CXPGroupBox m_group;
    CStatic m_labels[5];
    CStatic m_values[5];
    CStatic m_modeLine;
    CStatic m_hint;
    CBrush m_whiteBrush;
    CFont m_font;
    CFont m_bigFont;
    const CString* m_pModeText = nullptr;
};
