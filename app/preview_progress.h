// The application's progress dialog offered to the preview viewers that load behind one.
#pragma once

void InstallPreviewProgress();
