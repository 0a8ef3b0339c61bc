// Which physical disks the machine has: geometry, size and model of each, for the drive page.
#pragma once

#include "win32/kernel.h"
#include "win32/types.h"

// One disk with media. The index into the table is DriveNumber; PhysicalDrivePathTable of the same
// index names the layer's disk behind it, so the page shows and reads the same device.
struct DetectedDisk {
    DWORD Cylinders;
    DWORD TracksPerCylinder;
    DWORD SectorsPerTrack;
    int LayerNumber;               // n of "\\.\PhysicalDriven"
    ULONGLONG LengthSectors;       // the device's real length in sectors
    bool Clamped;                  // longer than the 32-bit sector fields can address
    char Model[512];
};

extern DetectedDisk DetectedDisks[10];
extern DWORD DiskSectorCounts[10];
extern DWORD DetectedDriveCount; // disks with media, in the table
extern DWORD DriveAnswerCount;   // devices that answered, those without media included
extern DISK_GEOMETRY LastDriveGeometry;
extern BOOL OldNtPlatformFlag;

// The drive page constructs one around its call, as the program always has.
class CDriveIdentifier {
public:
    virtual ~CDriveIdentifier() = default;
};

// Probes the layer's disks 0 to 15 through the storage property query and fills the table (at most 10
// disks with media). The layer answers as an NT system with storage queries, so the SMART and Windows 9x
// driver paths of older systems have nothing to run on.
int IdentifyDrives();
bool IsOldNtPlatform();
void ReadDriveGeometry(HANDLE handle);
