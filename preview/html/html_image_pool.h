// ImagePool: the images of a page, read by a fixed set of worker threads from local files beside the page.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "preview/html/html_text.h"
#include "win32/win32.h"

// Posted to the pool's window after each finished load, with (finished, total) by value.
constexpr UINT WM_HTML_IMAGE_LOADED = WM_USER + 23;
constexpr int kMaxImageLoaders = 11;
// A page's images and pages read from disk are limited in size; larger files are not loaded.
constexpr size_t kMaxImageBytes = 16u << 20;
constexpr size_t kMaxPageBytes = 32u << 20;

// The bytes of a local regular file named by a "file://" address (or a plain path), at most
// maxBytes; false for any other address, a device, a FIFO or a larger file. Nothing is fetched
// from the network: a recovered page must not make the program contact the hosts it names.
bool FetchLocalFile(HtmlView address, size_t maxBytes, std::string& out);

struct ImageRequest {
    HtmlText address;
    int tag = 0;
    // Written by the loader before `finished` is set under the pool's lock.
    std::string data;
    bool failed = false;
    bool finished = false;
    // Decoded on the user-interface thread; the placeholder until the bytes make a picture.
    HBITMAP bitmap = nullptr;
    int width = 0, height = 0;
    bool decoded = false;
};

class ImagePool {
public:
    explicit ImagePool(HWND notify = nullptr) : m_hNotify(notify) {}
    ~ImagePool();
    ImagePool(const ImagePool&) = delete;
    ImagePool& operator=(const ImagePool&) = delete;

    // The request for an address and tag, made and queued when it is new.
    int AddImage(const HtmlText& address, int tag);
    int GetCount();
    bool IsFinished(int index);
    int GetFinishedCount();
    // The decoded size (the placeholder's until a picture is decoded); never waits.
    void GetSize(int index, int& cx, int& cy);
    // Draws image `index` stretched into the rectangle.
    void StretchImage(int index, HDC dc, int x, int y, int cx, int cy);
    // Stops the loaders: queued loads are dropped, running reads end on their own (bounded local
    // files), and the requests are freed. Never waits on the user-interface thread's messages.
    void Stop();
    void SetNotifyWindow(HWND hwnd) { m_hNotify = hwnd; }

private:
    static DWORD WINAPI LoaderThread(LPVOID self);
    void RunLoader();
    HBITMAP Placeholder();
    // The request's picture, decoded once its bytes are in (user-interface thread); null until then.
    ImageRequest* Ready(int index);

    HWND m_hNotify;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::vector<std::unique_ptr<ImageRequest>> m_requests;
    std::deque<ImageRequest*> m_queue;
    std::vector<HANDLE> m_threads;
    int m_nActive = 0;
    int m_nFinished = 0;
    bool m_bStopping = false;
    HBITMAP m_hPlaceholder = nullptr;
};
