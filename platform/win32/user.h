// USER: window classes, windows, messages, input, timers, menus, dialogs.
#pragma once

#include "win32/types.h"
