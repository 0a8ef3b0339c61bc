// The command line: splitting it into arguments, what it asks for, and carrying that out.
#include "afx/app.h"
#include "afx/doc_template.h"

void AFXAPI AfxSplitCommandLine(LPCWSTR lpCmdLine, CStringArray& args) {
    args.RemoveAll();
    if (!lpCmdLine)
        return;
    const WCHAR* p = lpCmdLine;
    for (;;) {
        while (*p == u' ' || *p == u'\t')
            ++p;
        if (!*p)
            break;
        CString arg;
        BOOL bQuoted = FALSE;
        while (*p && (bQuoted || (*p != u' ' && *p != u'\t'))) {
            int nSlashes = 0;
            while (*p == u'\\')
                ++p, ++nSlashes;
            if (*p == u'"') {
                // Pairs of backslashes before a quote stand for one each; an odd one escapes it.
                for (int i = 0; i < nSlashes / 2; ++i)
                    arg += u'\\';
                if (nSlashes % 2) {
                    arg += u'"';
                } else if (bQuoted && p[1] == u'"') {
                    arg += u'"'; // a doubled quote inside quotes is a literal one
                    ++p;
                } else {
                    bQuoted = !bQuoted;
                }
                ++p;
            } else {
                for (int i = 0; i < nSlashes; ++i)
                    arg += u'\\';
                if (*p && (bQuoted || (*p != u' ' && *p != u'\t')))
                    arg += *p++;
            }
        }
        args.Add(arg);
    }
}

CString AFXAPI AfxMakeCommandLine(int argc, char** argv) {
    CString line;
    for (int i = 1; i < argc; ++i) {
        CString arg(CA2W(argv[i], CP_UTF8));
        if (i > 1)
            line += u' ';
        if (!arg.IsEmpty() && arg.FindOneOf(u" \t\"") < 0) {
            line += arg;
            continue;
        }
        line += u'"';
        int nSlashes = 0;
        for (int k = 0; k < arg.GetLength(); ++k) {
            WCHAR ch = arg[k];
            if (ch == u'\\') {
                ++nSlashes;
                line += ch;
                continue;
            }
            if (ch == u'"') {
                for (int s = 0; s < nSlashes + 1; ++s)
                    line += u'\\';
            }
            nSlashes = 0;
            line += ch;
        }
        for (int s = 0; s < nSlashes; ++s)
            line += u'\\';
        line += u'"';
    }
    return line;
}

// ---- CCommandLineInfo -------------------------------------------------------------------------
void CCommandLineInfo::ParseParam(LPCWSTR pszParam, BOOL bFlag, BOOL bLast) {
    if (bFlag)
        ParseParamFlag(CString(pszParam));
    else
        ParseParamNotFlag(pszParam);
    ParseLast(bLast);
}

void CCommandLineInfo::ParseParamFlag(const CString& strParam) {
    if (strParam.CompareNoCase(u"pt") == 0) {
        m_nShellCommand = FilePrintTo;
    } else if (strParam.CompareNoCase(u"p") == 0) {
        m_nShellCommand = FilePrint;
    } else if (strParam.CompareNoCase(u"Register") == 0 || strParam.CompareNoCase(u"Regserver") == 0) {
        m_nShellCommand = AppRegister;
    } else if (strParam.CompareNoCase(u"Unregister") == 0 || strParam.CompareNoCase(u"Unregserver") == 0) {
        m_nShellCommand = AppUnregister;
    } else if (strParam.CompareNoCase(u"dde") == 0) {
        m_nShellCommand = FileDDE;
    } else if (strParam.CompareNoCase(u"Embedding") == 0) {
        m_bRunEmbedded = TRUE;
        m_bShowSplash = FALSE;
    } else if (strParam.CompareNoCase(u"Automation") == 0) {
        m_bRunAutomated = TRUE;
        m_bShowSplash = FALSE;
    }
}

void CCommandLineInfo::ParseParamNotFlag(LPCWSTR pszParam) {
    if (m_strFileName.IsEmpty())
        m_strFileName = pszParam;
    else if (m_nShellCommand == FilePrintTo && m_strPrinterName.IsEmpty())
        m_strPrinterName = pszParam;
    else if (m_nShellCommand == FilePrintTo && m_strDriverName.IsEmpty())
        m_strDriverName = pszParam;
    else if (m_nShellCommand == FilePrintTo && m_strPortName.IsEmpty())
        m_strPortName = pszParam;
}

void CCommandLineInfo::ParseLast(BOOL bLast) {
    if (bLast && m_nShellCommand == FileNew && !m_strFileName.IsEmpty())
        m_nShellCommand = FileOpen;
    if (bLast)
        m_bShowSplash = !m_bRunEmbedded && !m_bRunAutomated;
}

namespace {
// On Linux a path starts with "/", so only a switch the framework knows counts as one.
BOOL IsKnownSlashSwitch(const CString& name) {
    static const char16_t* const known[] = {u"pt", u"p", u"dde", u"Embedding", u"Automation", u"Register",
                                            u"Regserver", u"Unregister", u"Unregserver"};
    for (const char16_t* k : known)
        if (name.CompareNoCase(k) == 0)
            return TRUE;
    return FALSE;
}
} // namespace

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo) {
    CStringArray args;
    AfxSplitCommandLine(m_lpCmdLine, args);
    for (INT_PTR i = 0; i < args.GetSize(); ++i) {
        CString arg = args[i];
        BOOL bFlag = FALSE;
        if (arg.GetLength() > 1 && (arg[0] == u'-' || (arg[0] == u'/' && IsKnownSlashSwitch(arg.Mid(1))))) {
            bFlag = TRUE;
            arg = arg.Mid(1);
        }
        rCmdInfo.ParseParam(arg, bFlag, i == args.GetSize() - 1);
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo) {
    switch (rCmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        if (!OnCmdMsg(ID_FILE_NEW, 0, nullptr, nullptr))
            OnFileNew();
        return m_pMainWnd != nullptr;
    case CCommandLineInfo::FileOpen:
        return OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;
    case CCommandLineInfo::FilePrint:
    case CCommandLineInfo::FilePrintTo:
        // Nothing can be printed here: the request fails rather than pretending.
        return FALSE;
    case CCommandLineInfo::FileDDE:
        m_nCmdShow = SW_HIDE;
        return TRUE;
    case CCommandLineInfo::AppRegister:
        RegisterShellFileTypes(TRUE);
        return FALSE; // registration done, the program ends
    case CCommandLineInfo::AppUnregister:
        UnregisterShellFileTypes();
        return FALSE;
    case CCommandLineInfo::FileNothing:
    default:
        return TRUE;
    }
}

BOOL CWinApp::TakeSwitch(LPCWSTR lpszSwitch) {
    CStringArray args;
    AfxSplitCommandLine(m_lpCmdLine, args);
    BOOL bFound = FALSE;
    CString rest;
    for (INT_PTR i = 0; i < args.GetSize(); ++i) {
        const CString& a = args[i];
        if (!bFound && a.GetLength() > 1 && (a[0] == u'-' || a[0] == u'/') && a.Mid(1).CompareNoCase(lpszSwitch) == 0) {
            bFound = TRUE;
            continue;
        }
        if (!rest.IsEmpty())
            rest += u' ';
        rest += (a.FindOneOf(u" \t") >= 0 || a.IsEmpty()) ? u"\"" + a + u"\"" : a;
    }
    if (bFound) {
        // The rest of the program reads the line without the switch.
        m_strCmdLine = rest;
        m_lpCmdLine = m_strCmdLine.GetBuffer();
    }
    return bFound;
}

BOOL CWinApp::RunEmbedded() { return TakeSwitch(u"Embedding"); }
BOOL CWinApp::RunAutomated() { return TakeSwitch(u"Automation"); }
