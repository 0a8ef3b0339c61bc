// PlaySoundW and MessageBeep through a recording sink: finding sounds, wave data, waiting and stopping.
#include "backend/audio/audio.h"
#include "platform/resources/test_ids.h"
#include "support/support.h"
#include "win32/sound/wave.h"
#include "win32/win32.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <mutex>
#include <thread>

namespace {

std::vector<BYTE> Wave(int format, int channels, int rate, int bits, const std::vector<BYTE>& samples,
                       uint32_t dataLen = 0xFFFFFFFF)
{
    auto put32 = [](std::vector<BYTE>& v, uint32_t x) {
        for (int i = 0; i < 4; ++i)
            v.push_back((BYTE)(x >> (8 * i)));
    };
    auto put16 = [](std::vector<BYTE>& v, uint16_t x) {
        v.push_back((BYTE)x);
        v.push_back((BYTE)(x >> 8));
    };
    std::vector<BYTE> v{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    put32(v, 16);
    put16(v, (uint16_t)format);
    put16(v, (uint16_t)channels);
    put32(v, (uint32_t)rate);
    put32(v, (uint32_t)(rate * channels * bits / 8));
    put16(v, (uint16_t)(channels * bits / 8));
    put16(v, (uint16_t)bits);
    v.insert(v.end(), {'d', 'a', 't', 'a'});
    put32(v, dataLen == 0xFFFFFFFF ? (uint32_t)samples.size() : dataLen);
    v.insert(v.end(), samples.begin(), samples.end());
    uint32_t riff = (uint32_t)v.size() - 8;
    memcpy(v.data() + 4, &riff, 4);
    return v;
}

// Records what would be played; `device` false plays the part of a machine without sound.
class Recorder : public audio::Sink {
public:
    bool Play(const audio::Pcm& pcm, const std::atomic<bool>& stop) override
    {
        std::unique_lock<std::mutex> l(lock);
        if (!device)
            return false;
        played.push_back(pcm);
        // A held sound lasts until it is stopped, so waiting and stopping can be seen.
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!stop && hold && std::chrono::steady_clock::now() < end)
            cv.wait_for(l, std::chrono::milliseconds(2));
        stopped = stop;
        return true;
    }
    std::mutex lock;
    std::condition_variable cv;
    std::vector<audio::Pcm> played;
    bool device = true;
    bool hold = false;
    bool stopped = false;
};

class Sound : public ::testing::Test {
protected:
    void SetUp() override { audio::SetSink(&rec_); }
    void TearDown() override
    {
        {
            std::lock_guard<std::mutex> g(rec_.lock);
            rec_.hold = false;
        }
        rec_.cv.notify_all();
        PlaySoundW(nullptr, nullptr, SND_PURGE);
        audio::SetSink(nullptr);
    }
    size_t Played()
    {
        std::lock_guard<std::mutex> g(rec_.lock);
        return rec_.played.size();
    }
    Recorder rec_;
};

TEST(WaveData, DecodesPcmAndRefusesWhatItCannotPlay)
{
    struct Case {
        const char* name;
        std::vector<BYTE> file;
        bool ok;
        std::vector<int16_t> samples;
    };
    const Case cases[] = {
        {"16-bit stereo", Wave(1, 2, 8000, 16, {0x34, 0x12, 0xFF, 0xFF}), true, {0x1234, -1}},
        {"8-bit is unsigned", Wave(1, 1, 8000, 8, {0x80, 0xFF, 0x00}), true, {0, 0x7F00, -32768}},
        {"24-bit keeps the top bits", Wave(1, 1, 8000, 24, {0x11, 0x34, 0x12}), true, {0x1234}},
        {"data length past the end is cut", Wave(1, 1, 8000, 16, {1, 0, 2, 0}, 1000), true, {1, 2}},
        {"odd byte of a frame is dropped", Wave(1, 2, 8000, 16, {1, 0, 2, 0, 3}), true, {1, 2}},
        {"compressed", Wave(2, 1, 8000, 4, {1, 2}), false, {}},
        {"no channels", Wave(1, 0, 8000, 16, {1, 2}), false, {}},
        {"absurd rate", Wave(1, 1, 5, 16, {1, 2}), false, {}},
        {"not a wave", std::vector<BYTE>{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '}, false, {}},
        {"truncated header", std::vector<BYTE>{'R', 'I', 'F'}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        audio::Pcm pcm;
        ASSERT_EQ(sound::ParseWave(c.file.data(), c.file.size(), &pcm), c.ok);
        if (c.ok) {
            EXPECT_EQ(pcm.samples, c.samples);
        }
    }
    // A chunk length that would wrap around ends the walk instead of reading elsewhere.
    auto hostile = Wave(1, 1, 8000, 16, {1, 0});
    hostile[16] = hostile[17] = hostile[18] = hostile[19] = 0xFF;
    audio::Pcm pcm;
    EXPECT_FALSE(sound::ParseWave(hostile.data(), hostile.size(), &pcm));
}

TEST_F(Sound, FindsFilesAndAliasesAndReportsWhatIsMissing)
{
    std::string path = testsupport::ScratchDir() + "/ding.wav";
    auto wav = Wave(1, 1, 8000, 16, {1, 0, 2, 0, 3, 0});
    std::ofstream(path, std::ios::binary).write((const char*)wav.data(), (std::streamsize)wav.size());
    std::u16string wpath(path.begin(), path.end());

    EXPECT_TRUE(PlaySoundW(wpath.c_str(), nullptr, SND_FILENAME | SND_SYNC));
    ASSERT_EQ(Played(), 1u);
    EXPECT_EQ(rec_.played[0].samples, (std::vector<int16_t>{1, 2, 3}));

    EXPECT_TRUE(PlaySoundW(u"SystemAsterisk", nullptr, SND_ALIAS | SND_SYNC));
    EXPECT_EQ(Played(), 2u);
    // Without a kind the name is tried as an alias, then as a file.
    EXPECT_TRUE(PlaySoundW(wpath.c_str(), nullptr, SND_SYNC));
    EXPECT_EQ(Played(), 3u);

    // Missing: the default sound stands in unless silence is asked for; the call fails either way.
    SetLastError(0);
    EXPECT_FALSE(PlaySoundW(u"MenuPopup", nullptr, SND_ALIAS | SND_NODEFAULT | SND_SYNC));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Played(), 3u);
    EXPECT_FALSE(PlaySoundW(u"/no/such/file.wav", nullptr, SND_FILENAME | SND_SYNC));
    EXPECT_EQ(Played(), 4u);
    EXPECT_FALSE(PlaySoundW(u"missing", GetModuleHandleW(nullptr), SND_RESOURCE | SND_NODEFAULT | SND_SYNC));
    EXPECT_EQ(Played(), 4u);

    // A sound in memory is refused rather than its bytes read as a name.
    EXPECT_FALSE(PlaySoundW((LPCWSTR)wav.data(), nullptr, SND_MEMORY | SND_NODEFAULT | SND_SYNC));
    EXPECT_EQ(Played(), 4u);

    // A wave resource of the program, by its number.
    EXPECT_TRUE(PlaySoundW(MAKEINTRESOURCEW(IDW_DING), GetModuleHandleW(nullptr), SND_RESOURCE | SND_SYNC));
    ASSERT_EQ(Played(), 5u);
    EXPECT_EQ(rec_.played[4].samples, (std::vector<int16_t>{1, 2, 3}));
}

TEST_F(Sound, AsyncReturnsAtOnceNoWaitRefusesAndPurgeStops)
{
    rec_.hold = true;
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(PlaySoundW(u"SystemHand", nullptr, SND_ALIAS | SND_ASYNC));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    for (int i = 0; i < 200 && Played() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(Played(), 1u);
    EXPECT_FALSE(PlaySoundW(u"SystemAsterisk", nullptr, SND_ALIAS | SND_ASYNC | SND_NOWAIT));
    EXPECT_EQ(Played(), 1u);
    EXPECT_TRUE(PlaySoundW(nullptr, nullptr, SND_PURGE));
    std::lock_guard<std::mutex> g(rec_.lock);
    EXPECT_TRUE(rec_.stopped);
}

TEST_F(Sound, WithoutADeviceSoundsAndBeepsFail)
{
    rec_.device = false;
    EXPECT_FALSE(PlaySoundW(u"SystemAsterisk", nullptr, SND_ALIAS | SND_SYNC));
    EXPECT_FALSE(PlaySoundW(u"SystemAsterisk", nullptr, SND_ALIAS | SND_ASYNC));
    EXPECT_FALSE(sound::PlayBeep(MB_ICONHAND));
    rec_.device = true;
    EXPECT_TRUE(sound::PlayBeep(MB_ICONEXCLAMATION));
}

} // namespace
