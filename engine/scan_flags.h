// Switches of the scan page that the scan workers read and write (the page owns their meaning).
#pragma once

#include "win32/types.h"

// 1 (the start value) while the workers are to write the per-sector status texts and counters, 0 when the user
// hid them.
extern volatile DWORD ShowScanDetails;
// Set by a worker whose run ended without a result (volume not openable, layout not found), so the page resets
// its buttons instead of moving on.
extern volatile DWORD ScanFailedFlag;
