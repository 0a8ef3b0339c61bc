// Kernel services: files, raw devices and drives, threads and synchronisation, time, modules and memory.
#pragma once

#include "win32/types.h"
