// The real program seen from outside, on the bench's display: the time from
// exec until its window is mapped and until its first frame is on screen,
// and its resident memory at start and after a run of F5s. The start-up peak
// comes from the kernel's accounting of the ended child (what GNU time -v
// prints as the maximum resident set size); the figures after the F5s from
// /proc while it still runs.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench.h"

extern char **environ;

namespace {

double now()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

int ignoreXError(Display *, XErrorEvent *) { return 0; }

struct Child {
    pid_t pid = -1;
    int out = -1;
    std::string pending;  // standard output not yet split into lines
};

// Environment and paths are made before the fork: the bench has GL threads running.
Child launch()
{
    static std::vector<std::string> settings;
    static std::vector<char *> env;
    if (env.empty()) {
        for (char **e = environ; *e; e++)
            if (strncmp(*e, "LD_PRELOAD=", 11) != 0 && strncmp(*e, "FIXED_TIME=", 11) != 0)
                settings.push_back(*e);
        settings.push_back(std::string("LD_PRELOAD=") + FIXEDTIME_LIB);
        settings.push_back("FIXED_TIME=" + std::to_string(benchSeed));
        for (std::string &s : settings)
            env.push_back(&s[0]);
        env.push_back(nullptr);
    }
    char name[] = "verdalo";
    char *argv[] = {name, nullptr};

    Child c;
    int fds[2];
    if (pipe(fds) != 0)
        return c;
    c.pid = fork();
    if (c.pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        close(fds[1]);
        if (chdir(VERDALO_ASSETS) != 0)
            _exit(126);
        execve(VERDALO_BINARY, argv, env.data());
        _exit(127);
    }
    close(fds[1]);
    c.out = fds[0];
    fcntl(c.out, F_SETFL, fcntl(c.out, F_GETFL) | O_NONBLOCK);
    return c;
}

// Ends the child and returns its peak resident set in KiB.
long finish(Child &c)
{
    kill(c.pid, SIGTERM);
    int status;
    rusage usage;
    memset(&usage, 0, sizeof usage);
    wait4(c.pid, &status, 0, &usage);
    close(c.out);
    c.pid = -1;
    return usage.ru_maxrss;
}

// Leaves an ended child unreaped, so that finish() still gets its accounting.
bool alive(const Child &c)
{
    siginfo_t info;
    memset(&info, 0, sizeof info);
    return waitid(P_PID, (id_t)c.pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

// The program's top-level window once it is viewable; 0 before.
Window programWindow(Display *d)
{
    Window root = DefaultRootWindow(d), parent = 0, *kids = nullptr;
    unsigned n = 0;
    if (!XQueryTree(d, root, &root, &parent, &kids, &n))
        return 0;
    Window found = 0;
    for (unsigned k = 0; k < n && !found; k++) {
        char *title = nullptr;
        XWindowAttributes a;
        if (XFetchName(d, kids[k], &title) && title && strcmp(title, "Verdalo") == 0
            && XGetWindowAttributes(d, kids[k], &a) && a.map_state == IsViewable)
            found = kids[k];
        if (title)
            XFree(title);
    }
    if (kids)
        XFree(kids);
    return found;
}

int channel(unsigned long pixel, unsigned long mask)
{
    if (!mask)
        return 0;
    while (!(mask & 1)) {
        mask >>= 1;
        pixel >>= 1;
    }
    return (int)(pixel & mask);
}

// The start view has sky at the top; before its first frame the window holds no such colour.
bool firstFrameShown(Display *d, Window w)
{
    XImage *image = XGetImage(d, w, 500, 2, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return false;
    unsigned long p = XGetPixel(image, 0, 0);
    int r = channel(p, image->red_mask), g = channel(p, image->green_mask), b = channel(p, image->blue_mask);
    XDestroyImage(image);
    return (r == 127 || r == 128) && (g == 127 || g == 128) && b == 255;
}

long statusKb(pid_t pid, const char *field)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    size_t n = strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, n, field) == 0)
            return atol(line.c_str() + n);
    return -1;
}

// Lines of the form "%i trees" the child has printed so far.
int countTreeLines(Child &c, int seen)
{
    char buf[4096];
    ssize_t n;
    while ((n = read(c.out, buf, sizeof buf)) > 0)
        c.pending.append(buf, (size_t)n);
    size_t end;
    while ((end = c.pending.find('\n')) != std::string::npos) {
        std::string line = c.pending.substr(0, end);
        c.pending.erase(0, end + 1);
        if (line.size() > 6 && line.compare(line.size() - 6, 6, " trees") == 0)
            seen++;
    }
    return seen;
}

struct Start {
    bool ok = false;
    double mapped = 0, firstFrame = 0;
    Window window = 0;
};

Start startAndWait(Display *d, Child &c)
{
    Start s;
    double deadline = now() + 60;
    // A window left by the previous run must be gone before timing the next.
    while (programWindow(d) && now() < deadline)
        usleep(2000);
    double t0 = now();
    c = launch();
    if (c.pid < 0)
        return s;
    while (!(s.window = programWindow(d))) {
        if (now() > deadline || !alive(c))
            return s;
        usleep(1000);
    }
    s.mapped = now() - t0;
    while (!firstFrameShown(d, s.window)) {
        if (now() > deadline || !alive(c))
            return s;
        usleep(1000);
    }
    s.firstFrame = now() - t0;
    s.ok = true;
    return s;
}

}  // namespace

Outside measureOutside(int startups, int regenerations)
{
    Outside o;
    Display *d = XOpenDisplay(nullptr);
    if (!d) {
        o.problem = "no X display";
        return o;
    }
    XSetErrorHandler(ignoreXError);

    // Every way out after the display is open ends the child and closes it.
    auto giveUp = [&](const std::string &problem, Child *c) {
        o.problem = problem;
        if (c && c->pid >= 0)
            finish(*c);
        XCloseDisplay(d);
        return o;
    };

    std::vector<double> mapped, firstFrame;
    for (int k = 0; k < startups; k++) {
        Child c;
        Start s = startAndWait(d, c);
        if (c.pid < 0 || !s.ok)
            return giveUp("the program did not show its first frame", &c);
        mapped.push_back(s.mapped * 1000);
        firstFrame.push_back(s.firstFrame * 1000);
        o.peakStartKb = std::max(o.peakStartKb, finish(c));
    }
    o.startups = startups;
    o.mappedMs = medianOf(mapped);
    o.firstFrameMs = medianOf(firstFrame);

    Child c;
    Start s = startAndWait(d, c);
    if (c.pid < 0 || !s.ok)
        return giveUp("the program did not show its first frame", &c);
    // The pointer over the window gives it the keyboard (there is no window manager).
    std::string display = DisplayString(d);
    std::string keys = "DISPLAY=" + display + " xdotool mousemove --window " + std::to_string(s.window)
                       + " 500 250 key --delay 1";
    for (int k = 0; k < regenerations; k++)
        keys += " F5";
    if (system(keys.c_str()) != 0)
        return giveUp("xdotool could not send the keys", &c);
    int lines = 0;
    double deadline = now() + 600;
    while (lines < regenerations && now() < deadline && alive(c)) {
        pollfd p = {c.out, POLLIN, 0};
        poll(&p, 1, 100);
        lines = countTreeLines(c, lines);
    }
    o.regenerations = lines;
    // Both read at one moment from the same counters, so the peak is never below the current figure.
    o.residentAfterKb = statusKb(c.pid, "VmRSS:");
    o.peakAfterKb = statusKb(c.pid, "VmHWM:");
    if (lines < regenerations)
        return giveUp("the program answered " + std::to_string(lines) + " of " + std::to_string(regenerations)
                          + " F5s",
                      &c);
    finish(c);
    XCloseDisplay(d);
    o.ok = true;
    return o;
}
