// The MFC interface as the program sees it: one include for the whole framework layer.
#pragma once

#include "win32/win32.h"
#include "afx/core.h"
#include "afx/string.h"
#include "afx/collections.h"
#include "afx/file.h"
#include "afx/thread.h"
#include "afx/gdi.h"
#include "afx/menu.h"
#include "afx/cmd_target.h"
#include "afx/wnd.h"
#include "afx/dialog.h"
#include "afx/frame.h"
#include "afx/doc_template.h"
#include "afx/std_controls.h"
#include "afx/app.h"
