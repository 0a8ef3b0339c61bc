// The media player over GStreamer's playbin: opening with a deadline, frames through an appsink, the bus
// read on the owner's thread, and a guard against pictures too large to decode.
#include "preview/media_player.h"

#include "backend/images/image_decode.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

std::atomic<bool> g_silent{false};

// No single block of media memory may exceed a picture of the largest size allowed, 32 bits a pixel:
// a damaged file that declares a huge picture or chunk fails its allocation instead of taking the
// memory and the time to fill it.
// How often an opening file is checked for a stalled pipeline, in milliseconds.
constexpr int64_t kStallCheckMs = 150;

constexpr gsize kMaxMediaBlock = gsize(backend::kMaxImagePixels) * 4 + (gsize(1) << 20);

struct CappedAllocator {
    GstAllocator parent;
};
struct CappedAllocatorClass {
    GstAllocatorClass parent_class;
};

G_DEFINE_TYPE(CappedAllocator, capped_allocator, GST_TYPE_ALLOCATOR)

// Blocks come from the system allocator and go back to it: this allocator only refuses.
GstMemory* CappedAlloc(GstAllocator*, gsize size, GstAllocationParams* params)
{
    if (size > kMaxMediaBlock)
        return nullptr;
    GstAllocator* system = gst_allocator_find(GST_ALLOCATOR_SYSMEM);
    if (!system)
        return nullptr;
    GstMemory* memory = gst_allocator_alloc(system, size, params);
    gst_object_unref(system);
    return memory;
}

void CappedFree(GstAllocator*, GstMemory*) {}

void capped_allocator_class_init(CappedAllocatorClass* klass)
{
    GST_ALLOCATOR_CLASS(klass)->alloc = CappedAlloc;
    GST_ALLOCATOR_CLASS(klass)->free = CappedFree;
}

void capped_allocator_init(CappedAllocator*) {}

bool InitGStreamer()
{
    static const bool ok = [] {
        GError* error = nullptr;
        if (!gst_init_check(nullptr, nullptr, &error)) {
            if (error)
                g_error_free(error);
            return false;
        }
        gst_allocator_set_default(GST_ALLOCATOR(gst_object_ref_sink(g_object_new(capped_allocator_get_type(), nullptr))));
        return true;
    }();
    return ok;
}

bool HasFactory(const char* name)
{
    GstElementFactory* factory = gst_element_factory_find(name);
    if (!factory)
        return false;
    gst_object_unref(factory);
    return true;
}

GstFlowReturn OnNewPreroll(GstAppSink* sink, gpointer data)
{
    if (GstSample* sample = gst_app_sink_pull_preroll(sink)) {
        static_cast<CMediaPlayer*>(data)->OnSample(sample);
        gst_sample_unref(sample);
    }
    return GST_FLOW_OK;
}

GstFlowReturn OnNewSample(GstAppSink* sink, gpointer data)
{
    if (GstSample* sample = gst_app_sink_pull_sample(sink)) {
        static_cast<CMediaPlayer*>(data)->OnSample(sample);
        gst_sample_unref(sample);
    }
    return GST_FLOW_OK;
}

GstBusSyncReply OnBusSync(GstBus*, GstMessage*, gpointer data)
{
    static_cast<CMediaPlayer*>(data)->OnBusMessage();
    return GST_BUS_PASS;
}

// A stream that announces a picture beyond the caps gets caps nobody accepts in place of its own, so
// the element that announced it fails to negotiate before it allocates the picture.
GstPadProbeReturn OnPadEvent(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (!event || GST_EVENT_TYPE(event) != GST_EVENT_CAPS)
        return GST_PAD_PROBE_OK;
    GstCaps* caps = nullptr;
    gst_event_parse_caps(event, &caps);
    bool tooLarge = false;
    for (guint i = 0; caps && i < gst_caps_get_size(caps); ++i) {
        const GstStructure* s = gst_caps_get_structure(caps, i);
        int width = 0, height = 0;
        if (gst_structure_get_int(s, "width", &width) && gst_structure_get_int(s, "height", &height) &&
            !backend::ImageSizeAllowed(width, height))
            tooLarge = true;
    }
    if (!tooLarge)
        return GST_PAD_PROBE_OK;
    static_cast<CMediaPlayer*>(data)->OnOversizedCaps();
    gst_event_unref(event);
    GST_PAD_PROBE_INFO_DATA(info) = gst_event_new_caps(gst_caps_new_empty_simple("application/x-oversized"));
    return GST_PAD_PROBE_OK;
}

gboolean WatchPad(GstElement*, GstPad* pad, gpointer data)
{
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, OnPadEvent, data, nullptr);
    return TRUE;
}

void OnPadAdded(GstElement* element, GstPad* pad, gpointer data)
{
    if (GST_PAD_IS_SRC(pad))
        WatchPad(element, pad, data);
}

// Every element the pipeline grows (demuxers, decoders, converters) has its output watched.
void OnDeepElementAdded(GstBin*, GstBin*, GstElement* element, gpointer data)
{
    gst_element_foreach_src_pad(element, WatchPad, data);
    g_signal_connect(element, "pad-added", G_CALLBACK(OnPadAdded), data);
}

// Whether some element of the pipeline still has a streaming thread at work. Errors of elements that
// are being plugged in can be lost inside the decoding bin; the pipeline then waits with every thread
// paused, and this tells that stall from a file still being read.
bool AnyStreamingTaskRunning(GstElement* pipeline)
{
    // A bin that changes while it is walked is at work as well.
    bool running = false;
    GstIterator* elements = gst_bin_iterate_recurse(GST_BIN(pipeline));
    GValue item = G_VALUE_INIT;
    GstIteratorResult next;
    while (!running && (next = gst_iterator_next(elements, &item)) != GST_ITERATOR_DONE) {
        if (next != GST_ITERATOR_OK) {
            running = true;
            break;
        }
        auto* element = GST_ELEMENT(g_value_get_object(&item));
        GstIterator* pads = gst_element_iterate_pads(element);
        GValue padItem = G_VALUE_INIT;
        GstIteratorResult nextPad;
        while (!running && (nextPad = gst_iterator_next(pads, &padItem)) != GST_ITERATOR_DONE) {
            if (nextPad != GST_ITERATOR_OK) {
                running = true;
                break;
            }
            GstPad* pad = GST_PAD(g_value_get_object(&padItem));
            GST_OBJECT_LOCK(pad);
            GstTask* task = GST_PAD_TASK(pad);
            if (task && gst_task_get_state(task) == GST_TASK_STARTED)
                running = true;
            GST_OBJECT_UNLOCK(pad);
            g_value_reset(&padItem);
        }
        g_value_unset(&padItem);
        gst_iterator_free(pads);
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(elements);
    return running;
}

} // namespace

CMediaPlayer::CMediaPlayer(HWND notify, UINT frameMessage, UINT busMessage)
    : m_notify(notify), m_frameMessage(frameMessage), m_busMessage(busMessage)
{
}

CMediaPlayer::~CMediaPlayer() { Close(); }

void CMediaPlayer::SetSilent(bool silent) { g_silent = silent; }

bool CMediaPlayer::IsAvailable()
{
    return InitGStreamer() && HasFactory("playbin") && HasFactory("appsink");
}

bool CMediaPlayer::Open(const std::string& path, DWORD timeoutMs)
{
    Close();
    m_error.clear();
    m_missingPlugin = false;
    if (!IsAvailable()) {
        m_error = "playback is not available";
        m_state = Failed;
        return false;
    }
    GError* error = nullptr;
    gchar* uri = gst_filename_to_uri(path.c_str(), &error);
    if (!uri) {
        if (error)
            g_error_free(error);
        m_error = "invalid file name";
        m_state = Failed;
        return false;
    }
    m_pipeline = gst_element_factory_make("playbin", nullptr);
    m_videoSink = gst_element_factory_make("appsink", nullptr);
    GstElement* audioSink = g_silent ? gst_element_factory_make("fakesink", nullptr) : nullptr;
    if (!m_pipeline || !m_videoSink) {
        if (m_pipeline)
            gst_object_unref(gst_object_ref_sink(m_pipeline));
        if (m_videoSink)
            gst_object_unref(gst_object_ref_sink(m_videoSink));
        if (audioSink)
            gst_object_unref(gst_object_ref_sink(audioSink));
        m_pipeline = m_videoSink = nullptr;
        g_free(uri);
        m_error = "playback is not available";
        m_state = Failed;
        return false;
    }
    gst_object_ref_sink(m_pipeline);

    GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", nullptr);
    g_object_set(m_videoSink, "caps", caps, "max-buffers", 1u, "drop", TRUE, "sync", TRUE, "enable-last-sample", FALSE,
                 nullptr);
    gst_caps_unref(caps);
    GstAppSinkCallbacks callbacks;
    std::memset(&callbacks, 0, sizeof callbacks);
    callbacks.new_preroll = OnNewPreroll;
    callbacks.new_sample = OnNewSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(m_videoSink), &callbacks, this, nullptr);
    if (audioSink) {
        g_object_set(audioSink, "sync", TRUE, nullptr);
        g_object_set(m_pipeline, "audio-sink", audioSink, nullptr);
    }
    g_object_set(m_pipeline, "uri", uri, "video-sink", m_videoSink, nullptr);
    g_free(uri);
    // Subtitles are neither looked for beside the file nor shown.
    guint flags = 0;
    g_object_get(m_pipeline, "flags", &flags, nullptr);
    g_object_set(m_pipeline, "flags", flags & ~guint(1u << 2), nullptr);

    g_signal_connect(m_pipeline, "deep-element-added", G_CALLBACK(OnDeepElementAdded), this);
    GstBus* bus = gst_element_get_bus(m_pipeline);
    gst_bus_set_sync_handler(bus, OnBusSync, this, nullptr);
    gst_object_unref(bus);

    if (!WaitUntilPrerolled(timeoutMs)) {
        std::string why = m_error;
        Close();
        m_error = why;
        m_state = Failed;
        return false;
    }
    m_state = Paused;
    if (GstPad* pad = gst_element_get_static_pad(m_videoSink, "sink")) {
        if (GstCaps* current = gst_pad_get_current_caps(pad)) {
            GstVideoInfo info;
            if (gst_video_info_from_caps(&info, current) &&
                backend::ImageSizeAllowed(GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info))) {
                m_videoWidth = GST_VIDEO_INFO_WIDTH(&info);
                m_videoHeight = GST_VIDEO_INFO_HEIGHT(&info);
            }
            gst_caps_unref(current);
        }
        gst_object_unref(pad);
    }
    return true;
}

bool CMediaPlayer::WaitUntilPrerolled(DWORD timeoutMs)
{
    const GstStateChangeReturn change = gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
    if (change == GST_STATE_CHANGE_SUCCESS || change == GST_STATE_CHANGE_NO_PREROLL)
        return !m_tooLarge;
    // A refused change leaves its reason on the bus at once; otherwise the file has until the
    // deadline to show its first frame.
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(change == GST_STATE_CHANGE_FAILURE ? 0 : timeoutMs);
    GstBus* bus = gst_element_get_bus(m_pipeline);
    bool ok = false;
    int idle = 0;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        GstMessage* message = gst_bus_timed_pop_filtered(
            bus, GstClockTime(std::clamp<int64_t>(left.count(), 0, kStallCheckMs)) * GST_MSECOND,
            GstMessageType(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR | GST_MESSAGE_EOS | GST_MESSAGE_ELEMENT));
        if (!message) {
            if (std::chrono::steady_clock::now() >= deadline) {
                m_error = change == GST_STATE_CHANGE_FAILURE ? "the file cannot be opened" : "the file did not open in time";
                break;
            }
            // Two checks in a row, so a thread handing over to the next does not count as a stall.
            idle = AnyStreamingTaskRunning(m_pipeline) ? 0 : idle + 1;
            if (idle >= 2) {
                m_error = "the file stopped before its first frame";
                break;
            }
            continue;
        }
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ELEMENT) {
            // The decoding bin names what it lacks before it fails.
            const GstStructure* s = gst_message_get_structure(message);
            if (s && gst_structure_has_name(s, "missing-plugin"))
                m_missingPlugin = true;
            gst_message_unref(message);
            continue;
        }
        switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ASYNC_DONE: ok = change != GST_STATE_CHANGE_FAILURE; break;
        case GST_MESSAGE_ERROR: {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            m_error = error && error->message ? error->message : "the file cannot be played";
            if (error)
                g_error_free(error);
            break;
        }
        default: m_error = "the file holds nothing to play"; break;
        }
        gst_message_unref(message);
        break;
    }
    gst_object_unref(bus);
    if (m_tooLarge) {
        m_error = "the picture is too large";
        ok = false;
    }
    return ok;
}

void CMediaPlayer::Play()
{
    if (!m_pipeline || m_state == Failed)
        return;
    if (m_state == Ended)
        gst_element_seek_simple(m_pipeline, GST_FORMAT_TIME, GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT), 0);
    if (gst_element_set_state(m_pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        m_state = Failed;
        return;
    }
    m_state = Playing;
}

void CMediaPlayer::Stop()
{
    if (!m_pipeline || m_state == Failed)
        return;
    gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
    m_state = Stopped;
}

void CMediaPlayer::Pause()
{
    if (!m_pipeline || m_state == Failed)
        return;
    gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
    m_state = Paused;
}

void CMediaPlayer::Close()
{
    if (m_pipeline) {
        // Going to NULL stops and joins every streaming thread, so no callback runs after this.
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
        GstBus* bus = gst_element_get_bus(m_pipeline);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_bus_set_flushing(bus, TRUE);
        gst_object_unref(bus);
        g_signal_handlers_disconnect_by_data(m_pipeline, this);
        gst_object_unref(m_pipeline);
    }
    m_pipeline = nullptr;
    m_videoSink = nullptr;
    m_state = Closed;
    m_videoWidth = m_videoHeight = 0;
    m_tooLarge = false;
    m_framePosted = false;
    m_busPosted = false;
    std::lock_guard<std::mutex> lock(m_frameLock);
    m_pending = Frame();
    m_hasPending = false;
}

bool CMediaPlayer::PollBus()
{
    if (!m_pipeline)
        return false;
    m_busPosted = false;
    const State before = m_state;
    GstBus* bus = gst_element_get_bus(m_pipeline);
    while (GstMessage* message = gst_bus_pop(bus)) {
        switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ERROR: {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            m_error = error && error->message ? error->message : "the file cannot be played";
            if (error)
                g_error_free(error);
            m_state = Failed;
            break;
        }
        case GST_MESSAGE_EOS:
            if (m_state != Failed)
                m_state = Ended;
            break;
        default:
            break;
        }
        gst_message_unref(message);
    }
    gst_object_unref(bus);
    if (m_tooLarge)
        m_state = Failed;
    // A failed pipeline stops at once; its last frame stays on show.
    if (m_state == Failed && before != Failed)
        gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
    return m_state != before;
}

bool CMediaPlayer::TakeFrame(Frame& out)
{
    m_framePosted = false;
    std::lock_guard<std::mutex> lock(m_frameLock);
    if (!m_hasPending)
        return false;
    std::swap(out, m_pending);
    m_hasPending = false;
    return true;
}

int64_t CMediaPlayer::DurationMs() const
{
    gint64 duration = 0;
    if (!m_pipeline || !gst_element_query_duration(m_pipeline, GST_FORMAT_TIME, &duration) || duration < 0)
        return -1;
    return duration / GST_MSECOND;
}

int64_t CMediaPlayer::PositionMs() const
{
    gint64 position = 0;
    if (!m_pipeline || !gst_element_query_position(m_pipeline, GST_FORMAT_TIME, &position) || position < 0)
        return -1;
    return position / GST_MSECOND;
}

void CMediaPlayer::OnSample(void* p)
{
    GstSample* sample = static_cast<GstSample*>(p);
    GstCaps* caps = gst_sample_get_caps(sample);
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstVideoInfo info;
    if (!caps || !buffer || !gst_video_info_from_caps(&info, caps) ||
        GST_VIDEO_INFO_FORMAT(&info) != GST_VIDEO_FORMAT_BGRx ||
        !backend::ImageSizeAllowed(GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info)))
        return;
    GstVideoFrame frame;
    if (!gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ))
        return;
    const int width = GST_VIDEO_FRAME_WIDTH(&frame), height = GST_VIDEO_FRAME_HEIGHT(&frame);
    const auto* src = static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
    const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
    {
        std::lock_guard<std::mutex> lock(m_frameLock);
        m_pending.width = width;
        m_pending.height = height;
        m_pending.pixels.resize(size_t(width) * size_t(height));
        for (int y = 0; y < height; ++y) {
            uint32_t* row = m_pending.pixels.data() + size_t(y) * size_t(width);
            std::memcpy(row, src + ptrdiff_t(y) * stride, size_t(width) * 4);
            for (int x = 0; x < width; ++x)
                row[x] |= 0xFF000000u;
        }
        m_hasPending = true;
    }
    gst_video_frame_unmap(&frame);
    if (!m_framePosted.exchange(true))
        ::PostMessageW(m_notify, m_frameMessage, 0, 0);
}

void CMediaPlayer::OnBusMessage()
{
    if (!m_busPosted.exchange(true))
        ::PostMessageW(m_notify, m_busMessage, 0, 0);
}

// The stream stops where it is, so the pipeline says so at once instead of waiting for data.
void CMediaPlayer::OnOversizedCaps()
{
    if (m_tooLarge.exchange(true))
        return;
    GError* error = g_error_new_literal(GST_STREAM_ERROR, GST_STREAM_ERROR_DECODE, "the picture is too large");
    gst_element_post_message(m_pipeline, gst_message_new_error(GST_OBJECT(m_pipeline), error, nullptr));
    g_error_free(error);
}
