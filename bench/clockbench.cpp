// Measures the clock against the reference on the X server in DISPLAY:
//  - start-up: from fork to the window being mapped, median of several starts;
//  - display lag: from each wall-clock second to the first damage (repaint)
//    of the window after it, over the measured span;
//  - resident memory after 10 s idle and CPU time over the measured span;
//  - with FLOOR (idlefloor), the same for a program that only wakes once a
//    second at the clock's resident size: what any program of that size pays
//    here for its wake-ups.
//
// usage: clockbench TOCKARO REFERENCE [SECONDS [FLOOR]]
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <signal.h>
#include <string>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double wallSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

struct Program {
    std::string label;
    std::string path;
    std::string windowName;
    std::string argument; // none if empty
};

pid_t launch(const Program &program)
{
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        const char *argument = program.argument.empty() ? nullptr : program.argument.c_str();
        execl(program.path.c_str(), program.path.c_str(), argument, static_cast<char *>(nullptr));
        _exit(127);
    }
    return pid;
}

void stop(pid_t pid)
{
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

std::string windowName(Display *display, Window window)
{
    char *name = nullptr;
    std::string result;
    if (XFetchName(display, window, &name) && name)
        result = name;
    if (name)
        XFree(name);
    return result;
}

// Waits for a top-level window of the given name to be mapped.
std::optional<Window> waitForMap(Display *display, const std::string &name, double seconds)
{
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    const int fd = ConnectionNumber(display);
    while (Clock::now() < deadline) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && windowName(display, event.xmap.window) == name)
                return event.xmap.window;
        }
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(fd, &fds);
        timeval tv{0, 10000};
        select(fd + 1, &fds, nullptr, nullptr, &tv);
    }
    return std::nullopt;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return NAN;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double startupMs(Display *display, const Program &program)
{
    XSync(display, True);
    const auto start = Clock::now();
    const pid_t pid = launch(program);
    const auto window = waitForMap(display, program.windowName, 10);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    stop(pid);
    return window ? ms : NAN;
}

long residentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

// Times any thread of the process was put on a CPU: its wake-ups.
long wakeups(pid_t pid)
{
    long total = 0;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto &task : std::filesystem::directory_iterator(tasks)) {
        std::ifstream schedstat(task.path() / "schedstat");
        double runNs = 0;
        double waitNs = 0;
        long slices = 0;
        if (schedstat >> runNs >> waitNs >> slices)
            total += slices;
    }
    return total;
}

// CPU time of every thread of the process, from the scheduler's own nanosecond
// accounting: the tick-sampled figures of /proc/PID/stat are too coarse for the
// few milliseconds an idle clock spends.
double cpuMs(pid_t pid)
{
    double total = 0;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto &task : std::filesystem::directory_iterator(tasks)) {
        std::ifstream schedstat(task.path() / "schedstat");
        double runNs = 0;
        if (schedstat >> runNs)
            total += runNs / 1e6;
    }
    return total;
}

struct Running {
    Program program;
    pid_t pid = 0;
    Window window = 0;
    std::vector<double> damageTimes; // wall-clock seconds
};

std::optional<Running> start(Display *display, const Program &program)
{
    Running r;
    r.program = program;
    XSync(display, True);
    r.pid = launch(program);
    const auto window = waitForMap(display, program.windowName, 10);
    if (!window) {
        std::fprintf(stderr, "%s did not map its window\n", program.label.c_str());
        return std::nullopt;
    }
    r.window = *window;
    XDamageCreate(display, r.window, XDamageReportRawRectangles);
    return r;
}

// Notes each window's damage until the wall clock reaches `until`.
void watchDamage(Display *display, int damageEvent, std::vector<Running> &running, double until)
{
    const int fd = ConnectionNumber(display);
    while (wallSeconds() < until) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != damageEvent + XDamageNotify)
                continue;
            const double now = wallSeconds();
            const auto *notify = reinterpret_cast<XDamageNotifyEvent *>(&event);
            for (Running &r : running) {
                if (notify->drawable == r.window)
                    r.damageTimes.push_back(now);
            }
        }
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(fd, &fds);
        timeval tv{0, 2000};
        select(fd + 1, &fds, nullptr, nullptr, &tv);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TOCKARO REFERENCE [SECONDS [FLOOR]]\n", argv[0]);
        return 2;
    }
    const int span = argc > 3 ? std::atoi(argv[3]) : 60;
    const std::vector<Program> programs = {{"tockaro", argv[1], "Tockaro", {}},
                                           {"reference", argv[2], "Reference", {}}};

    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    int damageEvent = 0;
    int damageError = 0;
    if (!XDamageQueryExtension(display, &damageEvent, &damageError)) {
        std::fprintf(stderr, "the X server has no DAMAGE extension\n");
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);

    constexpr int kStarts = 7;
    std::map<std::string, double> startup;
    for (const Program &program : programs) {
        startupMs(display, program); // warm the caches
        std::vector<double> times;
        for (int i = 0; i < kStarts; ++i)
            times.push_back(startupMs(display, program));
        startup[program.label] = median(times);
    }

    std::vector<Running> running;
    for (const Program &program : programs) {
        std::optional<Running> r = start(display, program);
        if (!r)
            return 1;
        running.push_back(*r);
    }
    watchDamage(display, damageEvent, running, wallSeconds() + 10);
    std::map<std::string, long> rss;
    for (Running &r : running)
        rss[r.program.label] = residentKb(r.pid);
    if (argc > 4) {
        const Program floor{"floor", argv[4], "Floor", std::to_string(rss["tockaro"])};
        std::optional<Running> r = start(display, floor);
        if (!r)
            return 1;
        running.push_back(*r);
        watchDamage(display, damageEvent, running, wallSeconds() + 3);
        rss[floor.label] = residentKb(r->pid);
    }

    std::map<std::string, double> cpuStart;
    std::map<std::string, long> wakeStart;
    for (Running &r : running) {
        cpuStart[r.program.label] = cpuMs(r.pid);
        wakeStart[r.program.label] = wakeups(r.pid);
        r.damageTimes.clear();
    }
    const double measureFrom = wallSeconds();
    const double measureUntil = measureFrom + span;
    watchDamage(display, damageEvent, running, measureUntil);

    std::printf("%-10s %12s %12s %12s %12s %12s %12s\n", "program", "startup ms", "lag med ms",
                "lag max ms", "RSS kB", "CPU ms/min", "wakes/min");
    std::map<std::string, double> cpuPerMinute;
    for (Running &r : running) {
        const double cpu = (cpuMs(r.pid) - cpuStart[r.program.label]) * 60.0 / span;
        cpuPerMinute[r.program.label] = cpu;
        const double wakes =
            static_cast<double>(wakeups(r.pid) - wakeStart[r.program.label]) * 60.0 / span;
        std::vector<double> lags;
        const double firstSecond = std::ceil(measureFrom);
        for (double second = firstSecond; second + 1 <= measureUntil; second += 1) {
            const auto it = std::lower_bound(r.damageTimes.begin(), r.damageTimes.end(), second);
            if (it != r.damageTimes.end() && *it < second + 1)
                lags.push_back((*it - second) * 1000.0);
        }
        const double worst = lags.empty() ? NAN : *std::max_element(lags.begin(), lags.end());
        const double started = startup.count(r.program.label) ? startup[r.program.label] : NAN;
        std::printf("%-10s %12.1f %12.1f %12.1f %12ld %12.1f %12.0f   (%zu seconds seen)\n",
                    r.program.label.c_str(), started, median(lags), worst, rss[r.program.label],
                    cpu, wakes, lags.size());
        stop(r.pid);
    }
    const double tStartup = startup["tockaro"] / startup["reference"];
    const double tRss = static_cast<double>(rss["tockaro"]) / static_cast<double>(rss["reference"]);
    std::printf("ratios: startup %.2f (target <= 1.3), memory %.2f (target <= 1.2)\n", tStartup,
                tRss);
    if (cpuPerMinute.count("floor")) {
        std::printf(
            "idle CPU above a program of its size that only wakes each second: %.1f ms/min\n",
            cpuPerMinute["tockaro"] - cpuPerMinute["floor"]);
    }
    XCloseDisplay(display);
    return 0;
}
