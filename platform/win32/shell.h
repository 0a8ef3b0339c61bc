// Shell services: folder browser, file information, ShellExecute.
#pragma once

#include "win32/types.h"
