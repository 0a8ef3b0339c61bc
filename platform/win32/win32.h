// The Windows interface as the program sees it: one include for every family of the layer.
#pragma once

#include "win32/types.h"
#include "win32/kernel.h"
#include "win32/text.h"
#include "win32/registry.h"
#include "win32/gdi.h"
#include "win32/user.h"
#include "win32/resources.h"
#include "win32/controls.h"
#include "win32/dialogs.h"
#include "win32/shell.h"
#include "win32/ole.h"
#include "win32/sound.h"
