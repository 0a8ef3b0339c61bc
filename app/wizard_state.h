// What the wizard's pages share besides the engine's globals: the summary line of the user's choices.
#pragma once

#include "afx/afx.h"

// The mode and drive-kind text that the side panes of pages 1 to 4 show.
extern CString ScanModeText;
