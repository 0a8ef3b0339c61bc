// CDaoDatabase, CDaoTableDef, CDaoQueryDef, CDaoRecordset and CDaoException: read-only access to an
// Access database by the calls of the data access objects, over the Access reader. Nothing is ever
// written: the calls that would change the database throw the engine's read-only error.
#pragma once

#include "afx/afx.h"
#include "afx/ole_types.h"
#include "preview/mdb_reader.h"

#include <vector>

#define AFX_DAO_PRIMARY_INFO 0x00000001
#define AFX_DAO_SECONDARY_INFO 0x00000002
#define AFX_DAO_ALL_INFO 0x00000004

// Recordset kinds.
#define dbOpenTable 1
#define dbOpenDynaset 2
#define dbOpenSnapshot 4

// Object attributes.
#define dbSystemObject 0x80000002L
#define dbHiddenObject 0x00000001L

struct CDaoErrorInfo {
    long m_lErrorCode = 0;
    CString m_strSource;
    CString m_strDescription;
    CString m_strHelpFile;
    long m_lHelpContext = 0;
};

class CDaoException : public CException {
    DECLARE_DYNAMIC(CDaoException)
public:
    CDaoException();
    ~CDaoException() override;
    BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;

    LONG m_scode = 0;  // the status code (an SCODE)
    int m_nAfxDaoError = 0;
    // The engine's error: its number and description.
    CDaoErrorInfo* m_pErrorInfo = nullptr;
};

// Throws a new CDaoException for one of the engine's error numbers (MdbError).
[[noreturn]] void AfxThrowDaoException(int nAfxDaoError, LONG scode, long lErrorCode);
[[noreturn]] void ThrowDaoError(long lErrorCode);
// The engine's description of one of its error numbers.
CString DaoErrorDescription(long lErrorCode);

struct CDaoTableDefInfo {
    CString m_strName;
    BOOL m_bUpdatable = FALSE;
    long m_lAttributes = 0;
    long m_lRecordCount = -1;
};

struct CDaoQueryDefInfo {
    CString m_strName;
    short m_nType = 0;
    BOOL m_bUpdatable = FALSE;
};

struct CDaoRelationInfo {
    CString m_strName;
    CString m_strTable;
    CString m_strForeignTable;
    long m_lAttributes = 0;
};

struct CDaoFieldInfo {
    CString m_strName;
    short m_nType = 0;  // dbBoolean 1 ... dbText 10, dbLongBinary 11, dbMemo 12
    long m_lSize = 0;
    long m_lAttributes = 0;
    short m_nOrdinalPosition = 0;
};

class CDaoDatabase : public CObject {
    DECLARE_DYNAMIC(CDaoDatabase)
public:
    CDaoDatabase() = default;
    ~CDaoDatabase() override;

    // Reads the database's catalog; a file that is no database, or a damaged one, throws. The file is
    // only read, whatever the flags ask.
    virtual void Open(LPCWSTR lpszName, BOOL bExclusive = FALSE, BOOL bReadOnly = FALSE, LPCWSTR lpszConnect = u"");
    virtual void Close();
    BOOL IsOpen() const { return m_bOpen; }
    CString GetName() const { return m_strName; }
    BOOL CanUpdate() const { return FALSE; }

    short GetTableDefCount() const;
    void GetTableDefInfo(int nIndex, CDaoTableDefInfo& info, DWORD dwInfoOptions = AFX_DAO_PRIMARY_INFO) const;
    short GetQueryDefCount() const;
    void GetQueryDefInfo(int nIndex, CDaoQueryDefInfo& info, DWORD dwInfoOptions = AFX_DAO_PRIMARY_INFO) const;
    short GetRelationCount() const;
    void GetRelationInfo(int nIndex, CDaoRelationInfo& info, DWORD dwInfoOptions = AFX_DAO_PRIMARY_INFO) const;

    // The database is read only: both throw the engine's read-only error.
    void DeleteTableDef(LPCWSTR lpszName);
    void DeleteQueryDef(LPCWSTR lpszName);

    // The table of that name (letter case aside), or null.
    const MdbTableInfo* FindTable(const CString& name) const;
    const MdbQueryInfo* FindQuery(const CString& name) const;

private:
    void CheckOpen() const;

    BOOL m_bOpen = FALSE;
    CString m_strName;
    MdbCatalogInfo m_catalog;
};

class CDaoTableDef : public CObject {
    DECLARE_DYNAMIC(CDaoTableDef)
public:
    explicit CDaoTableDef(CDaoDatabase* pDatabase) : m_pDatabase(pDatabase) {}

    virtual void Open(LPCWSTR lpszName);
    virtual void Close() { m_pTable = nullptr; }
    BOOL IsOpen() const { return m_pTable != nullptr; }
    CString GetName() const;
    short GetFieldCount() const;
    void GetFieldInfo(int nIndex, CDaoFieldInfo& info, DWORD dwInfoOptions = AFX_DAO_PRIMARY_INFO) const;

    CDaoDatabase* m_pDatabase;

private:
    const MdbTableInfo* m_pTable = nullptr;
};

class CDaoQueryDef : public CObject {
    DECLARE_DYNAMIC(CDaoQueryDef)
public:
    explicit CDaoQueryDef(CDaoDatabase* pDatabase) : m_pDatabase(pDatabase) {}

    virtual void Open(LPCWSTR lpszName);
    virtual void Close() { m_pQuery = nullptr; }
    BOOL IsOpen() const { return m_pQuery != nullptr; }
    CString GetName() const;
    short GetType() const;

    CDaoDatabase* m_pDatabase;

private:
    const MdbQueryInfo* m_pQuery = nullptr;
};

class CDaoRecordset : public CObject {
    DECLARE_DYNAMIC(CDaoRecordset)
public:
    explicit CDaoRecordset(CDaoDatabase* pDatabase = nullptr) : m_pDatabase(pDatabase) {}

    // Opens the rows of one table: lpszSQL is its name or "Select * From [name]". The values of the
    // first m_lMaxValues rows are read; the rows after them are only counted.
    virtual void Open(int nOpenType = dbOpenDynaset, LPCWSTR lpszSQL = nullptr, int nOptions = 0);
    virtual void Close();
    BOOL IsOpen() const { return m_bOpen; }
    BOOL IsEOF() const { return !m_bOpen || m_nCurrent >= m_rows.total; }
    BOOL IsBOF() const { return !m_bOpen || m_rows.total == 0; }
    void MoveNext();
    long GetRecordCount() const { return m_bOpen ? m_rows.total : 0; }
    short GetFieldCount() const { return m_bOpen ? short(m_nFields) : 0; }
    // The current row's value of field nIndex; past the rows read, or out of range, throws.
    COleVariant GetFieldValue(int nIndex) const;

    CDaoDatabase* m_pDatabase;
    long m_lMaxValues = 10000;

private:
    BOOL m_bOpen = FALSE;
    long m_nCurrent = 0;
    int m_nFields = 0;
    MdbRowSet m_rows;
};
