// CGCFileTypeAccess: the shell registration of the snapshot file type under HKEY_CLASSES_ROOT.
#pragma once

#include "afx/afx.h"

class CGCFileTypeAccess : public CObject {
    DECLARE_DYNAMIC(CGCFileTypeAccess)
public:
    CGCFileTypeAccess() = default;

    virtual void ClearAllData();
    // Runs the four write steps in order; TRUE (their failures are not reported).
    virtual BOOL RegSetAllInfo();
    // ".EXT" = the document class; ".EXT\shell\open\command" = the open command.
    virtual BOOL RegSetExtension();
    // "Class" = the description; "Class\DefaultIcon" = the icon; "Class\shell\open\command" = the command.
    virtual BOOL RegSetDocumentType();
    virtual BOOL RegSetCLSID() { return TRUE; }
    virtual BOOL RegSetShellInfo() { return TRUE; }

    // The open command of a program: its path in double quotes, so a path with blanks names the program
    // itself, then a blank and the quoted file token.
    static CString OpenCommandFor(const CString& programPath);

    CString m_csExtension;
    CString m_csShellOpenCommand;
    CString m_csDocumentShellOpenCommand;
    CString m_csDocumentClassName;
    CString m_csDocumentDescription;
    CString m_csDocumentDefaultIcon;
    CString m_csReserved[5];

protected:
    // Creates or opens the key with KEY_SET_VALUE and sets its unnamed REG_SZ value, terminator included;
    // an empty key name or value is refused with E_INVALIDARG.
    static BOOL SetRegistryValue(HKEY root, const CString& key, const CString& value);
};
