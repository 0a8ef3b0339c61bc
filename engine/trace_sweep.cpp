// The file-tracing sweep over a sector range: run reads, per-sector outcome, and signature tests.
#include "engine/trace_sweep.h"

#include <algorithm>

TraceSweepResult SweepSignatures(uint64_t start, uint64_t end, uint64_t deviceSectors, const SignatureMatcher& matcher,
                                 TraceSweepSink& sink)
{
    TraceSweepResult result;
    std::vector<uint8_t> buffer(kTraceRunSectors * 512);
    std::vector<bool> unread;
    uint64_t done = 0;
    for (uint64_t sector = start; sector <= end && sector < deviceSectors;) {
        if (sink.ShouldStop()) {
            result.stopped = true;
            break;
        }
        const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(kTraceRunSectors, deviceSectors - sector));
        sink.RunStarting(sector, done);
        unread.assign(count, false);
        sink.ReadRun(sector, count, buffer.data(), unread);
        for (uint32_t i = 0; i < count; ++i, ++done) {
            if (sink.ShouldStop()) {
                result.stopped = true;
                return result;
            }
            sink.SectorStarting(done);
            if (unread[i]) {
                if (result.unreadSectors.size() < kTraceListedUnread)
                    result.unreadSectors.push_back(sector + i);
                ++result.unreadCount;
                continue;
            }
            ++result.tested;
            int id = matcher.Match(buffer.data() + static_cast<size_t>(i) * 512);
            if (id >= 0)
                sink.SectorMatched(sector + i, id);
        }
        sector += count;
    }
    return result;
}
