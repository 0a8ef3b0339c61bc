// A user's runs through the real program's windows, headless: the quick scan of a 2 GiB FAT32 disk until its
// results page is shown, the recovery of everything it found until the save dialog tells its end, and the full
// scan of the same volume until the volume page is shown. Each round is timed on the wall clock and on the
// user-interface thread's CPU clock (which pays for the display); min and median are printed with the peak memory.
// During the full scan another thread sends the main window a message every 10 ms and times its answer: how
// long input would wait while the sweep runs at full speed.
//   run_bench <disk image, made on first use> <scratch folder for the recovered files> [rounds]
#include "app/dovemark_app.h"
#include "app/engine_ui.h"
#include "app/first_view_hdd.h"
#include "app/found_list_ctrl.h"
#include "app/found_tree_ctrl.h"
#include "app/main_frame.h"
#include "app/save_progress_dlg.h"
#include "app/third_view_hdd.h"
#include "backend/headless/driver.h"
#include "engine/engine_state.h"
#include "engine/scan_control.h"
#include "tests/app/tree_find.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 1164;
constexpr int kFolders = 12;

bool Run(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

// One FAT32 partition from 1 MiB on, made by Debian's own tools, holding 1,164 files of 4 KiB to 2.5 MiB
// (about 1.5 GB) in twelve folders.
bool MakeImage(const std::string& image)
{
    const std::string work = image + ".files";
    fs::remove_all(work);
    std::vector<char> bytes(5 << 20);
    unsigned seed = 12345;
    for (char& b : bytes)
        b = char((seed = seed * 1103515245u + 12345u) >> 16);
    for (int i = 0; i < kFiles; ++i) {
        const fs::path folder = fs::path(work) / ("folder" + std::to_string(i % kFolders));
        fs::create_directories(folder);
        const size_t size = 4096 + size_t(uint64_t(i) * 2654435761u % (5u << 19));
        std::ofstream out(folder / ("file" + std::to_string(i) + ".bin"), std::ios::binary);
        out.write(bytes.data() + i * 4099 % (1 << 20), std::streamsize(size));
    }
    const bool made = Run("rm -f '" + image + "' && truncate -s 2G '" + image + "'") &&
                      Run("echo 'start=2048, type=c' | sfdisk -q '" + image + "' >/dev/null") &&
                      Run("mkfs.fat -F 32 --offset 2048 '" + image + "' 2096128 >/dev/null") &&
                      Run("cd '" + work + "' && mcopy -s -i '" + image + "@@1048576' folder* ::/");
    fs::remove_all(work);
    return made;
}

double ThreadCpuSeconds()
{
    struct rusage usage {};
    getrusage(RUSAGE_THREAD, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double PeakRssMiB()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

struct Sample {
    double wall = 0, uiCpu = 0;
};

class Stopwatch {
public:
    Stopwatch() : m_start(std::chrono::steady_clock::now()), m_cpu(ThreadCpuSeconds()) {}
    Sample Read() const
    {
        return {std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count(),
                ThreadCpuSeconds() - m_cpu};
    }

private:
    std::chrono::steady_clock::time_point m_start;
    double m_cpu;
};

void Print(const char* what, std::vector<Sample> samples)
{
    auto line = [&](const char* unit, auto get) {
        std::vector<double> v;
        for (const Sample& s : samples)
            v.push_back(get(s));
        std::sort(v.begin(), v.end());
        std::printf("%-28s %-9s min %.3f s  median %.3f s\n", what, unit, v.front(), v[v.size() / 2]);
    };
    line("wall", [](const Sample& s) { return s.wall; });
    line("ui cpu", [](const Sample& s) { return s.uiCpu; });
}

class Wizard {
public:
    explicit Wizard(CDovemarkApp& app) : m_app(app) {}

    int Shown() const
    {
        CMainFrame* frame = MainFrame();
        for (int i = 0; i < kPageCount; ++i)
            if (frame && frame->GetActiveView() == m_app.GetPage(i))
                return i;
        return -1;
    }
    void Command(int page, UINT id) { m_app.GetPage(page)->SendMessage(WM_COMMAND, id); }
    // Scan-mode page to scan page with the disk's volume chosen.
    bool ToScanPage(UINT mode)
    {
        Command(0, mode);
        HTREEITEM volume = FindTreeItem(m_app.m_pFirstView->m_tree, u"Logical Drives C: ");
        if (!volume)
            return false;
        m_app.m_pFirstView->m_tree.OnSelectItem(volume);
        Command(1, 159);
        return Shown() == 2;
    }
    // Start on the scan page, until the page the scan leads to is shown (and its message box, if any, is up).
    // With answers given, a probe thread times the window's answers to messages sent meanwhile (seconds each).
    Sample Scan(int page, bool box, std::vector<double>* answers = nullptr)
    {
        std::atomic<bool> probing{answers != nullptr}, probed{false};
        std::thread probe;
        if (answers) {
            HWND target = MainFrame()->m_hWnd;
            probe = std::thread([&probing, &probed, answers, target] {
                while (probing) {
                    const auto sent = std::chrono::steady_clock::now();
                    ::SendMessageW(target, WM_NULL, 0, 0);
                    answers->push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count());
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                }
                probed = true;
            });
        }
        bool boxShown = false;
        Sample at;
        Stopwatch watch;
        if (box)
            headless::AnswerNextModal([&](HWND dlg) {
                at = watch.Read();
                boxShown = true;
                ::PostMessageW(dlg, WM_COMMAND, IDOK, 0);
            });
        Command(2, 159);
        PumpUntil([&] { return Shown() == page && (!box || boxShown); });
        const Sample took = box ? at : watch.Read();
        if (probe.joinable()) {
            probing = false;
            // The probe's last message may still wait for an answer: serve it while the probe ends.
            PumpUntil([&] { return probed.load(); }, 5000);
            probe.join();
        }
        return took;
    }
    // Everything the results page holds, recovered into folder, until the dialog tells the run's end.
    Sample RecoverAll(const std::string& folder)
    {
        const std::u16string wide = fs::path(folder).u16string();
        lstrcpynW(DestinationFolder, wide.c_str(), kDestinationChars);
        CFoundListCtrl* list = m_app.m_pThirdView->GetFoundList();
        list->GetFoundTree()->TickEverything();
        SaveJob job;
        job.folderItems = list->RecoverFolderList();
        job.fileIds = list->RecoverFileList();
        job.exclusions = list->RecoverExclusions();
        Sample end;
        Stopwatch watch;
        headless::AnswerNextModal([](HWND) {});
        headless::AnswerNextModal([&](HWND box) {
            end = watch.Read();
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        CSaveProgressDlg dlg(job, list);
        dlg.DoModal();
        return end;
    }
    void Home(int page)
    {
        Command(page, 61481);
        headless::PumpUntilIdle();
    }

private:
    CDovemarkApp& m_app;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: run_bench <disk image> <scratch folder> [rounds]\n");
        return 2;
    }
    const std::string image = argv[1], scratch = argv[2];
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 9;
    if (!fs::exists(image) && !MakeImage(image)) {
        std::fprintf(stderr, "run_bench: the disk image could not be made\n");
        return 1;
    }
    setenv("DOVEMARK_DISKS", image.c_str(), 1);
    setenv("DOVEMARK_HOST_DISKS", "0", 1);
    setenv("DOVEMARK_REGISTRY", "memory", 1);
    unsetenv("DISPLAY");
    CDovemarkApp app;
    app.m_hInstance = ::GetModuleHandleW(nullptr);
    app.m_nThreadID = ::GetCurrentThreadId();
    if (!app.InitInstance()) {
        std::fprintf(stderr, "run_bench: the program could not start\n");
        return 1;
    }
    headless::PumpUntilIdle();
    Wizard wizard(app);
    std::vector<Sample> quick, recover, total, full;
    std::vector<double> answers;
    for (int round = 0; round < rounds; ++round) {
        const std::string folder = scratch + "/round";
        fs::remove_all(folder);
        fs::create_directories(folder);
        if (!wizard.ToScanPage(131)) {
            std::fprintf(stderr, "run_bench: the volume is not listed\n");
            return 1;
        }
        const Sample q = wizard.Scan(4, true);
        const Sample r = wizard.RecoverAll(folder);
        quick.push_back(q);
        recover.push_back(r);
        total.push_back({q.wall + r.wall, q.uiCpu + r.uiCpu});
        wizard.Home(4);
        if (!wizard.ToScanPage(133)) {
            std::fprintf(stderr, "run_bench: the volume is not listed\n");
            return 1;
        }
        full.push_back(wizard.Scan(3, false, &answers));
        wizard.Home(3);
        size_t files = 0;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            files += entry.is_regular_file() ? 1 : 0;
        std::printf("round %d: %zu files recovered\n", round + 1, files);
        fs::remove_all(folder);
    }
    Print("quick scan to results", quick);
    Print("recover all to its end", recover);
    Print("quick scan + recover all", total);
    Print("full scan to volume page", full);
    if (!answers.empty()) {
        std::sort(answers.begin(), answers.end());
        std::printf("%-28s %zu messages  median %.1f ms  p99 %.1f ms  max %.1f ms\n", "input during the sweep",
                    answers.size(), answers[answers.size() / 2] * 1e3, answers[answers.size() * 99 / 100] * 1e3,
                    answers.back() * 1e3);
    }
    std::printf("peak memory %.1f MiB\n", PeakRssMiB());
    if (app.m_pMainWnd)
        app.m_pMainWnd->DestroyWindow();
    return 0;
}
