// libFuzzer target: arbitrary bytes loaded as a snapshot file. A file that loads must save again to a file that
// loads (a quick-scan or file-tracing snapshot comes back as the same kind).
#include "engine/engine_state.h"
#include "engine/snapshot_file.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (LoadSnapshotBytes(data, size) == SnapshotStatus::Ok && size >= 2 && (data[0] == 'D' || data[0] == 'R') &&
        data[1] == 0) {
        const std::vector<BYTE> again = EncodeSnapshot();
        if (LoadSnapshotBytes(again.data(), again.size()) != SnapshotStatus::Ok)
            __builtin_trap();
    }
    // Nothing loaded outlives its input, so the leak check at the end sees only what was really lost.
    FreeAllResultLists();
    return 0;
}
