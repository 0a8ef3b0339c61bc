// Storage of the scan page's switches shared with the workers.
#include "engine/scan_flags.h"

volatile DWORD ShowScanDetails = 1;
volatile DWORD ScanFailedFlag = 0;
