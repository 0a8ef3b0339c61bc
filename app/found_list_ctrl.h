// CFoundListCtrl: the found-file list of the results page: one folder's rows, their ticks and the
// sets that say what the recovery writes, renaming, the context menu and the preview of a file.
#pragma once

#include "afx/afx.h"
#include "afx/collections.h"
#include "engine/recovery_writer.h"
#include "engine/ui_port.h"
#include "toolkit/base/list_ctrl.h"

#include <map>
#include <string>
#include <vector>

class CFoundTreeCtrl;
class IResultsHost;

// 1 while a row's name is being edited; the name the edit began with.
extern DWORD RenameActive;
extern WCHAR RenameOriginalName[257];
// Set by the Back commands: the next paint of the list clears the preview.
extern DWORD ListResetRequest;

// The preview of a found file.
extern WCHAR PreviewTempName[MAX_PATH];
extern DWORD PreviewTempCounter;
extern CString PreviewItemPath;
extern CString LastPreviewPath;
extern DWORD LastPreviewId;
// Files over this size are not copied for preview.
constexpr ULONGLONG kPreviewSizeLimit = 0x500000;

using CDwordSet = CMap<DWORD, DWORD, DWORD, DWORD>;

class CFoundListCtrl : public CTKListCtrl {
public:
    CFoundListCtrl();
    ~CFoundListCtrl() override;

    void SetFoundTree(CFoundTreeCtrl* tree) { m_pTree = tree; }
    void SetHost(IResultsHost* host) { m_pHost = host; }
    CFoundTreeCtrl* GetFoundTree() const { return m_pTree; }

    void CreateCheckImages();
    void SetupHeader();
    // Report columns for the scan mode: six after a quick or full scan, three after file tracing.
    void CreateColumns();

    // Rows as the engine's fillers hand them over.
    void ClearRows();
    void AddRow(const FoundFileRow& row);

    // Check state of a row: 0 unticked, 1 ticked, -1 no box.
    int GetItemCheck(int row) const;
    void CheckItem(int row);
    void UncheckItem(int row);
    void ClearItemCheck(int row);
    BOOL AreAllItemsChecked() const;
    BOOL AreAllItemsUnchecked() const;
    void TickAllRows();
    void UntickAllRows();

    // The row's ID column (2 after file tracing, 5 otherwise) and its kind.
    int IdColumn() const;
    DWORD RowId(int row) const;
    BOOL IsFolderRow(int row) const;
    BOOL IsParentRow(int row) const;
    // The name of the "Parent..." row, in any case.
    static BOOL IsParentName(LPCWSTR name);

    // Set operations shared with the tree.
    void MarkFolderChecked(DWORD folderId, HTREEITEM item);
    void UnmarkFolderChecked(DWORD folderId, HTREEITEM item);
    void MarkSubtreeFolders(HTREEITEM item);
    void UnmarkSubtreeFolders(HTREEITEM item);
    void MarkFolderFiles(HTREEITEM item);
    void UnmarkFolderFiles(HTREEITEM item);
    void MarkTracedChecked(const CString& name, BOOL group);
    void UnmarkTracedChecked(const CString& name, BOOL group);
    void SyncFolderRowSet(DWORD folderId, HTREEITEM item);
    void UpdateFileRowSets(DWORD folderId, DWORD fileId);
    void SyncTreeFromRows(DWORD folderId);
    void SyncTracedTreeFromRows(DWORD id, const CString& group, const CString& name, BOOL groupRow);
    void ShowParentFolder(DWORD folderId);
    // Empties every set but the preview's temporary files (and those too when all is set).
    void ClearSets(BOOL all);
    // The sets as the recovery writer and the size recount take them.
    std::vector<DWORD> RecoverFolderList() const;
    RecoveryExclusions RecoverExclusions() const;
    std::vector<DWORD> RecoverFileList() const;
    std::vector<std::u16string> PreviewTempFileList() const;

    void ShowContextMenu();
    void RunMenuCommand(UINT command);
    void ShowItemProperties();
    // The tick of a row's check box (hit at the row), then the preview of a clicked row.
    void OnRowCheckClick(int row);
    void OpenRow(int row);
    void PreviewRow(int row, BOOL onCheckBox);

    // The preview's pieces, as the list runs them.
    void PreviewFile(const CString& path, BOOL show);
    BOOL CanPreview(const CString& name);
    CString MakeTempPreviewName(const CString& fileName);
    BOOL IsNewPreview(const CString& folder, const CString& fileName, DWORD id);
    void BuildPreviewItemPath(DWORD folderId, const CString& fileName);
    // The private folder that preview copies go to, with its trailing separator.
    static CString PreviewFolder();

    CDwordSet CheckedFolderItems;
    CDwordSet CheckedFileIds;
    CDwordSet RecoverFolderItems;
    CDwordSet RecoverFileIds;
    CMap<DWORD, DWORD, CString, LPCWSTR> PreviewTempFiles;
    CDwordSet CheckedTreeItems;

    // A click on a column header: sorted by its kind, folders lifted above files, "Parent..." first.
    BOOL SortList(int column, BOOL ascending) override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The column last sorted and its direction; a click on another column sorts it ascending when the
    // default direction is set, else descending.
    int m_nSortColumn = -1;
    BYTE m_bSortAscending = 1;
    LONG m_nDefaultDirection = 1;

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    afx_msg void OnClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnDblClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnCustomDrawRows(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    DECLARE_MESSAGE_MAP()

private:
    BOOL HitCheckBox(CPoint point, int* row) const;
    void RenameRecord(int row, const CString& name);
    void SyncTreeAfterRowTick(int row);
    void OpenFolderRow(int row);
    void MarkSubtree(HTREEITEM item, bool mark);
    void MarkFolder(DWORD folderId, HTREEITEM item, bool mark);
    void MarkTraced(const CString& name, BOOL group, bool mark);

    // The shell's icon and type name of the files of one extension, asked once per fill.
    struct ShellAnswer {
        int icon;
        CString type;
    };
    const ShellAnswer& ShellAnswerOf(const CString& name);
    std::map<std::u16string, ShellAnswer> m_shellAnswers;
    ShellAnswer m_oneAnswer{};
    int m_folderIcon = -1;

    CImageList m_headerImages;
    CImageList m_checkImages;
    CFont m_boldFont;
    HCURSOR m_checkCursor = nullptr;
    CFoundTreeCtrl* m_pTree = nullptr;
    IResultsHost* m_pHost = nullptr;
};
