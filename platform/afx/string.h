// CString (UTF-16) and CStringA with the framework's semantics.
#pragma once

#include "win32/win32.h"
