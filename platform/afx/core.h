// CObject, CRuntimeClass, exceptions and the framework's global helpers.
#pragma once

#include "win32/win32.h"
