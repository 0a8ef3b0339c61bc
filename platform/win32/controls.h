// Standard and common controls: window classes, messages and notification structures.
#pragma once

#include "win32/types.h"
