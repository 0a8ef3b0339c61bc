// CMediaPlayer: plays one sound or movie file through GStreamer's playbin. Video frames arrive from the
// streaming threads as 32-bit pixels; the owner window is told of new frames and bus messages only by
// posted messages and reads both on its own thread.
#pragma once

#include "win32/win32.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

typedef struct _GstElement GstElement;
typedef struct _GstBus GstBus;

class CMediaPlayer {
public:
    enum State { Closed, Stopped, Paused, Playing, Ended, Failed };

    // Pixels top-down, 0x00RRGGBB (B, G, R, x in memory), width × height.
    struct Frame {
        int width = 0;
        int height = 0;
        std::vector<uint32_t> pixels;
    };

    // Posts `frameMessage` to `notify` when a new frame waits and `busMessage` when the pipeline has
    // news (an error, the end); either may come from any thread.
    CMediaPlayer(HWND notify, UINT frameMessage, UINT busMessage);
    ~CMediaPlayer();
    CMediaPlayer(const CMediaPlayer&) = delete;
    CMediaPlayer& operator=(const CMediaPlayer&) = delete;

    // Sends sound to a fake sink instead of the sound device, for the whole process (tests, machines
    // without sound).
    static void SetSilent(bool silent);
    // Whether GStreamer and its playback elements can be used here.
    static bool IsAvailable();

    // Opens the file (a Linux path) and waits, at most `timeoutMs` of real time, until it is ready
    // to play with its first frame decoded. False for a file that cannot be played, a picture beyond
    // the size caps, or a file not ready in time; the player is then closed.
    bool Open(const std::string& path, DWORD timeoutMs = 10000);
    void Play();
    // Holds the movie at its position, the current frame kept.
    void Stop();
    void Pause();
    // Stops the streaming threads and lets the file go.
    void Close();

    // Reads the bus on the caller's thread: an error fails the player, the end of the stream ends it.
    // True when the state changed.
    bool PollBus();
    // The newest frame, when one arrived since the last call.
    bool TakeFrame(Frame& out);

    State GetState() const { return m_state; }
    bool HasVideo() const { return m_videoWidth > 0; }
    int VideoWidth() const { return m_videoWidth; }
    int VideoHeight() const { return m_videoHeight; }
    // Milliseconds; -1 when unknown.
    int64_t DurationMs() const;
    int64_t PositionMs() const;
    // The last error's text from GStreamer, for the status line.
    const std::string& ErrorText() const { return m_error; }
    // Whether the last file failed for want of a demuxer or decoder rather than for its contents.
    bool MissingPlugin() const { return m_missingPlugin; }

    // Called by the streaming threads.
    void OnSample(void* sample);
    void OnBusMessage();
    void OnOversizedCaps();

private:
    bool WaitUntilPrerolled(DWORD timeoutMs);

    HWND m_notify;
    UINT m_frameMessage, m_busMessage;
    GstElement* m_pipeline = nullptr;
    GstElement* m_videoSink = nullptr;
    State m_state = Closed;
    int m_videoWidth = 0, m_videoHeight = 0;
    std::string m_error;
    bool m_missingPlugin = false;

    std::mutex m_frameLock;
    Frame m_pending; // guarded by m_frameLock
    bool m_hasPending = false;
    std::atomic<bool> m_framePosted{false};
    std::atomic<bool> m_busPosted{false};
    std::atomic<bool> m_tooLarge{false};
};
