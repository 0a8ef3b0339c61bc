// CListSorter: sorts a report list by one column's text, read as numbers, text, dates or real numbers.
#pragma once

#include <cstdint>
#include <vector>

#include "afx/afx.h"
#include "afx/list_ctrl.h"
#include "afx/ole_types.h"

// Reads one column of every row once, then sorts the rows by it; their item data stays theirs.
class CListSorter {
public:
    // Compare kinds; a negative sort parameter sorts the same kind descending.
    enum { kNumber = 1, kText = 2, kDate = 3, kReal = 4 };

    CListSorter(CListCtrl* pList, int nColumn);
    virtual ~CListSorter();
    CListSorter(const CListSorter&) = delete;
    CListSorter& operator=(const CListSorter&) = delete;

    virtual BOOL Sort(BOOL bAscending, int nKind);

    // A row's sort column text, and that text read once as the key of one compare kind, so that the
    // list's comparisons neither parse nor allocate.
    struct Record {
        const WCHAR* text = u"";
        int kind = 0;                    // the kind the key below was read for; 0 none yet
        const WCHAR* folded = nullptr;   // text: the text in lower case
        const WCHAR* firstDigit = nullptr; // number: the first significant digit in the text
        uint32_t digits = 0;             // number: how many significant digits
        uint64_t number = 0;             // number: their value, when they are 19 or fewer
        double value = 0;                // real number
        COleDateTime date;               // date, when it parsed
        bool valid = false;
    };
    // Reads the record's key for the kind; `folded` must have room for the text and its end when the
    // kind is text.
    static void ReadKey(Record& record, int kind, WCHAR* folded);
    static int CALLBACK Compare(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

private:
    CListCtrl* m_pList;
    std::vector<Record> m_records; // one a row, in the rows' order before the sort
    std::vector<WCHAR> m_texts;  // every record's text with its end, back to back
    std::vector<WCHAR> m_folded; // the same in lower case, for a text sort
};
