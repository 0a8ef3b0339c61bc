// The file-type dialog of a tracing scan: the signature definitions of "Raw.dat" as a tree of ticked types.
#pragma once

#include "afx/afx.h"
#include "afx/collections.h"
#include "afx/dialog.h"
#include "afx/std_controls.h"
#include "afx/tree_ctrl.h"
#include "controls/transparent_static.h"

#include <string>
#include <vector>

struct SignatureDefinition;

// One record of "Raw.dat", as the tree's list keeps it.
class SignatureRecord : public CObject {
public:
    SignatureRecord() = default;
    explicit SignatureRecord(const SignatureDefinition& definition);

    DWORD m_nNumber = 0;
    CString m_strExtension;
    CString m_strTypeText;
    CString m_strSignatureHex; // upper case, two characters a byte
    CString m_strLengthText;
    CString m_strFifthHex;
    // The record as read, for the scan's nodes (its texts in the file's own code page).
    std::string m_rawExtension;
};

class CFileTypeTreeCtrl : public CTreeCtrl {
public:
    CFileTypeTreeCtrl() = default;
    ~CFileTypeTreeCtrl() override { FreeRecords(); }

    void Init();
    HTREEITEM AddTypeItem(LPCWSTR category, LPCWSTR text);
    HTREEITEM FindOrAddChild(HTREEITEM parent, LPCWSTR text);

    // 0 unchecked (or no check box), 1 checked, 2 partly checked.
    int GetCheck(HTREEITEM item) const;
    void SetUnchecked(HTREEITEM item);
    void SetChecked(HTREEITEM item);
    void SetPartlyChecked(HTREEITEM item);
    void CheckBranch(HTREEITEM item);
    void UncheckBranch(HTREEITEM item);
    BOOL AllChildrenChecked(HTREEITEM item) const;
    void ToggleRootCheck(HTREEITEM top);
    void ExpandRoot();
    HTREEITEM TopItem() const { return GetRootItem(); }
    // The visible row of an item counted from the top, minus 1; -1 for the tree's root, -2 for no item.
    int GetVisibleRowIndex(HTREEITEM item) const;

    // Empties the scan's signature list and fills it with the records of every ticked item below start, in the
    // tree's order; returns how many nodes were added.
    DWORD BuildSignatureList(HTREEITEM start);
    // The texts of every item below start whose check is not 0, children before siblings.
    std::vector<CString> CheckedTexts(HTREEITEM start) const;

    void AddRecord(SignatureRecord* record) { m_records.AddHead(record); }
    const CObList& Records() const { return m_records; }
    void FreeRecords();

    // What the last click on an item left behind: its text and its visible row.
    CString m_strLastText;
    int m_nLastRow = -2;

protected:
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnKeyUp(UINT key, UINT repeat, UINT flags);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    afx_msg void OnKeyDownReflect(NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()

private:
    void SetState(HTREEITEM item, int image);
    void SyncAncestors(HTREEITEM item, bool unchecking);
    void SetBranch(HTREEITEM item, bool checked);

    CObList m_records; // newest first: the file's last record at the head
    CImageList m_stateImages;
    std::vector<SignatureDefinition>* m_definitions = nullptr;
    friend class CFileTypeDlg;
};

class CFileTypeDlg : public CDialog {
public:
    enum { IDD = 237 };
    // folder: where "Raw.dat" is found, with its trailing separator.
    CFileTypeDlg(CWnd* parent, LPCWSTR folder);
    ~CFileTypeDlg() override;

    BOOL OnInitDialog() override;
    void OnOK() override;

    // Reads the definitions into the records and the tree; a file that cannot be opened leaves the top item alone.
    void LoadSignatureFile();

    CFileTypeTreeCtrl m_tree;
    CComboBox m_sizeList;
    CTransparentStatic m_label;
    CTransparentStatic m_prompt;
    CFont m_boldFont;
    CString m_strFolder;
    // Records that a damaged file held and that were left out.
    size_t m_nRejected = 0;
    bool m_bTruncated = false;

protected:
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    DECLARE_MESSAGE_MAP()

private:
    std::vector<SignatureDefinition>* m_definitions;
};

// The category name of a record's one-character code: the table's name for "0" to "9", else the character.
CString SignatureCategoryName(char code);
