// Start-up of the real program as a user sees it: an X server of its own (Xvfb) is started, then the program
// is run on it again and again with the demo disk, each run timed from exec until its main window shows the
// paint it settles on. The window is found by its _NET_WM_PID and its pixels are polled (XShmGetImage); the
// painted moment is the first poll that saw the final picture (the picture then stays unchanged for a second).
// Min and median are printed with the program's peak memory. The program keeps its settings in a private
// folder, so the user's own are neither read nor changed. Without Xvfb the benchmark is skipped.
//   startup_bench [--runs N] [--program PATH] [--disk PATH] [--shot FILE.ppm]
#include "platform/backend/xvfb.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <sys/ipc.h>
#include <sys/resource.h>
#include <sys/shm.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

bool Exists(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

int IgnoreXError(Display*, XErrorEvent*)
{
    // The program's windows come and go while they are looked at.
    return 0;
}

// Waits for a child up to `timeout`; true and its status and usage when it ended.
bool WaitChild(pid_t pid, Clock::duration timeout, int* status, rusage* usage)
{
    const auto until = Clock::now() + timeout;
    for (;;) {
        pid_t r = wait4(pid, status, WNOHANG, usage);
        if (r == pid)
            return true;
        if (r < 0 && errno != EINTR)
            return false;
        if (Clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Ends a child that was started here: politely, then for sure.
rusage EndChild(pid_t pid)
{
    rusage usage{};
    int status = 0;
    kill(pid, SIGTERM);
    if (!WaitChild(pid, std::chrono::seconds(3), &status, &usage)) {
        kill(pid, SIGKILL);
        WaitChild(pid, std::chrono::seconds(3), &status, &usage);
    }
    return usage;
}

pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::pair<std::string, std::string>>& env)
{
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        for (const auto& [name, value] : env)
            setenv(name.c_str(), value.c_str(), 1);
        int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, STDIN_FILENO);
            dup2(null, STDOUT_FILENO);
        }
        execv(args[0], args.data());
        _exit(127);
    }
    return pid;
}

long CardinalProperty(Display* dpy, Window w, Atom property)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long value = -1;
    if (XGetWindowProperty(dpy, w, property, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) ==
            Success &&
        data && format == 32 && count == 1)
        value = *reinterpret_cast<long*>(data);
    if (data)
        XFree(data);
    return value;
}

// The largest viewable top-level window of the process that the window manager would manage (the main
// frame; menus, tips and splash pictures are override-redirect).
Window MainWindowOf(Display* dpy, pid_t pid, Atom netWmPid, int* width, int* height)
{
    Window root = DefaultRootWindow(dpy), parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(dpy, root, &root, &parent, &children, &count))
        return 0;
    Window best = 0;
    long bestArea = 0;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes wa{};
        if (!XGetWindowAttributes(dpy, children[i], &wa) || wa.map_state != IsViewable || wa.override_redirect)
            continue;
        if (CardinalProperty(dpy, children[i], netWmPid) != long(pid))
            continue;
        long area = long(wa.width) * wa.height;
        if (area > bestArea) {
            best = children[i];
            bestArea = area;
            *width = wa.width;
            *height = wa.height;
        }
    }
    if (children)
        XFree(children);
    return best;
}

struct Picture {
    int width = 0, height = 0;
    uint64_t hash = 0;
    std::vector<uint8_t> rgb; // kept only when a shot is asked for
};

// Reads a window's pixels, through shared memory when the server offers it (a poll then costs the server
// little, so the program it times is slowed as little as possible).
class Grabber {
public:
    explicit Grabber(Display* dpy) : dpy_(dpy)
    {
        int major = 0, minor = 0;
        Bool pixmaps = False;
        shm_ = XShmQueryExtension(dpy) && XShmQueryVersion(dpy, &major, &minor, &pixmaps);
    }
    ~Grabber() { Drop(); }

    std::optional<Picture> Grab(Window w, int width, int height, bool keep)
    {
        XImage* image = nullptr;
        if (shm_ && Fit(width, height) && XShmGetImage(dpy_, w, image_, 0, 0, AllPlanes))
            image = image_;
        XImage* own = image ? nullptr : XGetImage(dpy_, w, 0, 0, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
        if (!image)
            image = own;
        if (!image)
            return std::nullopt;
        Picture p;
        p.width = width;
        p.height = height;
        uint64_t h = 1469598103934665603ull;
        const size_t rowBytes = size_t(width) * size_t(image->bits_per_pixel) / 8;
        for (int y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const uint8_t*>(image->data + size_t(y) * image->bytes_per_line);
            size_t i = 0;
            for (; i + 8 <= rowBytes; i += 8) {
                uint64_t v;
                std::memcpy(&v, row + i, 8);
                h = (h ^ v) * 1099511628211ull;
            }
            for (; i < rowBytes; ++i)
                h = (h ^ row[i]) * 1099511628211ull;
        }
        p.hash = h;
        if (keep) {
            p.rgb.reserve(size_t(width) * height * 3);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    unsigned long v = XGetPixel(image, x, y);
                    p.rgb.push_back(uint8_t(v >> 16));
                    p.rgb.push_back(uint8_t(v >> 8));
                    p.rgb.push_back(uint8_t(v));
                }
        }
        if (own)
            XDestroyImage(own);
        return p;
    }

private:
    // A shared image of the window's size; false when the server will not share one.
    bool Fit(int width, int height)
    {
        if (image_ && image_->width == width && image_->height == height)
            return true;
        Drop();
        int screen = DefaultScreen(dpy_);
        image_ = XShmCreateImage(dpy_, DefaultVisual(dpy_, screen), unsigned(DefaultDepth(dpy_, screen)), ZPixmap,
                                 nullptr, &info_, unsigned(width), unsigned(height));
        if (!image_)
            return shm_ = false;
        info_.shmid = shmget(IPC_PRIVATE, size_t(image_->bytes_per_line) * size_t(height), IPC_CREAT | 0600);
        void* at = info_.shmid >= 0 ? shmat(info_.shmid, nullptr, 0) : reinterpret_cast<void*>(-1);
        if (at == reinterpret_cast<void*>(-1)) {
            if (info_.shmid >= 0)
                shmctl(info_.shmid, IPC_RMID, nullptr);
            XDestroyImage(image_);
            image_ = nullptr;
            return shm_ = false;
        }
        info_.shmaddr = image_->data = static_cast<char*>(at);
        info_.readOnly = False;
        bool attached = XShmAttach(dpy_, &info_);
        XSync(dpy_, False);
        shmctl(info_.shmid, IPC_RMID, nullptr);
        if (!attached) {
            shmdt(at);
            image_->data = nullptr;
            XDestroyImage(image_);
            image_ = nullptr;
            return shm_ = false;
        }
        return true;
    }
    void Drop()
    {
        if (!image_)
            return;
        XShmDetach(dpy_, &info_);
        XSync(dpy_, False);
        shmdt(info_.shmaddr);
        image_->data = nullptr;
        XDestroyImage(image_);
        image_ = nullptr;
    }

    Display* dpy_;
    bool shm_ = false;
    XImage* image_ = nullptr;
    XShmSegmentInfo info_{};
};

struct Run {
    double mappedMs = 0, paintedMs = 0, peakMiB = 0;
    Picture last;
};

struct Options {
    int runs = 7;
    std::string display; // the private server's, once it runs
    std::string program = STARTUP_PROGRAM;
    std::string disk = STARTUP_DISK;
    std::string shot;
    std::string config; // a private settings folder: the first run writes the registry file, the others read it
};

std::optional<Run> RunOnce(Display* dpy, Grabber& grabber, const Options& o, bool keepShot)
{
    static const Atom netWmPid = XInternAtom(dpy, "_NET_WM_PID", False);
    constexpr auto kSettle = std::chrono::seconds(1);
    constexpr auto kGiveUp = std::chrono::seconds(30);
    const auto start = Clock::now();
    pid_t pid = Spawn({o.program},
                      {{"DISPLAY", o.display},
                       {"DOVEMARK_DISKS", o.disk},
                       {"DOVEMARK_HOST_DISKS", "0"},
                       {"XDG_CONFIG_HOME", o.config}});
    if (pid < 0) {
        std::perror("startup_bench: fork");
        return std::nullopt;
    }
    Run run;
    std::optional<Clock::time_point> mapped, changed;
    uint64_t lastHash = 0;
    int lastW = 0, lastH = 0;
    bool failed = false;
    for (;;) {
        const auto now = Clock::now();
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(stderr, "startup_bench: the program ended during start-up (status %d)\n", status);
            return std::nullopt;
        }
        if (now - start > kGiveUp) {
            std::fprintf(stderr, "startup_bench: no settled main window after %.0f s\n", Ms(kGiveUp) / 1000);
            failed = true;
            break;
        }
        int w = 0, h = 0;
        Window win = MainWindowOf(dpy, pid, netWmPid, &w, &h);
        std::optional<Picture> p = win ? grabber.Grab(win, w, h, keepShot) : std::nullopt;
        const auto seen = Clock::now();
        if (!p) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (!mapped)
            mapped = seen;
        if (!changed || p->hash != lastHash || w != lastW || h != lastH) {
            changed = seen;
            lastHash = p->hash;
            lastW = w;
            lastH = h;
            run.last = std::move(*p);
        } else if (seen - *changed >= kSettle) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    rusage usage = EndChild(pid);
    if (failed)
        return std::nullopt;
    run.mappedMs = Ms(*mapped - start);
    run.paintedMs = Ms(*changed - start);
    run.peakMiB = double(usage.ru_maxrss) / 1024.0;
    return run;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

bool MakeDisk(const std::string& disk)
{
    std::string folder = disk.substr(0, disk.rfind('/'));
    std::string fixture = STARTUP_NTFS_FIXTURE;
    std::string command = "mkdir -p '" + folder + "' && " +
                          (fixture.empty() ? std::string() : "DOVEMARK_NTFS_FIXTURE='" + fixture + "' ") +
                          "python3 '" STARTUP_MAKE_IMAGE "' demo '" + disk + ".part' >/dev/null && mv '" + disk +
                          ".part' '" + disk + "' && { [ ! -f '" + disk + ".part.manifest.tsv' ] || mv '" + disk +
                          ".part.manifest.tsv' '" + disk + ".manifest.tsv'; }";
    return std::system(command.c_str()) == 0;
}

bool WriteShot(const Picture& p, const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << p.width << " " << p.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(p.rgb.data()), std::streamsize(p.rgb.size()));
    return bool(out);
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string name = argv[i], value = argv[i + 1];
        if (name == "--runs")
            o.runs = std::max(1, std::atoi(value.c_str()));
        else if (name == "--program")
            o.program = value;
        else if (name == "--disk")
            o.disk = value;
        else if (name == "--shot")
            o.shot = value;
        else {
            std::fprintf(stderr, "usage: %s [--runs N] [--program PATH] [--disk PATH] [--shot FILE]\n",
                         argv[0]);
            return 2;
        }
    }
    if (!Exists(o.program)) {
        std::fprintf(stderr, "startup_bench: no program at %s\n", o.program.c_str());
        return 1;
    }
    if (!Exists(o.disk) && !MakeDisk(o.disk)) {
        std::fprintf(stderr, "startup_bench: the demo disk %s could not be written\n", o.disk.c_str());
        return 1;
    }
    char config[] = "/tmp/startup_bench.XXXXXX";
    if (!mkdtemp(config)) {
        std::perror("startup_bench: mkdtemp");
        return 1;
    }
    o.config = config;
    struct Remove {
        std::string folder;
        ~Remove()
        {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
    } removeConfig{config};
    XSetErrorHandler(IgnoreXError);
    const xtest::Xvfb server(1920, 1080);
    if (!server.Running()) {
        std::printf("startup_bench: %s, skipped\n", server.Why().c_str());
        return 0;
    }
    o.display = server.Display();
    Display* dpy = XOpenDisplay(o.display.c_str());
    if (!dpy) {
        std::fprintf(stderr, "startup_bench: Xvfb did not open %s\n", o.display.c_str());
        return 1;
    }
    double load[3] = {};
    getloadavg(load, 3);
    std::printf("start until the main window is painted, Xvfb %s 1920x1080, load %.2f %.2f %.2f\n", o.display.c_str(),
                load[0], load[1], load[2]);
    std::vector<double> painted, mappedAt, peak;
    Picture shot;
    auto grabber = std::make_unique<Grabber>(dpy);
    for (int i = 0; i < o.runs; ++i) {
        auto run = RunOnce(dpy, *grabber, o, !o.shot.empty() && i + 1 == o.runs);
        if (!run)
            continue;
        std::printf("  run %d: mapped %7.1f ms, painted %7.1f ms, peak memory %6.1f MiB\n", i + 1, run->mappedMs,
                    run->paintedMs, run->peakMiB);
        std::fflush(stdout);
        painted.push_back(run->paintedMs);
        mappedAt.push_back(run->mappedMs);
        peak.push_back(run->peakMiB);
        if (!run->last.rgb.empty())
            shot = std::move(run->last);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    grabber.reset();
    XCloseDisplay(dpy);
    if (painted.empty()) {
        std::fprintf(stderr, "startup_bench: no run finished\n");
        return 1;
    }
    std::printf("painted: min %.1f ms, median %.1f ms (mapped: min %.1f ms, median %.1f ms) over %zu runs; "
                "peak memory median %.1f MiB, max %.1f MiB\n",
                *std::min_element(painted.begin(), painted.end()), Median(painted),
                *std::min_element(mappedAt.begin(), mappedAt.end()), Median(mappedAt), painted.size(), Median(peak),
                *std::max_element(peak.begin(), peak.end()));
    if (!o.shot.empty() && !shot.rgb.empty() && !WriteShot(shot, o.shot))
        std::fprintf(stderr, "startup_bench: %s could not be written\n", o.shot.c_str());
    return 0;
}
