// Test and benchmark controls of the raw-device layer: unreadable sectors of attached images, O_DIRECT reads.
#pragma once

#include "win32/types.h"

#include <string>
#include <vector>

namespace dovemark::device_hooks {

// Reads through the layer that touch one of these 512-byte sectors (numbered from the start of the
// image file) fail as a bad sector does: FALSE with ERROR_CRC and nothing delivered. Replaces the
// image's earlier list; an empty list clears it. The image is named by any path to it.
void SetUnreadableSectors(const std::string& imagePath, std::vector<ULONGLONG> sectors);
void ClearUnreadableSectors();

// Whether the disk behind an absolute image path has sectors marked in [first, first + count).
bool HasUnreadableSector(const std::string& canonicalImagePath, ULONGLONG first, ULONGLONG count);

// Sectors asked of attached images since the last reset, counting reads that fail (past the end, or marked
// unreadable): what a hostile layout makes the engine try to read.
ULONGLONG RequestedSectors();
void ResetRequestedSectors();
void CountRequestedSectors(ULONGLONG count);

// Raw devices opened from now on read past the page cache (O_DIRECT) where the file allows it.
void SetDirectReads(bool on);
bool DirectReads();

} // namespace dovemark::device_hooks
