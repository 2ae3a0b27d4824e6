// Times the desktop program from exec to its main window on screen with the lists drawn, as a
// user sees it start: the first map of a top-level window titled "Zelmar Pictavo", and the
// first time that window shows a drawn frame (many colours instead of the bare background).
// Needs an X server without a window manager, so top-level windows are children of the root.
//
//   pictavo-bench-startup RUNS PROGRAM [ARGUMENTS...]
//
// One warm-up run, then RUNS timed ones; prints min, median and max in milliseconds.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool isMainWindow(Display* display, Window window) {
    char* name = nullptr;
    if (!XFetchName(display, window, &name) || !name)
        return false;
    const bool found = std::strcmp(name, "Zelmar Pictavo") == 0;
    XFree(name);
    return found;
}

// A drawn window has text, frames and images; the background before the first paint has one or
// two colours.
bool isDrawn(Display* display, Window window) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable)
        return false;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image)
        return false;
    std::set<unsigned long> colours;
    for (int y = 0; y < attributes.height && colours.size() < 8; y += 3)
        for (int x = 0; x < attributes.width && colours.size() < 8; x += 3)
            colours.insert(XGetPixel(image, x, y));
    XDestroyImage(image);
    return colours.size() >= 8;
}

struct Times {
    double mapped = 0;
    double drawn = 0;
};

bool runOnce(Display* display, char** command, Times& times) {
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execv(command[0], command);
        _exit(127);
    }
    Window window = 0;
    while (!window) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify && isMainWindow(display, event.xmap.window))
            window = event.xmap.window;
    }
    times.mapped = millisecondsSince(start);
    while (!isDrawn(display, window)) {
        if (millisecondsSince(start) > 30000) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            return false;
        }
    }
    times.drawn = millisecondsSince(start);
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    return true;
}

void report(const char* what, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::printf("%-34s min %6.1f ms  median %6.1f ms  max %6.1f ms\n", what, values.front(),
                values[values.size() / 2], values.back());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s RUNS PROGRAM [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    std::vector<double> mapped;
    std::vector<double> drawn;
    for (int run = 0; run <= runs; ++run) {
        Times times;
        if (!runOnce(display, argv + 2, times)) {
            std::fprintf(stderr, "the window was never drawn\n");
            return 1;
        }
        if (run == 0)
            continue; // warm-up
        mapped.push_back(times.mapped);
        drawn.push_back(times.drawn);
    }
    report("exec to main window mapped", mapped);
    report("exec to main window drawn", drawn);
    XCloseDisplay(display);
    return 0;
}
