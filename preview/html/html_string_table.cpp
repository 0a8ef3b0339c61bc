// The renderer's text lists and tables.
#include "preview/html/html_string_table.h"

#include <string>

namespace {
int Length(const char16_t* text, int length)
{
    return length < 0 ? int(std::char_traits<char16_t>::length(text)) : length;
}
} // namespace

void CHtmlStringList::Clear()
{
    m_strings.clear();
    m_hashes.clear();
}

uint32_t CHtmlStringList::HashText(const char16_t* text, int length)
{
    uint32_t h = 0;
    for (int i = 0; i < length; ++i)
        h = h * 255u + text[i];
    return h;
}

int CHtmlStringList::Add(const char16_t* text, int length)
{
    if (!text)
        return 0;
    length = Length(text, length);
    m_strings.emplace_back(text, size_t(length));
    m_hashes.push_back(HashText(text, length));
    return 1;
}

int CHtmlStringList::Set(int index, const char16_t* text, int length)
{
    if (index < 0 || index >= GetCount() || !text)
        return 0;
    length = Length(text, length);
    m_strings[size_t(index)].assign(text, size_t(length));
    m_hashes[size_t(index)] = HashText(text, length);
    return 1;
}

const char16_t* CHtmlStringList::GetAt(int index, int* length) const
{
    if (index < 0 || index >= GetCount()) {
        if (length)
            *length = 0;
        return u"";
    }
    if (length)
        *length = int(m_strings[size_t(index)].size());
    return m_strings[size_t(index)].c_str();
}

int CHtmlStringTable::AddRow()
{
    m_rows.push_back(std::make_unique<CHtmlStringList>());
    return GetRowCount();
}

int CHtmlStringTable::AddString(int row, const char16_t* text, int length)
{
    if (row < 0 || row >= GetRowCount())
        return 0;
    m_rows[size_t(row)]->Add(text, length);
    if (m_rows[size_t(row)]->GetCount() > m_nMaxColumns)
        m_nMaxColumns = m_rows[size_t(row)]->GetCount();
    return 1;
}

int CHtmlStringTable::SetString(int row, int column, const char16_t* text, int length)
{
    if (row < 0 || row >= GetRowCount())
        return 0;
    return m_rows[size_t(row)]->Set(column, text, length);
}

int CHtmlStringTable::RemoveRow(int index)
{
    if (index < 0 || index >= GetRowCount())
        return 0;
    m_rows.erase(m_rows.begin() + index);
    return 1;
}

void CHtmlStringTable::RemoveAll()
{
    while (!m_rows.empty())
        m_rows.pop_back();
}

CHtmlStringList& CHtmlStringTable::GetRow(int index)
{
    if (index < 0 || index >= GetRowCount())
        return m_empty;
    return *m_rows[size_t(index)];
}
