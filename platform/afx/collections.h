// Arrays, lists and maps with the framework's growth and iteration order.
#pragma once

#include "win32/win32.h"
