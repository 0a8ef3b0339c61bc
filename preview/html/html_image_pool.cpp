// The image pool: a queue served by at most eleven loader threads, local files only, results posted by value.
#include "preview/html/html_image_pool.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "preview/html/html_document.h"
#include "win32/picture.h"

namespace {

// The picture in a file's bytes, copied into a bitmap of the screen; null when they are no picture.
HBITMAP DecodePicture(const std::string& data, int& width, int& height)
{
    if (data.empty())
        return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, data.size());
    if (!block)
        return nullptr;
    memcpy(GlobalLock(block), data.data(), data.size());
    GlobalUnlock(block);
    IStream* stream = nullptr;
    IPicture* picture = nullptr;
    if (SUCCEEDED(CreateStreamOnHGlobal(block, FALSE, &stream)) && stream) {
        if (FAILED(OleLoadPicture(stream, LONG(data.size()), TRUE, IID_IPicture,
                                  reinterpret_cast<void**>(&picture))))
            picture = nullptr;
        stream->Release();
    }
    GlobalFree(block);
    if (!picture)
        return nullptr;
    HBITMAP copy = nullptr;
    OLE_HANDLE handle = 0;
    BITMAP info{};
    DWORD attributes = 0;
    int fullWidth = 0, fullHeight = 0;
    if (SUCCEEDED(picture->get_Attributes(&attributes)) && !(attributes & PICTURE_TRANSPARENT) &&
        dovemark::PicturePixelSize(picture, fullWidth, fullHeight)) {
        // An opaque picture draws itself into the copy, so one that holds only part of its pixels (a GIF
        // frame on a large screen) never builds a second whole bitmap.
        width = std::min(fullWidth, kMaxLength);
        height = std::min(fullHeight, kMaxLength);
        HDC screen = GetDC(nullptr);
        copy = CreateCompatibleBitmap(screen, width, height);
        HDC to = CreateCompatibleDC(screen);
        HGDIOBJ oldTo = SelectObject(to, copy);
        OLE_XSIZE_HIMETRIC hmWidth = 0;
        OLE_YSIZE_HIMETRIC hmHeight = 0;
        picture->get_Width(&hmWidth);
        picture->get_Height(&hmHeight);
        // The copy holds the top left of a picture larger than the renderer takes, at its own size.
        const LONG cx = LONG(int64_t(hmWidth) * width / fullWidth), cy = LONG(int64_t(hmHeight) * height / fullHeight);
        picture->Render(to, 0, 0, width, height, 0, hmHeight, cx, -cy, nullptr);
        SelectObject(to, oldTo);
        DeleteDC(to);
        ReleaseDC(nullptr, screen);
    } else if (SUCCEEDED(picture->get_Handle(&handle)) &&
        GetObjectW(HBITMAP(uintptr_t(handle)), sizeof info, &info) && info.bmWidth > 0 && info.bmHeight != 0) {
        width = std::min(info.bmWidth, kMaxLength);
        height = std::min(std::abs(info.bmHeight), kMaxLength);
        HDC screen = GetDC(nullptr);
        copy = CreateCompatibleBitmap(screen, width, height);
        HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
        HGDIOBJ oldFrom = SelectObject(from, HBITMAP(uintptr_t(handle)));
        HGDIOBJ oldTo = SelectObject(to, copy);
        BitBlt(to, 0, 0, width, height, from, 0, 0, SRCCOPY);
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
        DeleteDC(from);
        DeleteDC(to);
        ReleaseDC(nullptr, screen);
    }
    picture->Release();
    return copy;
}

} // namespace

bool FetchLocalFile(HtmlView address, size_t maxBytes, std::string& out)
{
    out.clear();
    HtmlText path;
    if (StartsWithNoCase(address, u"file://"))
        path = HtmlText(address.substr(7));
    else if (address.find(u"://") == HtmlView::npos)
        path = HtmlText(address);
    else
        return false;
    std::replace(path.begin(), path.end(), u'\\', u'/');
    if (path.empty() || path.find(u'\0') != HtmlText::npos)
        return false;
    std::string narrow = WideToAnsi(path, CP_UTF8);
    // Non-blocking open: a FIFO or a device named by a page must not hang the reader.
    int fd = ::open(narrow.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && size_t(st.st_size) <= maxBytes;
    if (ok) {
        out.resize(size_t(st.st_size));
        size_t got = 0;
        while (got < out.size()) {
            ssize_t n = ::read(fd, &out[got], out.size() - got);
            if (n <= 0)
                break;
            got += size_t(n);
        }
        out.resize(got);
    }
    ::close(fd);
    return ok;
}

ImagePool::~ImagePool() { Stop(); }

int ImagePool::AddImage(const HtmlText& address, int tag)
{
    std::lock_guard<std::mutex> guard(m_lock);
    for (size_t i = 0; i < m_requests.size(); ++i)
        if (m_requests[i]->address == address && m_requests[i]->tag == tag)
            return int(i);
    if (m_bStopping)
        return -1;
    m_requests.push_back(std::make_unique<ImageRequest>());
    ImageRequest* request = m_requests.back().get();
    request->address = address;
    request->tag = tag;
    m_queue.push_back(request);
    // One more loader while the queue is longer than the loaders waiting for it, up to the limit.
    if (int(m_threads.size()) < kMaxImageLoaders && int(m_threads.size()) - m_nActive < int(m_queue.size())) {
        if (HANDLE thread = CreateThread(nullptr, 0, LoaderThread, this, 0, nullptr))
            m_threads.push_back(thread);
    }
    m_wake.notify_one();
    return int(m_requests.size() - 1);
}

DWORD WINAPI ImagePool::LoaderThread(LPVOID self)
{
    static_cast<ImagePool*>(self)->RunLoader();
    return 0;
}

void ImagePool::RunLoader()
{
    std::unique_lock<std::mutex> lock(m_lock);
    for (;;) {
        m_wake.wait(lock, [this] { return m_bStopping || !m_queue.empty(); });
        if (m_bStopping)
            return;
        ImageRequest* request = m_queue.front();
        m_queue.pop_front();
        ++m_nActive;
        HtmlText address = request->address;
        lock.unlock();
        std::string data;
        bool ok = FetchLocalFile(address, kMaxImageBytes, data);
        lock.lock();
        --m_nActive;
        request->data = std::move(data);
        request->failed = !ok;
        request->finished = true;
        ++m_nFinished;
        // Only a posted message with the counts by value: the worker never sends to a window
        // (that would wait on the user-interface thread) nor touches the document.
        if (m_hNotify && !m_bStopping)
            PostMessageW(m_hNotify, WM_HTML_IMAGE_LOADED, WPARAM(m_nFinished), LPARAM(m_requests.size()));
    }
}

int ImagePool::GetCount()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return int(m_requests.size());
}

bool ImagePool::IsFinished(int index)
{
    std::lock_guard<std::mutex> guard(m_lock);
    return index >= 0 && size_t(index) < m_requests.size() && m_requests[size_t(index)]->finished;
}

int ImagePool::GetFinishedCount()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_nFinished;
}

HBITMAP ImagePool::Placeholder()
{
    if (!m_hPlaceholder) {
        HDC screen = GetDC(nullptr);
        m_hPlaceholder = CreateCompatibleBitmap(screen, kPlaceholderWidth, kPlaceholderHeight);
        HDC mem = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(mem, m_hPlaceholder);
        RECT r = {0, 0, kPlaceholderWidth, kPlaceholderHeight};
        FillRect(mem, &r, HBRUSH(GetStockObject(WHITE_BRUSH)));
        SelectObject(mem, old);
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
    }
    return m_hPlaceholder;
}

ImageRequest* ImagePool::Ready(int index)
{
    ImageRequest* request = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (index < 0 || size_t(index) >= m_requests.size() || !m_requests[size_t(index)]->finished)
            return nullptr;
        request = m_requests[size_t(index)].get();
    }
    // A finished request is no longer written by its loader.
    if (!request->decoded) {
        request->decoded = true;
        request->bitmap = DecodePicture(request->data, request->width, request->height);
        request->data.clear();
        request->data.shrink_to_fit();
    }
    return request->bitmap ? request : nullptr;
}

void ImagePool::GetSize(int index, int& cx, int& cy)
{
    // An image not yet read, or no picture, holds the placeholder's room; the layout never waits.
    ImageRequest* request = Ready(index);
    cx = request ? request->width : kPlaceholderWidth;
    cy = request ? request->height : kPlaceholderHeight;
}

void ImagePool::StretchImage(int index, HDC dc, int x, int y, int cx, int cy)
{
    ImageRequest* request = Ready(index);
    HBITMAP bitmap = request ? request->bitmap : Placeholder();
    if (!bitmap)
        return;
    int width = request ? request->width : kPlaceholderWidth;
    int height = request ? request->height : kPlaceholderHeight;
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, bitmap);
    StretchBlt(dc, x, y, cx, cy, mem, 0, 0, width, height, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
}

void ImagePool::Stop()
{
    std::vector<HANDLE> threads;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_bStopping = true;
        m_queue.clear();
        threads.swap(m_threads);
    }
    m_wake.notify_all();
    for (HANDLE thread : threads) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    std::lock_guard<std::mutex> guard(m_lock);
    for (auto& request : m_requests)
        if (request->bitmap && request->bitmap != m_hPlaceholder)
            DeleteObject(request->bitmap);
    m_requests.clear();
    if (m_hPlaceholder) {
        DeleteObject(m_hPlaceholder);
        m_hPlaceholder = nullptr;
    }
    m_nFinished = 0;
    m_bStopping = false;
}
