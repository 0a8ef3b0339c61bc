// The wizard's shared summary line.
#include "app/wizard_state.h"

CString ScanModeText;

CString PaddedText(const char16_t* text, int blanks) { return CString(text) + CString(u' ', blanks); }
