// Sound output through ALSA's default device.
#include "backend/audio/audio.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <mutex>

namespace audio {

namespace {

void Quiet(const char*, int, const char*, int, const char*, ...)
{
    // A machine without a sound card is normal here; the failure is reported by the return value.
}

class AlsaSink : public Sink {
public:
    bool Play(const Pcm& pcm, const std::atomic<bool>& stop) override
    {
        if (pcm.rate <= 0 || pcm.channels <= 0 || pcm.channels > 8)
            return false;
        static std::once_flag once;
        std::call_once(once, [] { snd_lib_error_set_handler(Quiet); });
        snd_pcm_t* dev = nullptr;
        if (snd_pcm_open(&dev, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0)
            return false;
        if (snd_pcm_set_params(dev, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, (unsigned)pcm.channels,
                               (unsigned)pcm.rate, 1, 100000) < 0) {
            snd_pcm_close(dev);
            return false;
        }
        size_t frames = pcm.samples.size() / (size_t)pcm.channels, at = 0;
        // Written in short pieces, so a stop takes effect within a few milliseconds.
        const size_t piece = (size_t)std::max(1, pcm.rate / 50);
        while (at < frames && !stop) {
            size_t n = std::min(piece, frames - at);
            snd_pcm_sframes_t done = snd_pcm_writei(dev, pcm.samples.data() + at * pcm.channels, n);
            if (done < 0)
                done = snd_pcm_recover(dev, (int)done, 1) < 0 ? -1 : 0;
            if (done < 0)
                break;
            at += (size_t)done;
        }
        if (stop)
            snd_pcm_drop(dev);
        else
            snd_pcm_drain(dev);
        snd_pcm_close(dev);
        return true;
    }
};

std::atomic<Sink*> g_sink{nullptr};

} // namespace

void SetSink(Sink* sink)
{
    g_sink = sink;
}

Sink& CurrentSink()
{
    static AlsaSink alsa;
    Sink* s = g_sink;
    return s ? *s : alsa;
}

} // namespace audio
