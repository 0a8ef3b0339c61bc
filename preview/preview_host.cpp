// The preview's host and its report of a missing component.
#include "preview/preview_host.h"

namespace {
IPreviewHost* g_host = nullptr;
BOOL g_componentUnavailable = FALSE;
} // namespace

void SetPreviewHost(IPreviewHost* host) { g_host = host; }
IPreviewHost* GetPreviewHost() { return g_host; }

void ReportPreviewComponentUnavailable()
{
    g_componentUnavailable = TRUE;
    if (IPreviewHost* host = GetPreviewHost()) {
        host->SetPreviewableFlag(0);
        host->SetPreviewOkFlag(1);
    }
}

BOOL IsPreviewComponentUnavailable() { return g_componentUnavailable; }
void ResetPreviewComponentUnavailable() { g_componentUnavailable = FALSE; }
