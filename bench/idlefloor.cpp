// What waking once a second costs on this machine for a program of a given
// size, whatever the program does: it keeps KB of memory resident and, at each
// whole second, copies a picture into its window with one short X request, as
// the clock's digit painter does. The clock bench runs it at the clock's size,
// beside the clock, so the clock's idle CPU reads against it: on a virtual
// machine a wake-up costs in proportion to the resident pages.
//
// usage: idlefloor KB
#include <X11/Xlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <sys/timerfd.h>
#include <unistd.h>
#include <vector>

namespace {

long residentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s KB\n", argv[0]);
        return 2;
    }
    const long wantedKb = std::atol(argv[1]);
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    // In the bottom corner, clear of the other programs' windows: a covered
    // window reports no damage.
    const Window window = XCreateSimpleWindow(
        display, RootWindow(display, screen), DisplayWidth(display, screen) - 130,
        DisplayHeight(display, screen) - 50, 120, 40, 0, 0, BlackPixel(display, screen));
    XStoreName(display, window, "Floor");
    const Pixmap pictures = XCreatePixmap(display, window, 200, 40,
                                          static_cast<unsigned>(DefaultDepth(display, screen)));
    XGCValues values{};
    values.graphics_exposures = False;
    const GC gc = XCreateGC(display, window, GCGraphicsExposures, &values);
    XMapWindow(display, window);
    XSync(display, False);

    // Grown in steps to the size asked for, counting the pages the libraries
    // brought in.
    std::vector<std::vector<char>> held;
    while (residentKb() + 256 <= wantedKb)
        held.emplace_back(256 * 1024, '\1');

    const int timer = timerfd_create(CLOCK_REALTIME, 0);
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    itimerspec every{};
    every.it_value.tv_sec = now.tv_sec + 1;
    every.it_interval.tv_sec = 1;
    timerfd_settime(timer, TFD_TIMER_ABSTIME, &every, nullptr);
    for (int second = 0;; ++second) {
        std::uint64_t expirations = 0;
        if (read(timer, &expirations, sizeof expirations) < 0)
            return 1;
        XCopyArea(display, pictures, window, gc, (second % 10) * 20, 0, 20, 40, 10, 0);
        XFlush(display);
    }
}
