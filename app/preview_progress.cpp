// The preview viewers' progress port served by the application's percentage dialog.
#include "app/preview_progress.h"

#include "app/progress_wait_dlg.h"
#include "preview/preview_progress.h"

namespace {

class CPreviewProgressWaitDlg : public IPreviewProgressDlg {
public:
    BOOL Create(CWnd* pParent) override { return m_dlg.Create(pParent); }
    void SetRange(int lower, int upper) override { m_dlg.SetRange(lower, upper); }
    void SetPos(int position) override { m_dlg.SetPos(position); }
    HWND GetSafeHwnd() const override { return m_dlg.GetSafeHwnd(); }
    BOOL DestroyWindow() override { return m_dlg.DestroyWindow(); }

private:
    CProgressWaitDlg m_dlg;
};

std::unique_ptr<IPreviewProgressDlg> MakeDialog() { return std::make_unique<CPreviewProgressWaitDlg>(); }

} // namespace

void InstallPreviewProgress() { SetPreviewProgressFactory(&MakeDialog); }
