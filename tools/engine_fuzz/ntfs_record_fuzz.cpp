// libFuzzer target: the NTFS record readers on one 1024-byte record (fixups, names, sizes, attribute list, data
// extents) and the run-list decoder on the bytes after it.
#include "engine/engine_state.h"
#include "engine/ntfs_record.h"
#include "engine/ntfs_runs.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<BYTE> record(kMftRecordSize, 0);
    std::memcpy(record.data(), data, size < record.size() ? size : record.size());
    ApplyFixups(record.data(), DWORD(record.size()));
    WCHAR name[kNtfsNameChars];
    DWORD parent = 0, offset = 0;
    ULONGLONG created = 0, changed = 0, bytes = 0;
    GetBestFileName(record.data(), name, &parent, &created, &changed);
    GetDataAttrSize(0, &bytes, record.data(), 0);
    CollectAttributeList(record.data(), 40);
    if (RecordPieceCount > kMaxRecordPieces)
        __builtin_trap();
    if (FindDataAttr(record.data(), &offset) == 2)
        GetFileExtents(kMftRecordSize, record.data(), offset);
    FreeExtents();

    if (size > kMftRecordSize) {
        std::vector<BYTE> list(data + kMftRecordSize, data + size);
        std::vector<DataRun> runs;
        DecodeRunList(list.data(), list.data() + list.size(), &runs);
        for (const DataRun& r : runs)
            if (r.Length == 0 || r.Length > 0xFFFFFFFFULL || (!r.Sparse && (r.Lcn < 0 || r.Lcn > 0xFFFFFFFFLL)))
                __builtin_trap();
    }
    return 0;
}
