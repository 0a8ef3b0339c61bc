// Sound output: 16-bit PCM to the system's audio device (ALSA), or to a sink tests put in its place.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

namespace audio {

struct Pcm {
    int rate = 0;
    int channels = 0;
    std::vector<int16_t> samples; // interleaved
};

class Sink {
public:
    virtual ~Sink() = default;
    // Plays to the end or until `stop` is set. False when no device could be opened.
    virtual bool Play(const Pcm& pcm, const std::atomic<bool>& stop) = 0;
};

// The sink sounds go to; null restores the system's device. Not owned.
void SetSink(Sink* sink);
Sink& CurrentSink();

} // namespace audio
