// CHtmlStringList and CHtmlStringTable: the renderer's growable text lists and tables of rows.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "preview/html/html_text.h"

class CHtmlStringList {
public:
    void Init() { Clear(); }
    void Clear();
    // length -1: the text's own length. Add returns 0 for a null text, Set for a bad index.
    int Add(const char16_t* text, int length = -1);
    int Set(int index, const char16_t* text, int length = -1);
    // The empty text (and length 0) for a bad index.
    const char16_t* GetAt(int index, int* length = nullptr) const;
    const char16_t* GetString(int index) const { return GetAt(index); }
    int GetCount() const { return int(m_strings.size()); }
    static uint32_t HashText(const char16_t* text, int length);

private:
    std::vector<HtmlText> m_strings;
    std::vector<uint32_t> m_hashes;
};

class CHtmlStringTable {
public:
    int AddRow();
    int AddString(int row, const char16_t* text, int length = -1);
    int SetString(int row, int column, const char16_t* text, int length = -1);
    int RemoveRow(int index);
    void RemoveAll();
    // The embedded empty list for a bad index.
    CHtmlStringList& GetRow(int index);
    int GetRowCount() const { return int(m_rows.size()); }
    int m_nMaxColumns = 0;

private:
    std::vector<std::unique_ptr<CHtmlStringList>> m_rows;
    CHtmlStringList m_empty;
};
