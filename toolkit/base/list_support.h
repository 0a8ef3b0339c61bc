// The enhancements the toolkit's report lists share: sort column, saved column widths, auto-sizing,
// row colours, a tinted sort column, a sizing lock, a sub-item hit test and row copy/move.
#pragma once

#include "afx/collections.h"
#include "afx/list_ctrl.h"
#include "afx/string.h"
#include "toolkit/base/header_ctrl.h"

#include <unordered_map>

// The colours of one row; archived as item, background, text (12 bytes).
struct ROWCOLOR {
    int iItem;
    COLORREF crBack;
    COLORREF crText;
};

class CTKListSupport {
public:
    CTKListSupport();
    virtual ~CTKListSupport();
    CTKListSupport(const CTKListSupport&) = delete;
    CTKListSupport& operator=(const CTKListSupport&) = delete;

    // The previous sort column.
    virtual int SetSortImage(int column, BOOL ascending);
    virtual int GetStoredColumnWidth(int column);
    virtual void RestoreColumnWidth(int column);
    virtual void LoadColumnWidths();
    virtual void SaveColumnWidths();
    // -1 sizes every column.
    virtual void AutoSizeColumn(int column = -1);
    // Null names give section "Settings" and entry "Column Info"; the widths are loaded at once.
    virtual void AutoSaveColumns(LPCWSTR section = nullptr, LPCWSTR entry = nullptr, LPCWSTR defaultWidths = nullptr);
    virtual BOOL SubclassHeader(BOOL bold = FALSE);
    // The owner's sort of the rows; the default leaves them as they are.
    virtual BOOL SortList(int column, BOOL ascending);
    virtual void AddExtendedStyle(DWORD style);
    virtual DWORD GetExtendedStyle();
    virtual void DisableColumnSizing(BOOL disable);
    // The row under the point, and in report view the display position of the column under it.
    virtual int HitTestEx(CPoint point, int* subItem);
    virtual int AddColumn(LPCWSTR title, int width = -1, int format = LVCFMT_LEFT);
    virtual BOOL InsertColumns(int count, const int* widths, const LPCWSTR* titles);
    virtual BOOL InsertColumnsFromResource(int count, const int* widths, const UINT* stringIds);
    virtual int GetColumnCount();
    // The source row's index after the copy was inserted, or -1.
    virtual int CopyRow(int from, int to);
    virtual BOOL MoveRow(int from, int to);
    virtual void SetListColors(COLORREF text, COLORREF back);
    virtual void AddRowColor(const ROWCOLOR& color);
    virtual void SetRowColor(int item, COLORREF text, COLORREF back);
    virtual void RemoveAllRowColors();
    virtual ROWCOLOR* FindRowColor(int item);
    virtual BOOL ModifyExtendedStyle(DWORD remove, DWORD add);
    virtual BOOL ApplyToolkitFont();
    // TRUE when the notification was answered here and must go no further.
    virtual BOOL OnHeaderNotify(WPARAM wParam, NMHDR* pNMHDR, LRESULT* pResult);

    void RefreshMetrics();
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    void OnPaint();
    // The list's header (its child of id 0), and the same when it is the toolkit's flat header.
    CHeaderCtrl* GetHeader() const;
    CTKFlatHeaderCtrl* GetFlatHeader() const;

    void SetOwnerList(CWnd* list) { m_pList = list; }
    CWnd* GetOwnerList() const { return m_pList; }
    BOOL IsSortAscending() const { return m_bAscending; }
    int GetSortColumn() const { return m_nSortColumn; }
    BOOL IsAutoSaving() const { return m_bAutoSave; }

    int m_nMinColWidth = 0;
    int m_nMaxColWidth = 0;
    BOOL m_bUseToolkitFont = FALSE;
    BOOL m_bRowColors = FALSE;
    BOOL m_bTintSortColumn = FALSE;

protected:
    BOOL IsReportView() const;
    HWND HeaderWnd() const;
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // The stored width of the column; FALSE when its field is absent or no width.
    BOOL ReadStoredColumnWidth(int column, int* width);
    LPCWSTR Section() const;
    LPCWSTR Entry() const;
    COLORREF TextColor() const;
    COLORREF BackColor() const;
    COLORREF SortBackColor() const;
    COLORREF SortTextColor() const;
    void Redraw();
    BOOL HeaderDrawsSortArrow() const;

    int m_nSortColumn = -1;
    BOOL m_bAutoSave = FALSE;
    BOOL m_bCustomColors = FALSE;
    BOOL m_bAscending = TRUE;
    BOOL m_bSizingLocked = FALSE;
    CString m_strSection;
    CString m_strEntry;
    CString m_strDefaultWidths;
    COLORREF m_crText = COLORREF(-1);
    COLORREF m_crBack = COLORREF(-1);
    COLORREF m_crSortText = COLORREF(-1);
    COLORREF m_crSortBack = COLORREF(-1);
    CList<ROWCOLOR> m_rowColors{10};
    // Painting asks for a row's colours once per cell; the index keeps that cheap on long lists.
    std::unordered_map<int, ROWCOLOR*> m_rowIndex;
    CTKFlatHeaderCtrl m_header;
    CWnd* m_pList = nullptr;
};

// The support embedded in a list class: its sort hook is the owning list's SortList, so a list
// derived from the class sorts its own rows.
template <class TOwner>
class CTKOwnedListSupport : public CTKListSupport {
public:
    explicit CTKOwnedListSupport(TOwner* owner) : m_pOwner(owner) { SetOwnerList(owner); }
    BOOL SortList(int column, BOOL ascending) override { return m_pOwner->SortList(column, ascending); }

private:
    TOwner* m_pOwner;
};
