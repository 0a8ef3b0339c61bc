// GDI: device contexts, bitmaps, pens, brushes, fonts, regions, drawing and blits.
#pragma once

#include "win32/types.h"
