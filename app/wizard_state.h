// What the wizard's pages share besides the engine's globals: the summary line of the user's choices.
#pragma once

#include "afx/afx.h"

// The mode and drive-kind text that the side panes of pages 1 to 4 show.
extern CString ScanModeText;

// A text of the program's followed by the blanks it is shown with.
CString PaddedText(const char16_t* text, int blanks);
