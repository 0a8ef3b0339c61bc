// PlaySoundW: finds a wave resource, file or alias, and plays it on the audio device.
#include "win32/sound.h"
#include "win32/sound/wave.h"

#include "win32/kernel.h"
#include "win32/resources.h"
#include "win32/user.h"

#include <cmath>
#include <condition_variable>
#include <cstring>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

namespace sound {

namespace {

uint32_t Le32(const BYTE* p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

uint16_t Le16(const BYTE* p)
{
    return (uint16_t)(p[0] | p[1] << 8);
}

struct Tone {
    const char16_t* alias;
    int hz[2];
    int ms;
};

// The layer's own system sounds: short tones, told apart by pitch.
const Tone kTones[] = {
    {u".Default", {750, 0}, 180},         {u"SystemDefault", {750, 0}, 180},
    {u"SystemAsterisk", {1000, 0}, 180},  {u"SystemExclamation", {880, 880}, 240},
    {u"SystemHand", {440, 330}, 300},     {u"SystemQuestion", {660, 880}, 240},
    {u"SystemStart", {523, 784}, 300},    {u"SystemExit", {784, 523}, 300},
};

bool EqualNoCase(const std::u16string& a, const char16_t* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'a' && x <= u'z')
            x = (char16_t)(x - 32);
        if (y >= u'a' && y <= u'z')
            y = (char16_t)(y - 32);
        if (x != y)
            return false;
    }
    return i == a.size() && !b[i];
}

// One sound plays at a time; a new one, or a purge, stops the one before.
struct Player {
    std::mutex lock;
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> stop;
    std::shared_ptr<std::atomic<bool>> playing;
};

Player& P()
{
    static auto* p = new Player;
    return *p;
}

void StopCurrent()
{
    auto& p = P();
    std::thread old;
    {
        std::lock_guard<std::mutex> g(p.lock);
        if (p.stop)
            *p.stop = true;
        old = std::move(p.thread);
    }
    if (old.joinable())
        old.join();
}

bool Busy()
{
    auto& p = P();
    std::lock_guard<std::mutex> g(p.lock);
    return p.playing && *p.playing;
}

// Asynchronously, returns once a missing device is known, without waiting for the sound to end.
bool Play(audio::Pcm pcm, bool async)
{
    StopCurrent();
    auto stop = std::make_shared<std::atomic<bool>>(false);
    auto playing = std::make_shared<std::atomic<bool>>(true);
    if (!async) {
        {
            std::lock_guard<std::mutex> g(P().lock);
            P().stop = stop;
            P().playing = playing;
        }
        bool ok = audio::CurrentSink().Play(pcm, *stop);
        *playing = false;
        return ok;
    }
    auto result = std::make_shared<std::promise<bool>>();
    std::future<bool> opened = result->get_future();
    std::thread t([pcm = std::move(pcm), stop, playing, result] {
        bool ok = audio::CurrentSink().Play(pcm, *stop);
        *playing = false;
        result->set_value(ok);
    });
    {
        std::lock_guard<std::mutex> g(P().lock);
        P().stop = stop;
        P().playing = playing;
        P().thread = std::move(t);
    }
    // A missing device is known at once; a sound that plays is not waited for.
    if (opened.wait_for(std::chrono::milliseconds(50)) == std::future_status::ready)
        return opened.get();
    return true;
}

bool ReadFileBytes(LPCWSTR path, std::vector<BYTE>* out)
{
    HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(f, &size) && size.QuadPart > 0 && size.QuadPart <= (64LL << 20);
    if (ok) {
        out->resize((size_t)size.QuadPart);
        DWORD got = 0;
        ok = ReadFile(f, out->data(), (DWORD)out->size(), &got, nullptr) && got == out->size();
    }
    CloseHandle(f);
    return ok;
}

bool Resource(HMODULE module, LPCWSTR name, audio::Pcm* pcm)
{
    HRSRC r = FindResourceW(module, name, u"WAVE");
    HGLOBAL g = r ? LoadResource(module, r) : nullptr;
    auto* data = g ? (const BYTE*)LockResource(g) : nullptr;
    return data && ParseWave(data, SizeofResource(module, r), pcm);
}

} // namespace

bool ParseWave(const BYTE* data, size_t size, audio::Pcm* out)
{
    if (!data || size < 12 || memcmp(data, "RIFF", 4) != 0 || memcmp(data + 8, "WAVE", 4) != 0)
        return false;
    size_t end = std::min<size_t>(size, (size_t)Le32(data + 4) + 8);
    int format = 0, channels = 0, bits = 0;
    uint32_t rate = 0;
    const BYTE* samples = nullptr;
    size_t bytes = 0;
    for (size_t at = 12; at + 8 <= end;) {
        uint32_t len = Le32(data + at + 4);
        const BYTE* body = data + at + 8;
        size_t avail = std::min<size_t>(len, end - at - 8);
        if (!memcmp(data + at, "fmt ", 4) && avail >= 16) {
            format = Le16(body);
            channels = Le16(body + 2);
            rate = Le32(body + 4);
            bits = Le16(body + 14);
            if (format == 0xFFFE && avail >= 26)
                format = Le16(body + 24); // the sub-format of an extensible header
        } else if (!memcmp(data + at, "data", 4)) {
            samples = body;
            bytes = avail;
        }
        at += 8 + (size_t)len + (len & 1);
        if (at < 8 + (size_t)len) // wrapped
            break;
    }
    if (format != 1 || channels < 1 || channels > 8 || rate < 1000 || rate > 384000 || !samples ||
        (bits != 8 && bits != 16 && bits != 24 && bits != 32))
        return false;
    size_t step = (size_t)bits / 8;
    size_t count = bytes / step / (size_t)channels * (size_t)channels;
    out->rate = (int)rate;
    out->channels = channels;
    out->samples.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const BYTE* s = samples + i * step;
        int16_t v;
        if (bits == 8)
            v = (int16_t)((s[0] - 128) << 8); // 8-bit samples are unsigned
        else
            v = (int16_t)Le16(s + step - 2); // the top 16 bits of a wider sample
        out->samples[i] = v;
    }
    return true;
}

bool AliasSound(const std::u16string& alias, audio::Pcm* out)
{
    for (auto& t : kTones) {
        if (!EqualNoCase(alias, t.alias))
            continue;
        const int rate = 22050;
        int n = rate * t.ms / 1000;
        out->rate = rate;
        out->channels = 1;
        out->samples.resize((size_t)n);
        for (int i = 0; i < n; ++i) {
            int hz = t.hz[1] && i >= n / 2 ? t.hz[1] : t.hz[0];
            // A short fade at both ends keeps the tone from clicking.
            double fade = std::min(1.0, std::min(i, n - i) / (rate * 0.01));
            out->samples[(size_t)i] = (int16_t)(std::sin(2 * M_PI * hz * i / rate) * 9000 * fade);
        }
        return true;
    }
    return false;
}

bool PlayBeep(UINT type)
{
    const char16_t* alias = u".Default";
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND: alias = u"SystemHand"; break;
    case MB_ICONQUESTION: alias = u"SystemQuestion"; break;
    case MB_ICONEXCLAMATION: alias = u"SystemExclamation"; break;
    case MB_ICONASTERISK: alias = u"SystemAsterisk"; break;
    }
    audio::Pcm pcm;
    AliasSound(alias, &pcm);
    return Play(std::move(pcm), true);
}

} // namespace sound

BOOL PlaySoundW(LPCWSTR pszSound, HMODULE hmod, DWORD fdwSound)
{
    if (!pszSound || (fdwSound & SND_PURGE)) {
        sound::StopCurrent();
        return TRUE;
    }
    if ((fdwSound & SND_MEMORY) && (fdwSound & SND_RESOURCE) != SND_RESOURCE) {
        // A sound in memory (the flag also forms part of SND_RESOURCE) is not offered: its bytes
        // would be read as a name, past their end.
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    if ((fdwSound & SND_NOWAIT) && sound::Busy())
        return FALSE;
    audio::Pcm pcm;
    bool found = false;
    if ((fdwSound & SND_RESOURCE) == SND_RESOURCE) {
        found = sound::Resource(hmod, pszSound, &pcm);
    } else if (fdwSound & SND_FILENAME) {
        std::vector<BYTE> bytes;
        found = !IS_INTRESOURCE(pszSound) && sound::ReadFileBytes(pszSound, &bytes) &&
                sound::ParseWave(bytes.data(), bytes.size(), &pcm);
    } else if (!IS_INTRESOURCE(pszSound)) {
        // An alias, or without a type flag an alias first and then a file.
        found = sound::AliasSound(pszSound, &pcm);
        std::vector<BYTE> bytes;
        if (!found && !(fdwSound & SND_ALIAS))
            found = sound::ReadFileBytes(pszSound, &bytes) && sound::ParseWave(bytes.data(), bytes.size(), &pcm);
    }
    if (!found) {
        // The default sound stands in for one that is not there, unless the caller wants silence;
        // either way the sound asked for was not played.
        if (!(fdwSound & SND_NODEFAULT) && sound::AliasSound(u".Default", &pcm))
            sound::Play(std::move(pcm), (fdwSound & SND_ASYNC) != 0);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    return sound::Play(std::move(pcm), (fdwSound & SND_ASYNC) != 0) ? TRUE : FALSE;
}
