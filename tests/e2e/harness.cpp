#include "tests/e2e/harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

double now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void sleepFor(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

void setNonBlocking(int fd)
{
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// Reads what a non-blocking pipe holds now; false once it is closed.
bool drain(int fd, std::string &into)
{
    char buf[4096];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n > 0)
            into.append(buf, (size_t)n);
        else
            return n < 0;  // 0: writer gone; -1 (EAGAIN): nothing more for now
    }
}

std::string shellQuote(const std::string &s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

Picture parsePpm(const std::string &data)
{
    Picture p;
    std::istringstream in(data);
    std::string magic;
    int maxval = 0;
    in >> magic >> p.width >> p.height >> maxval;
    if (magic != "P6" || maxval != 255 || p.width <= 0 || p.height <= 0)
        throw std::runtime_error("not an 8-bit PPM screenshot");
    in.get();
    size_t offset = (size_t)in.tellg();
    size_t size = (size_t)p.width * (size_t)p.height * 3;
    if (data.size() < offset + size)
        throw std::runtime_error("short PPM screenshot");
    p.rgb.assign(data.begin() + (long)offset, data.begin() + (long)(offset + size));
    return p;
}

}  // namespace

std::string verdaloBinary() { return VERDALO_BINARY; }
std::string assetsDir() { return VERDALO_ASSETS; }
std::string shotsDir()
{
    mkdir(VERDALO_SHOTS, 0755);
    return VERDALO_SHOTS;
}

bool isSky(Rgb c)
{
    return (c.r == 127 || c.r == 128) && (c.g == 127 || c.g == 128) && c.b == 255;
}

Rgb Picture::at(int x, int y) const
{
    const unsigned char *p = &rgb[((size_t)y * (size_t)width + (size_t)x) * 3];
    return {p[0], p[1], p[2]};
}

void Picture::savePng(const std::string &name) const
{
    std::string path = shotsDir() + "/" + name + ".png";
    FILE *f = popen(("convert ppm:- " + shellQuote(path)).c_str(), "w");
    if (!f)
        return;
    fprintf(f, "P6\n%d %d\n255\n", width, height);
    fwrite(rgb.data(), 1, rgb.size(), f);
    pclose(f);
}

// Starts Xvfb on display :number; true once it takes connections. A number
// that another server holds makes Xvfb give up, and then this returns false.
bool Session::startServer(int number)
{
    display_ = ":" + std::to_string(number);
    xvfb_ = fork();
    if (xvfb_ == 0) {
        int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 1);
        dup2(devnull, 2);
        // -noreset: a server that resets when its last client leaves refuses
        // the next one for a moment.
        execlp("Xvfb", "Xvfb", display_.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset",
               "+extension", "GLX", (char *)nullptr);
        _exit(127);
    }
    for (double until = now() + 20; now() < until; sleepFor(0.05)) {
        int status = -1;
        if (waitpid(xvfb_, nullptr, WNOHANG) == xvfb_)
            break;
        x11("xdpyinfo >/dev/null 2>&1", &status);
        // Answered, and by our own server only if it is still running.
        if (status == 0 && waitpid(xvfb_, nullptr, WNOHANG) == 0)
            return true;
    }
    kill(xvfb_, SIGKILL);
    waitpid(xvfb_, nullptr, 0);
    xvfb_ = -1;
    return false;
}

Session::Session(const std::string &workdir, long fixedTime)
{
    // Tests run side by side: each picks its own display numbers to try.
    int first = 100 + (int)(getpid() % 400) * 2;
    bool started = false;
    for (int attempt = 0; attempt < 40 && !started; attempt++)
        started = startServer(first + attempt * 17 % 800);
    if (!started)
        throw std::runtime_error("no Xvfb display could be started");

    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0)
        throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(out[0]);
        close(err[0]);
        if (chdir(workdir.c_str()) != 0)
            _exit(126);
        setenv("DISPLAY", display_.c_str(), 1);
        setenv("LD_PRELOAD", FIXEDTIME_LIB, 1);
        setenv("FIXED_TIME", std::to_string(fixedTime).c_str(), 1);
        execl(VERDALO_BINARY, "verdalo", (char *)nullptr);
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    outFd_ = out[0];
    errFd_ = err[0];
    setNonBlocking(outFd_);
    setNonBlocking(errFd_);
}

Session::~Session()
{
    if (running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (xvfb_ > 0) {
        kill(xvfb_, SIGTERM);
        waitpid(xvfb_, nullptr, 0);
    }
    if (outFd_ >= 0)
        close(outFd_);
    if (errFd_ >= 0)
        close(errFd_);
}

std::string Session::x11(const std::string &command, int *status)
{
    std::string full = "DISPLAY=" + display_ + " " + command;
    FILE *f = popen(full.c_str(), "r");
    std::string result;
    if (!f) {
        if (status)
            *status = -1;
        return result;
    }
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        result.append(buf, n);
    int rc = pclose(f);
    if (status)
        *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return result;
}

bool Session::waitForWindow(double seconds)
{
    double deadline = now() + seconds;
    while (now() < deadline && running()) {
        std::string id = x11("xdotool search --onlyvisible --name '^Verdalo$' 2>/dev/null");
        if (!id.empty()) {
            window_ = id.substr(0, id.find('\n'));
            // The pointer over the window gives it the keyboard (no window manager here).
            x11("xdotool mousemove --window " + window_ + " 500 250");
            return true;
        }
        sleepFor(0.1);
    }
    return false;
}

std::string Session::title()
{
    std::string name = x11("xdotool getwindowname " + window_);
    return name.substr(0, name.find('\n'));
}

Geometry Session::geometry()
{
    Geometry g;
    std::istringstream info(x11("xwininfo -id " + window_));
    std::string line;
    while (std::getline(info, line)) {
        auto field = [&](const char *label, int &into) {
            size_t at = line.find(label);
            if (at != std::string::npos)
                into = atoi(line.c_str() + at + strlen(label));
        };
        field("Absolute upper-left X:", g.x);
        field("Absolute upper-left Y:", g.y);
        field("Width:", g.width);
        field("Height:", g.height);
    }
    return g;
}

long Session::cpuTicks()
{
    std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    size_t close = text.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string skip;
    for (int k = 0; k < 11; k++)
        fields >> skip;
    long utime = 0, stime = 0;
    fields >> utime >> stime;
    return utime + stime;
}

void Session::waitUntilIdle()
{
    // The program draws only in answer to events: once its CPU time stops
    // growing for a while, every frame asked for is on screen.
    long last = cpuTicks();
    int quiet = 0;
    double deadline = now() + 60;
    while (quiet < 4 && now() < deadline && running()) {
        pump(0.1);
        long ticks = cpuTicks();
        quiet = ticks == last ? quiet + 1 : 0;
        last = ticks;
    }
}

Picture Session::settledPicture()
{
    waitUntilIdle();
    return parsePpm(x11("import -window " + window_ + " -depth 8 ppm:-"));
}

void Session::key(const std::string &keys) { x11("xdotool key --delay 30 " + keys); }
void Session::keyDown(const std::string &key) { x11("xdotool keydown " + key); }
void Session::keyUp(const std::string &key) { x11("xdotool keyup " + key); }
void Session::click(int button) { x11("xdotool click " + std::to_string(button)); }

bool Session::resize(int w, int h)
{
    x11("xdotool windowsize --sync " + window_ + " " + std::to_string(w) + " " + std::to_string(h));
    Geometry g = geometry();
    return g.width == w && g.height == h;
}

void Session::pump(double seconds)
{
    struct pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
    poll(fds, 2, (int)(seconds * 1000));
    drain(outFd_, out_);
    drain(errFd_, err_);
}

std::string Session::readLine(double seconds)
{
    double deadline = now() + seconds;
    for (;;) {
        size_t end = out_.find('\n');
        if (end != std::string::npos) {
            std::string line = out_.substr(0, end);
            out_.erase(0, end + 1);
            return line;
        }
        if (now() >= deadline)
            return "";
        pump(0.05);
    }
}

std::string Session::unreadOutput()
{
    pump(0);
    std::string all;
    all.swap(out_);
    return all;
}

std::string Session::errorOutput()
{
    pump(0);
    return err_;
}

bool Session::running()
{
    if (pid_ <= 0 || exitStatus_ >= 0)
        return false;
    int status;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return false;
    }
    return true;
}

int Session::waitForExit(double seconds)
{
    double deadline = now() + seconds;
    while (running() && now() < deadline)
        pump(0.05);
    pump(0);
    return running() ? -1 : exitStatus_;
}

long Session::residentKb()
{
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return atol(line.c_str() + 6);
    return -1;
}
