// The file-tracing sweep: runs of sectors read and tested against the signatures, apart from disk and display.
#pragma once

#include "engine/signature_match.h"

#include <cstdint>
#include <vector>

// Sectors per run read of the tracing sweep.
constexpr uint32_t kTraceRunSectors = 64;
// Unreadable sectors listed by number in a sweep's result (all of them are counted).
constexpr size_t kTraceListedUnread = 1000;

// What the sweep asks of its caller: reading, stopping, and what to do with each run and each match.
class TraceSweepSink {
public:
    virtual ~TraceSweepSink() = default;
    // Reads `count` sectors from `first` into `buffer`; sets unread[i] for every sector that could not be read.
    virtual void ReadRun(uint64_t first, uint32_t count, uint8_t* buffer, std::vector<bool>& unread) = 0;
    // The poll point between sectors; true ends the sweep.
    virtual bool ShouldStop() = 0;
    // A run is about to be read; `done` sectors have been tested so far.
    virtual void RunStarting(uint64_t first, uint64_t done) {}
    // Before each sector is tested (progress).
    virtual void SectorStarting(uint64_t done) {}
    // `sector` begins with the signature that the matcher knows as `id`.
    virtual void SectorMatched(uint64_t sector, int id) = 0;
};

struct TraceSweepResult {
    uint64_t tested = 0;                 // sectors read and compared
    uint64_t unreadCount = 0;            // sectors skipped because they could not be read
    std::vector<uint64_t> unreadSectors; // the first kTraceListedUnread of them
    bool stopped = false;                // ended by ShouldStop
};

// Tests every sector from `start` in runs of 64 until the run that passes `end`, which is still tested to its end,
// but never beyond the device's last sector (`deviceSectors` - 1). A sector that could not be read is skipped and
// reported, never tested.
TraceSweepResult SweepSignatures(uint64_t start, uint64_t end, uint64_t deviceSectors, const SignatureMatcher& matcher,
                                 TraceSweepSink& sink);
