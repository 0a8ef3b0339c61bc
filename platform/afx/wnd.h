// CCmdTarget, CWnd and the window framework.
#pragma once

#include "win32/win32.h"
