// Registry: keys and values over the file-backed per-user store.
#pragma once

#include "win32/types.h"
