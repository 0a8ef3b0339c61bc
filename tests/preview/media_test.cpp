// Sound and movie previews: the player's first frame, duration and states, the movie window's
// commands, the two views in the pane, and damaged files, all with fake sinks and media written by
// GStreamer's own launcher at test time.
#include "preview/preview_fixture.h"

#include "preview/avi_view.h"
#include "preview/mci_window.h"
#include "preview/media_player.h"
#include "preview/media_view.h"
#include "preview/no_preview_view.h"
#include "res/preview/preview_res.h"
#include "support/support.h"

#include <chrono>
#include <cstdlib>
#include <gst/gst.h>
#include <fstream>
#include <iterator>
#include <thread>
#include <unistd.h>

namespace {

// GStreamer reads its plugin registry from the build folder (written there at build time), and scans
// in this process instead of forking a scanner from an instrumented program.
const bool kRegistryInBuildFolder = [] {
    setenv("GST_REGISTRY", (testsupport::BinaryDir() + "/gst-registry.bin").c_str(), 1);
    setenv("GST_REGISTRY_FORK", "no", 1);
    return true;
}();

bool HaveLauncher() { return access("/usr/bin/gst-launch-1.0", X_OK) == 0; }

// Runs gst-launch-1.0 with `pipeline`, whose end writes to "OUT"; returns the file written, or "".
std::string Launch(const std::string& name, const std::string& pipeline)
{
    const std::string path = testsupport::ScratchDir() + "/" + name;
    std::string command = "env -u GST_DEBUG -u GST_DEBUG_FILE gst-launch-1.0 -q " + pipeline + " >/dev/null 2>&1";
    command.replace(command.find("OUT"), 3, path);
    if (std::system(command.c_str()) != 0)
        return std::string();
    return path;
}

// Five 64 × 48 frames of colour bars at 10 a second, as motion JPEG.
std::string MakeAvi()
{
    return Launch("bars.avi", "videotestsrc num-buffers=5 pattern=smpte ! "
                              "video/x-raw,width=64,height=48,framerate=10/1 ! jpegenc ! avimux ! filesink location=OUT");
}

// About a quarter of a second of a tone.
std::string MakeMp3()
{
    return Launch("tone.mp3", "audiotestsrc num-buffers=5 ! audio/x-raw,rate=22050,channels=1 ! lamemp3enc ! "
                              "filesink location=OUT");
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

void PutLe32(std::string& s, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s[at + size_t(i)] = char(v >> (8 * i));
}

// The movie with every size it declares (main header, stream header, and each picture's own frame
// header) set to width × height.
std::string Resized(const std::string& avi, uint32_t width, uint32_t height)
{
    std::string s = avi;
    const size_t avih = s.find("avih");
    if (avih != std::string::npos) {
        PutLe32(s, avih + 8 + 32, width);
        PutLe32(s, avih + 8 + 36, height);
    }
    const size_t strf = s.find("strf");
    if (strf != std::string::npos) {
        PutLe32(s, strf + 8 + 4, width);
        PutLe32(s, strf + 8 + 8, height);
    }
    for (size_t at = s.find("\xFF\xC0"); at != std::string::npos; at = s.find("\xFF\xC0", at + 2)) {
        if (at + 9 > s.size())
            break;
        s[at + 5] = char(height >> 8), s[at + 6] = char(height);
        s[at + 7] = char(width >> 8), s[at + 8] = char(width);
    }
    return s;
}

// Pumps the window messages until `done` holds or 10 s of real time pass.
template <class F>
bool PumpUntil(F done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        headless::PumpUntilIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

class MediaTest : public PreviewPaneTest {
protected:
    void SetUp() override {
        if (!HaveLauncher())
            GTEST_SKIP() << "gst-launch-1.0 is not installed";
        CMediaPlayer::SetSilent(true);
        PreviewPaneTest::SetUp();
    }
    void TearDown() override {
        PreviewPaneTest::TearDown();
        CMediaPlayer::SetSilent(false);
    }
};

uint32_t PixelAt(const CMediaPlayer::Frame& f, int x, int y) { return f.pixels[size_t(y) * size_t(f.width) + size_t(x)]; }

bool Near(uint32_t pixel, uint32_t rgb)
{
    for (int shift : {0, 8, 16})
        if (std::abs(int((pixel >> shift) & 0xFF) - int((rgb >> shift) & 0xFF)) > 40)
            return false;
    return true;
}

} // namespace

TEST_F(MediaTest, FirstFrameAndDurationOfAMovieAndASound)
{
    const std::string avi = MakeAvi(), mp3 = MakeMp3();
    ASSERT_FALSE(avi.empty());
    ASSERT_FALSE(mp3.empty());

    CMediaPlayer player(frame->m_hWnd, WM_APP, WM_APP + 1);
    ASSERT_TRUE(player.Open(avi)) << player.ErrorText();
    EXPECT_EQ(player.GetState(), CMediaPlayer::Paused);
    EXPECT_TRUE(player.HasVideo());
    EXPECT_EQ(player.VideoWidth(), 64);
    EXPECT_EQ(player.VideoHeight(), 48);
    EXPECT_NEAR(double(player.DurationMs()), 500.0, 60.0);
    CMediaPlayer::Frame first;
    ASSERT_TRUE(player.TakeFrame(first));
    ASSERT_EQ(first.width, 64);
    ASSERT_EQ(first.height, 48);
    // The first two of the seven bars: grey-white, then yellow.
    EXPECT_TRUE(Near(PixelAt(first, 4, 10), 0xEBEBEB)) << std::hex << PixelAt(first, 4, 10);
    EXPECT_TRUE(Near(PixelAt(first, 13, 10), 0xEBEB10)) << std::hex << PixelAt(first, 13, 10);

    ASSERT_TRUE(player.Open(mp3)) << player.ErrorText();
    EXPECT_FALSE(player.HasVideo());
    // The sound's parser tells its length a moment after the first frame.
    for (int i = 0; i < 100 && player.DurationMs() < 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GT(player.DurationMs(), 150);
    EXPECT_LT(player.DurationMs(), 400);
    player.Close();
    EXPECT_EQ(player.GetState(), CMediaPlayer::Closed);
}

TEST_F(MediaTest, DamagedFilesFailToOpenWithoutHanging)
{
    const std::string avi = MakeAvi();
    ASSERT_FALSE(avi.empty());
    const std::string bytes = ReadAll(avi);
    std::string garbage(4096, '\0');
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919u) >> 3);
    struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty.avi", ""},
        {"garbage.avi", garbage},
        {"riff_only.avi", bytes.substr(0, 12)},
        {"cut_in_header.avi", bytes.substr(0, 100)},
        {"cut_before_frames.avi", bytes.substr(0, bytes.find("movi"))},
        // A picture of 60000 × 60000 declared everywhere, and pictures larger than they are declared.
        {"huge.avi", Resized(bytes, 60000, 60000)},
        {"large_frames.avi", [&] {
             const std::string large = Resized(bytes, 20000, 20000);
             return bytes.substr(0, bytes.find("movi")) + large.substr(large.find("movi"));
         }()},
        {"huge_frames.avi", [&] {
             const std::string huge = Resized(bytes, 60000, 60000);
             return bytes.substr(0, bytes.find("movi")) + huge.substr(huge.find("movi"));
         }()},
    };
    CMediaPlayer player(frame->m_hWnd, WM_APP, WM_APP + 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = testsupport::ScratchDir() + "/" + c.name;
        WriteAll(path, c.bytes);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(player.Open(path));
        EXPECT_EQ(player.GetState(), CMediaPlayer::Failed);
        EXPECT_FALSE(player.ErrorText().empty());
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
        CMediaPlayer::Frame f;
        EXPECT_FALSE(player.TakeFrame(f));
    }
    EXPECT_FALSE(player.Open(testsupport::ScratchDir() + "/missing.avi"));
}

TEST_F(MediaTest, TheMovieWindowPlaysAndStopsAtTheMoviesSize)
{
    const std::string avi = MakeAvi();
    ASSERT_FALSE(avi.empty());
    HWND movie = MCIWndCreateW(frame->m_hWnd, nullptr, WS_CHILD | WS_VISIBLE | MCIWNDF_NOMENU, CString(avi.c_str()));
    ASSERT_NE(movie, nullptr);
    auto* window = static_cast<CMediaWindow*>(CWnd::FromHandlePermanent(movie));
    ASSERT_NE(window, nullptr);
    CRect rc;
    ::GetWindowRect(movie, &rc);
    EXPECT_EQ(rc.Width(), 64);
    EXPECT_EQ(rc.Height(), 48);
    EXPECT_EQ(window->CurrentFrame().width, 64);

    EXPECT_EQ(::SendMessageW(movie, MCI_PLAY, 0, 0), 0);
    EXPECT_EQ(window->Player().GetState(), CMediaPlayer::Playing);
    EXPECT_TRUE(PumpUntil([&] { return window->Player().GetState() == CMediaPlayer::Ended; }));
    EXPECT_EQ(::SendMessageW(movie, MCI_PLAY, 0, 0), 0); // from the start again
    EXPECT_EQ(::SendMessageW(movie, MCI_STOP, 0, 0), 0);
    EXPECT_EQ(window->Player().GetState(), CMediaPlayer::Stopped);
    ::SendMessageW(movie, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(movie));

    // A file that cannot be played gives no window at all.
    EXPECT_EQ(MCIWndCreateW(frame->m_hWnd, nullptr, WS_CHILD, CString(WriteFile("bad.avi", "RIFF....AVI ")).GetString()),
              nullptr);
}

TEST_F(MediaTest, TheAviViewPlaysInThePane)
{
    const std::string avi = MakeAvi();
    ASSERT_FALSE(avi.empty());
    // Playing is checked before any message is pumped: the movie may well end by the first pump.
    pane->CloseChildViews();
    pane->DispatchPreview(CString(avi.c_str()), u".avi");
    auto* view = static_cast<CAviView*>(pane->m_pAviView);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(pane->m_pNoPreviewView, nullptr);
    EXPECT_EQ(host.ok, 1);
    HWND movie = view->m_hMciWnd;
    ASSERT_TRUE(::IsWindow(movie));
    auto* window = static_cast<CMediaWindow*>(CWnd::FromHandlePermanent(movie));
    EXPECT_EQ(window->Player().GetState(), CMediaPlayer::Playing);
    headless::PumpUntilIdle();
    // The movie keeps its own size whatever the pane's.
    pane->MoveWindow(0, 0, 500, 400);
    CRect rc;
    ::GetWindowRect(movie, &rc);
    EXPECT_EQ(rc.Width(), 64);
    EXPECT_EQ(rc.Height(), 48);
    SavePicture("avi");

    // The next preview stops the movie while it plays, and its window goes with the view.
    pane->CloseChildViews();
    headless::PumpUntilIdle();
    EXPECT_FALSE(::IsWindow(movie));
}

TEST_F(MediaTest, TheMediaViewFillsThePaneAndPlaysToTheEnd)
{
    const std::string mp3 = MakeMp3();
    ASSERT_FALSE(mp3.empty());
    pane->CloseChildViews();
    pane->DispatchPreview(CString(mp3.c_str()), u".mp3");
    auto* view = static_cast<CMyMedia*>(pane->m_pMediaView);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(host.ok, 1);
    CWMPPlayer4& player = view->m_player;
    EXPECT_EQ(player.GetDlgCtrlID(), int(CMyMedia::IDC_PLAYER));
    EXPECT_EQ(player.GetOpenState(), long(CWMPPlayer4::wmposMediaOpen));
    EXPECT_EQ(player.GetPlayState(), long(CWMPPlayer4::wmppsPlaying));
    CRect client, rc;
    view->GetClientRect(&client);
    player.GetClientRect(&rc);
    EXPECT_EQ(rc, client);
    EXPECT_TRUE(PumpUntil([&] { return player.GetPlayState() == CWMPPlayer4::wmppsMediaEnded; }));
    EXPECT_EQ(player.GetStatus().Left(4), CString(u"播放完毕"));
    SavePicture("media_mp3");
    player.Close();
    EXPECT_EQ(player.GetOpenState(), long(CWMPPlayer4::wmposUndefined));
}

TEST_F(MediaTest, DamagedMediaShowTheDamagedPicture)
{
    for (const char16_t* e : {u".avi", u".mp3", u".wav"}) {
        SCOPED_TRACE(CStringA(e).GetString());
        for (const std::string& bytes : {std::string(), std::string("RIFF\x10\0\0\0WAVEfmt ", 16), std::string(3000, 'x')}) {
            Preview(WriteFile(std::string("damaged") + CStringA(e).GetString(), bytes), e);
            EXPECT_NE(pane->m_pNoPreviewView, nullptr);
            EXPECT_EQ(host.ok, 0);
            EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), (UINT)IDB_PREVIEW_DAMAGED);
        }
    }
}

// A kind of file no installed decoder reads is one the pane cannot preview, not a damaged file.
TEST_F(MediaTest, FilesWithoutADecoderShowTheUnsupportedPicture)
{
    const std::string avi = MakeAvi();
    ASSERT_FALSE(avi.empty());
    std::string unknownCodec = ReadAll(avi);
    for (const char* tag : {"strh", "strf"}) {
        const size_t at = unknownCodec.find(tag);
        ASSERT_NE(at, std::string::npos);
        // The stream header's handler and the picture header's compression.
        unknownCodec.replace(at + 8 + (tag[3] == 'h' ? 4 : 16), 4, "ZZZZ");
    }
    // A standard MIDI file: one track holding only its end.
    const std::string midi("MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\4\0\xFF\x2F\0", 26);
    struct {
        const char* name;
        const char16_t* extension;
        std::string bytes;
        const char* decoder; // when installed, the file plays and the case does not apply
    } cases[] = {
        {"codec.avi", u".avi", unknownCodec, nullptr},
        {"tune.mid", u".mid", midi, "midiparse"},
    };
    ASSERT_TRUE(CMediaPlayer::IsAvailable());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (GstElementFactory* installed = c.decoder ? gst_element_factory_find(c.decoder) : nullptr) {
            gst_object_unref(installed);
            continue;
        }
        Preview(WriteFile(c.name, c.bytes), c.extension);
        EXPECT_NE(pane->m_pNoPreviewView, nullptr);
        EXPECT_EQ(host.previewable, 0);
        EXPECT_EQ(host.ok, 1);
        EXPECT_EQ(CCorrupted_NoPreview_View::ChooseBitmap(), (UINT)IDB_PREVIEW_UNSUPPORTED);
    }
}
