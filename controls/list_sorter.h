// CListSorter: sorts a report list by one column's text, read as numbers, text, dates or real numbers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "afx/afx.h"
#include "afx/list_ctrl.h"
#include "afx/ole_types.h"

// One column's text of every row of a list, read in one message rather than one a row.
class CListColumnTexts {
public:
    CListColumnTexts(CListCtrl* pList, int nColumn);
    int GetCount() const { return int(m_rows.size()); }
    // The row's text as it was when read; empty for a row outside the list.
    LPCWSTR operator[](int row) const { return row >= 0 && row < GetCount() ? m_rows[size_t(row)] : u""; }
    // Characters of all the texts with their ends.
    size_t GetLength() const { return m_length; }
    // Hands each row's text of the column to `visit` in row order, reading a bounded block of rows a message,
    // for a scan that needs each text only for a moment.
    static void ForEach(CListCtrl* pList, int nColumn, const std::function<void(int row, LPCWSTR text)>& visit);

private:
    std::unique_ptr<WCHAR[]> m_block; // the texts the one read gave, each with its end, back to back
    std::vector<CString> m_late;      // the texts of rows read alone
    std::vector<LPCWSTR> m_rows;      // each row's text, in one of the two
    size_t m_length = 0;
};

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
    // The rows (their places before the sort) in the order Sort gives them, leaving the list as it is.
    std::vector<int> Order(BOOL bAscending, int nKind);
    // The sort column's text of a row, by its place before the sort.
    LPCWSTR GetText(int row) const { return m_texts[row]; }
    // Moves every row to its place in `order` (rows by their places now) in one rearrangement of the list;
    // rows the order leaves out keep their order after those it names.
    static BOOL ApplyOrder(CListCtrl* pList, const std::vector<int>& order);

    // A row's sort column text, and that text read once as the key of one compare kind, so that the
    // comparisons neither parse nor allocate.
    struct Record {
        const WCHAR* text = u"";
        const WCHAR* key = nullptr; // text: the text in lower case; number: its first significant digit
        union {
            uint64_t number = 0; // number: the value of its significant digits, when they are 19 or fewer
            double value;        // real number; date (as a DATE), when it parsed
        };
        uint32_t digits = 0; // number: how many significant digits
        int16_t kind = 0;    // the kind the key was read for; 0 none yet
        bool valid = false;  // date: it parsed
    };
    // Reads the record's key for the kind; `folded` must have room for the text and its end when the
    // kind is text.
    static void ReadKey(Record& record, int kind, WCHAR* folded);
    static int CALLBACK Compare(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

private:
    CListCtrl* m_pList;
    CListColumnTexts m_texts;
    std::vector<Record> m_records;      // one a row, in the rows' order before the sort
    std::unique_ptr<WCHAR[]> m_folded; // the texts in lower case, for a text sort
};
