// NTFS data runs: decoding run lists, a file's extents, and the MFT run table.
#pragma once

#include "win32/types.h"

#include <map>
#include <vector>

struct DataRun {
    ULONGLONG Length; // clusters
    LONGLONG Lcn;     // first cluster; meaningless when Sparse
    bool Sparse;
};

enum RunListStatus {
    RUNS_OK = 0,
    RUNS_TRUNCATED,   // the list runs past its attribute without a terminator
    RUNS_BAD_HEADER,  // a header byte with a length field of 0 or over 8 bytes, or an offset field over 8
    RUNS_UNSUPPORTED, // a length or cluster that does not fit the engine's 32-bit fields
};

// Decodes the run list in [p, end). Sparse runs (no offset bytes) leave the cluster base unchanged.
// Runs decoded before a fault are kept.
RunListStatus DecodeRunList(const BYTE* p, const BYTE* end, std::vector<DataRun>* runs);

// Empties the extents list and fills it from the runs of the non-resident attribute at attrOffset
// of a record. 1 when the whole list decoded; 0 when it lies beyond endOffset or is damaged (the
// runs before the damage stay in the list; status tells which).
int GetFileExtents(DWORD endOffset, const BYTE* record, DWORD attrOffset, RunListStatus* status = nullptr);

// Where a record's attribute list held outside the record lies: the volume's data origin and cluster size, and the
// bounds its reading keeps to.
struct AttributeListPlace {
    ULONGLONG Origin = 0;        // sector of cluster 0
    DWORD SectorsPerCluster = 0;
    ULONGLONG VolumeSectors = 0; // clusters past this many sectors from the origin are not the volume's; 0: unknown
    ULONGLONG MaxBytes = 0;      // the most read
};
// The value of a record's attribute list, resident or read from its runs. A list longer than MaxBytes or than the
// volume, or whose runs leave the volume, is read only up to there and *cut is set; false when the record has no
// attribute list or its clusters could not be read.
bool ReadAttributeListValue(const BYTE* record, const AttributeListPlace& place, std::vector<BYTE>* value,
                            bool* cut = nullptr);

// MFT run table: run lengths and start sectors of the MFT's data. A start of 0 marks a hole.
struct MftRunTable {
    std::vector<DWORD> Lengths;
    std::vector<DWORD> Starts;
    // The MFT's sectors up to the end of each run, so a record is found by a search, not a walk of every run.
    std::vector<ULONGLONG> Ends;
    DWORD Count() const { return DWORD(Lengths.size()); }
    void Append(DWORD length, DWORD start)
    {
        Ends.push_back((Ends.empty() ? 0 : Ends.back()) + length);
        Lengths.push_back(length);
        Starts.push_back(start);
    }
    void Clear()
    {
        Lengths.clear();
        Starts.clear();
        Ends.clear();
    }
};
extern MftRunTable MftRuns;
constexpr DWORD kMaxMftRuns = 1u << 20;

// Builds the run table from the $DATA of MFT record 0 and of the extension records its attribute
// list names, no further than $MFT's real size and only over clusters of the volume (its boot sector's size, else
// the partition's, within the device). Returns the number of runs.
DWORD BuildMftRunTable(DWORD partitionStart, const char* devicePath, DWORD mftSector, DWORD sectorsPerCluster);
// What the MFT's runs may cover: clusters of the volume, and sectors still within $MFT's own size.
struct MftRunBounds {
    ULONGLONG VolumeClusters = ~0ULL;
    ULONGLONG SectorsLeft = ~0ULL;
    DWORD Dropped = 0;  // runs, or parts of runs, that lay outside the volume
    DWORD Repeated = 0; // runs, or parts of runs, over clusters an earlier run already gave
    std::map<ULONGLONG, ULONGLONG> Covered; // clusters given so far: first -> first past the range
};
// Appends runs (in clusters) to the table as sectors; false when the table is full, a start does not fit or the
// bounds' size is reached. Clusters outside the volume, and clusters an earlier run already gave, become holes, so
// later records keep their numbers.
bool AppendMftRuns(const std::vector<DataRun>& runs, ULONGLONG partitionStart, DWORD sectorsPerCluster,
                   MftRunBounds* bounds = nullptr);
// The sector of MFT record r; 0 when the table holds no such run.
int MftRecordToSector(DWORD recordNumber, DWORD* sector);
