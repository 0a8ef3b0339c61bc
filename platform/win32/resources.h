// Resources: the embedded resource image and the functions that read it.
#pragma once

#include "win32/types.h"
