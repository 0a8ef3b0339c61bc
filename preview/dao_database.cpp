// The read-only data access objects of the Access preview.
#include "preview/dao_database.h"

namespace {

const long kNoCurrentRecord = 3021;
const long kBadStatement = 3129;
const long kItemNotFound = 3265;
const long kNotOpen = 3420;

// The file's column types as the data access objects number them.
short DaoFieldType(int mdbType)
{
    switch (mdbType) {
    case 0x10: return 20;  // decimal
    case 0x12: return 4;   // complex value: a long key
    default: return short(mdbType);
    }
}

CString Trimmed(const CString& s)
{
    CString t = s;
    t.Trim();
    return t;
}

// The table a statement selects from: the name itself, or "Select * From [name]".
bool TableOfStatement(const CString& sql, CString& table)
{
    CString text = Trimmed(sql);
    CString head = text.Left(14);
    head.MakeLower();
    if (head == u"select * from ")
        text = Trimmed(text.Mid(14));
    else if (text.Left(6).CompareNoCase(u"select") == 0)
        return false;
    if (text.GetLength() >= 2 && text[0] == u'[' && text[text.GetLength() - 1] == u']')
        text = text.Mid(1, text.GetLength() - 2);
    else if (text.Find(u'[') >= 0 || text.Find(u']') >= 0)
        return false;
    if (text.IsEmpty())
        return false;
    table = text;
    return true;
}

} // namespace

IMPLEMENT_DYNAMIC(CDaoException, CException)
IMPLEMENT_DYNAMIC(CDaoDatabase, CObject)
IMPLEMENT_DYNAMIC(CDaoTableDef, CObject)
IMPLEMENT_DYNAMIC(CDaoQueryDef, CObject)
IMPLEMENT_DYNAMIC(CDaoRecordset, CObject)

// ---- Errors ---------------------------------------------------------------------------------------

CString DaoErrorDescription(long lErrorCode)
{
    switch (lErrorCode) {
    case kMdbErrorNoObject: return u"The database engine could not find the object.";
    case kMdbErrorNotFound: return u"Could not find file.";
    case kMdbErrorReadOnly: return u"Cannot update. Database or object is read-only.";
    case kMdbErrorBadFormat: return u"Unrecognized database format.";
    case kNoCurrentRecord: return u"No current record.";
    case kBadStatement: return u"Invalid SQL statement.";
    case kItemNotFound: return u"Item not found in this collection.";
    case kNotOpen: return u"Object invalid or no longer set.";
    default: {
        CString text;
        text.Format(u"Database engine error %ld.", lErrorCode);
        return text;
    }
    }
}

CDaoException::CDaoException() = default;

CDaoException::~CDaoException() { delete m_pErrorInfo; }

BOOL CDaoException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError, UINT* pnHelpContext) const
{
    if (pnHelpContext)
        *pnHelpContext = 0;
    if (!lpszError || nMaxError == 0)
        return FALSE;
    CString text = m_pErrorInfo ? m_pErrorInfo->m_strDescription : CString();
    UINT n = std::min<UINT>(UINT(text.GetLength()), nMaxError - 1);
    for (UINT i = 0; i < n; ++i)
        lpszError[i] = text[int(i)];
    lpszError[n] = 0;
    return !text.IsEmpty();
}

void AfxThrowDaoException(int nAfxDaoError, LONG scode, long lErrorCode)
{
    auto* e = new CDaoException;
    e->m_nAfxDaoError = nAfxDaoError;
    e->m_scode = scode;
    if (lErrorCode) {
        e->m_pErrorInfo = new CDaoErrorInfo;
        e->m_pErrorInfo->m_lErrorCode = lErrorCode;
        e->m_pErrorInfo->m_strSource = u"DAO.Database";
        e->m_pErrorInfo->m_strDescription = DaoErrorDescription(lErrorCode);
    }
    throw e;
}

void ThrowDaoError(long lErrorCode) { AfxThrowDaoException(0, MdbErrorScode(lErrorCode), lErrorCode); }

// ---- Database -------------------------------------------------------------------------------------

CDaoDatabase::~CDaoDatabase() { Close(); }

void CDaoDatabase::Open(LPCWSTR lpszName, BOOL bExclusive, BOOL bReadOnly, LPCWSTR lpszConnect)
{
    Close();
    MdbCatalogInfo catalog;
    LONG error = 0;
    if (!lpszName || !ReadMdbCatalog(CString(lpszName), catalog, &error))
        ThrowDaoError(lpszName ? error : kMdbErrorNotFound);
    m_catalog = std::move(catalog);
    m_strName = lpszName;
    m_bOpen = TRUE;
}

void CDaoDatabase::Close()
{
    m_bOpen = FALSE;
    m_catalog = MdbCatalogInfo();
    m_strName.Empty();
}

void CDaoDatabase::CheckOpen() const
{
    if (!m_bOpen)
        ThrowDaoError(kNotOpen);
}

short CDaoDatabase::GetTableDefCount() const
{
    CheckOpen();
    return short(std::min<size_t>(m_catalog.tables.size(), 0x7FFF));
}

void CDaoDatabase::GetTableDefInfo(int nIndex, CDaoTableDefInfo& info, DWORD) const
{
    CheckOpen();
    if (nIndex < 0 || size_t(nIndex) >= m_catalog.tables.size())
        ThrowDaoError(kItemNotFound);
    const MdbTableInfo& t = m_catalog.tables[size_t(nIndex)];
    info = CDaoTableDefInfo();
    info.m_strName = t.name;
    info.m_lAttributes = t.flags;
}

short CDaoDatabase::GetQueryDefCount() const
{
    CheckOpen();
    return short(std::min<size_t>(m_catalog.queries.size(), 0x7FFF));
}

void CDaoDatabase::GetQueryDefInfo(int nIndex, CDaoQueryDefInfo& info, DWORD) const
{
    CheckOpen();
    if (nIndex < 0 || size_t(nIndex) >= m_catalog.queries.size())
        ThrowDaoError(kItemNotFound);
    info = CDaoQueryDefInfo();
    info.m_strName = m_catalog.queries[size_t(nIndex)].name;
    info.m_nType = short(m_catalog.queries[size_t(nIndex)].type);
}

short CDaoDatabase::GetRelationCount() const
{
    CheckOpen();
    return short(std::min<size_t>(m_catalog.relations.size(), 0x7FFF));
}

void CDaoDatabase::GetRelationInfo(int nIndex, CDaoRelationInfo& info, DWORD) const
{
    CheckOpen();
    if (nIndex < 0 || size_t(nIndex) >= m_catalog.relations.size())
        ThrowDaoError(kItemNotFound);
    const MdbRelationInfo& r = m_catalog.relations[size_t(nIndex)];
    info.m_strName = r.name;
    info.m_strTable = r.table;
    info.m_strForeignTable = r.foreignTable;
    info.m_lAttributes = r.attributes;
}

void CDaoDatabase::DeleteTableDef(LPCWSTR) { ThrowDaoError(kMdbErrorReadOnly); }
void CDaoDatabase::DeleteQueryDef(LPCWSTR) { ThrowDaoError(kMdbErrorReadOnly); }

const MdbTableInfo* CDaoDatabase::FindTable(const CString& name) const
{
    for (const MdbTableInfo& t : m_catalog.tables)
        if (t.name.CompareNoCase(name) == 0)
            return &t;
    return nullptr;
}

const MdbQueryInfo* CDaoDatabase::FindQuery(const CString& name) const
{
    for (const MdbQueryInfo& q : m_catalog.queries)
        if (q.name.CompareNoCase(name) == 0)
            return &q;
    return nullptr;
}

// ---- Table and query definitions ------------------------------------------------------------------

void CDaoTableDef::Open(LPCWSTR lpszName)
{
    if (!m_pDatabase || !m_pDatabase->IsOpen())
        ThrowDaoError(kNotOpen);
    m_pTable = lpszName ? m_pDatabase->FindTable(CString(lpszName)) : nullptr;
    if (!m_pTable)
        ThrowDaoError(kItemNotFound);
}

CString CDaoTableDef::GetName() const { return m_pTable ? m_pTable->name : CString(); }

short CDaoTableDef::GetFieldCount() const
{
    if (!m_pTable)
        ThrowDaoError(kNotOpen);
    return short(m_pTable->columns.size());
}

void CDaoTableDef::GetFieldInfo(int nIndex, CDaoFieldInfo& info, DWORD) const
{
    if (!m_pTable)
        ThrowDaoError(kNotOpen);
    if (nIndex < 0 || size_t(nIndex) >= m_pTable->columns.size())
        ThrowDaoError(kItemNotFound);
    const MdbColumnInfo& c = m_pTable->columns[size_t(nIndex)];
    info = CDaoFieldInfo();
    info.m_strName = c.name;
    info.m_nType = DaoFieldType(c.type);
    info.m_lSize = c.size;
    info.m_nOrdinalPosition = short(nIndex);
}

void CDaoQueryDef::Open(LPCWSTR lpszName)
{
    if (!m_pDatabase || !m_pDatabase->IsOpen())
        ThrowDaoError(kNotOpen);
    m_pQuery = lpszName ? m_pDatabase->FindQuery(CString(lpszName)) : nullptr;
    if (!m_pQuery)
        ThrowDaoError(kItemNotFound);
}

CString CDaoQueryDef::GetName() const { return m_pQuery ? m_pQuery->name : CString(); }
short CDaoQueryDef::GetType() const { return m_pQuery ? short(m_pQuery->type) : 0; }

// ---- Recordset --------------------------------------------------------------------------------------

void CDaoRecordset::Open(int, LPCWSTR lpszSQL, int)
{
    Close();
    if (!m_pDatabase || !m_pDatabase->IsOpen())
        ThrowDaoError(kNotOpen);
    CString table;
    if (!lpszSQL || !TableOfStatement(CString(lpszSQL), table))
        ThrowDaoError(kBadStatement);
    const MdbTableInfo* info = m_pDatabase->FindTable(table);
    if (!info)
        ThrowDaoError(kMdbErrorNoObject);
    MdbRowSet rows;
    LONG error = 0;
    if (!ReadMdbRows(m_pDatabase->GetName(), info->name, m_lMaxValues, rows, &error))
        ThrowDaoError(error);
    m_rows = std::move(rows);
    m_nFields = m_rows.columns;
    m_nCurrent = 0;
    m_bOpen = TRUE;
}

void CDaoRecordset::Close()
{
    m_bOpen = FALSE;
    m_rows = MdbRowSet();
    m_nCurrent = 0;
    m_nFields = 0;
}

void CDaoRecordset::MoveNext()
{
    if (IsEOF())
        ThrowDaoError(kNoCurrentRecord);
    ++m_nCurrent;
}

COleVariant CDaoRecordset::GetFieldValue(int nIndex) const
{
    if (IsEOF() || size_t(m_nCurrent) >= m_rows.rows.size())
        ThrowDaoError(kNoCurrentRecord);
    const std::vector<MdbCell>& row = m_rows.rows[size_t(m_nCurrent)];
    if (nIndex < 0 || size_t(nIndex) >= row.size())
        ThrowDaoError(kItemNotFound);
    const MdbCell& cell = row[size_t(nIndex)];
    COleVariant value;
    switch (cell.vt) {
    case VT_BOOL: value.vt = VT_BOOL; value.boolVal = cell.number ? VARIANT_TRUE : VARIANT_FALSE; break;
    case VT_UI1: value.vt = VT_UI1; value.bVal = BYTE(cell.number); break;
    case VT_I2: value.vt = VT_I2; value.iVal = SHORT(cell.number); break;
    case VT_I4: value.vt = VT_I4; value.lVal = LONG(cell.number); break;
    case VT_CY: value.vt = VT_CY; value.cyVal.int64 = cell.number; break;
    case VT_R4: value.vt = VT_R4; value.fltVal = float(cell.real); break;
    case VT_R8: value.vt = VT_R8; value.dblVal = cell.real; break;
    case VT_DATE: value.vt = VT_DATE; value.date = cell.real; break;
    case VT_BSTR: value = COleVariant(CString(cell.text.c_str(), int(cell.text.size()))); break;
    case VT_NULL: value.vt = VT_NULL; break;
    // Values the list names by type only carry no data here.
    default: value.vt = cell.vt; break;
    }
    return value;
}
