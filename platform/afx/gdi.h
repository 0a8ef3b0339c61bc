// CDC and the GDI object classes.
#pragma once

#include "win32/win32.h"
