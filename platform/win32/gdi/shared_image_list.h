// Marking an image list as the system's: ImageList_Destroy then refuses it.
#pragma once

#include "win32/gdi.h"

namespace gdi {
bool ShareImageList(HIMAGELIST himl);
}
