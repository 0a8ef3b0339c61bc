// The wizard's shared summary line.
#include "app/wizard_state.h"

CString ScanModeText;
