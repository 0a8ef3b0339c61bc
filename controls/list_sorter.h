// CListSorter: sorts a report list by one column's text, read as numbers, text, dates or real numbers.
#pragma once

#include <memory>
#include <vector>

#include "afx/afx.h"
#include "afx/list_ctrl.h"

// The list's item data is borrowed for the sorter's lifetime: destroy the sorter before the
// rows' own data is read again.
class CListSorter {
public:
    // Compare kinds; a negative sort parameter sorts the same kind descending.
    enum { kNumber = 1, kText = 2, kDate = 3, kReal = 4 };

    CListSorter(CListCtrl* pList, int nColumn);
    virtual ~CListSorter();
    CListSorter(const CListSorter&) = delete;
    CListSorter& operator=(const CListSorter&) = delete;

    virtual BOOL Sort(BOOL bAscending, int nKind);

    // What each row's item data points at while the sorter lives.
    struct Record {
        DWORD_PTR earlierData;
        CString text;
    };
    static int CALLBACK Compare(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

private:
    CListCtrl* m_pList;
    std::vector<std::unique_ptr<Record>> m_records;
};
