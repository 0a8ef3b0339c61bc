// Text services: UTF-16 C runtime functions, code-page conversions, lstr*/wsprintf.
#pragma once

#include "win32/types.h"
