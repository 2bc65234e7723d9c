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
#include <sstream>
#include <stdexcept>
#include <gtest/gtest.h>

#include "tools/launch.h"

namespace {

double now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
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

std::string assetsDir() { return VERDALO_ASSETS; }
std::string shotsDir()
{
    mkdir(VERDALO_SHOTS, 0755);
    return VERDALO_SHOTS;
}

Pixel classify(Rgb c)
{
    if ((c.r == 127 || c.r == 128) && (c.g == 127 || c.g == 128) && c.b == 255)
        return Pixel::sky;
    if (c.r < 8 && c.g < 8 && c.b > 40)
        return Pixel::water;
    if (c.r < 8 && c.g > 40 && c.b < 8)
        return Pixel::land;
    if (c.r > c.g + 4 && c.r > c.b + 4)
        return Pixel::tree;
    if (std::abs(c.r - c.g) < 8 && std::abs(c.g - c.b) < 8 && c.r > 100)
        return Pixel::snow;
    return Pixel::other;
}

bool isHalfOf(Rgb c, int r, int g, int b)
{
    auto near = [](int got, int full) { return got >= full / 2 - 1 && got <= full / 2 + 1; };
    return near(c.r, r) && near(c.g, g) && near(c.b, b);
}

Picture loadPicture(const std::string &path)
{
    int status = -1;
    std::string ppm = commandOutput("convert " + shellQuote(path) + " -depth 8 ppm:- 2>/dev/null", &status);
    if (status != 0)
        return Picture();
    try {
        return parsePpm(ppm);
    } catch (const std::exception &) {
        return Picture();
    }
}

Rgb Picture::at(int x, int y) const
{
    const unsigned char *p = &rgb[((size_t)y * (size_t)width + (size_t)x) * 3];
    return {p[0], p[1], p[2]};
}

void Picture::savePng(const std::string &name) const
{
    savePngAs(shotsDir() + "/" + name + ".png");
}

bool Picture::savePngAs(const std::string &path) const
{
    FILE *f = popen(("convert ppm:- " + shellQuote(path)).c_str(), "w");
    if (!f)
        return false;
    fprintf(f, "P6\n%d %d\n255\n", width, height);
    fwrite(rgb.data(), 1, rgb.size(), f);
    return pclose(f) == 0;
}

Session::Session(const std::string &workdir, long fixedTime, int stdoutFd, const std::string &program)
{
    display_ = startXvfb(xvfb_);
    if (display_.empty())
        throw std::runtime_error("no Xvfb display could be started");

    int out[2], err[2], swaps[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0 || pipe2(swaps, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    Launch how;
    how.program = program;
    how.workdir = workdir;
    how.fixedTime = fixedTime;
    how.display = display_;
    how.stdoutFd = stdoutFd == captureOutput ? out[1] : stdoutFd;
    how.stderrFd = err[1];
    how.swapFd = swaps[1];
    pid_ = launchVerdalo(how);
    close(out[1]);
    close(err[1]);
    close(swaps[1]);
    outFd_ = out[0];
    errFd_ = err[0];
    swapFd_ = swaps[0];
    setNonBlocking(outFd_);
    setNonBlocking(errFd_);
    setNonBlocking(swapFd_);
}

Session::~Session()
{
    if (running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    stopXvfb(xvfb_);
    if (outFd_ >= 0)
        close(outFd_);
    if (errFd_ >= 0)
        close(errFd_);
    if (swapFd_ >= 0)
        close(swapFd_);
}

std::string Session::x11(const std::string &command, int *status)
{
    return commandOutput("DISPLAY=" + display_ + " " + command, status);
}

bool Session::waitForWindow(double seconds)
{
    // The first frame answers the window's first exposure: it is mapped by then.
    expected_ = std::max(expected_, 1L);
    if (!waitForSwaps(1, seconds))
        return false;
    std::string id = x11("timeout " + std::to_string((int)seconds)
                         + " xdotool search --sync --onlyvisible --name '^Verdalo$' 2>/dev/null");
    if (id.empty())
        return false;
    window_ = id.substr(0, id.find('\n'));
    // The pointer over the window gives it the keyboard (no window manager here).
    x11("xdotool mousemove --window " + window_ + " 500 250");
    return true;
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

long Session::frames()
{
    pump(0);
    return swaps_;
}

// True once count swaps have come; the poll wakes at every byte the program sends.
bool Session::waitForSwaps(long count, double seconds)
{
    double deadline = now() + seconds;
    pump(0);
    while (swaps_ < count && running() && now() < deadline)
        pump(deadline - now());
    pump(0);
    return swaps_ >= count;
}

bool Session::waitUntilIdle()
{
    if (!waitForSwaps(expected_, 60)) {
        if (!running())
            return true;  // an ended program draws nothing more
        ADD_FAILURE() << "the program swapped " << swaps_ << " frames, the events sent imply " << expected_;
        return false;
    }
    return true;
}

Picture Session::settledPicture()
{
    // An ended program has no window left to grab (import would wait for it).
    if (!waitUntilIdle() || !running())
        return Picture();
    return parsePpm(x11("import -window " + window_ + " -depth 8 ppm:-"));
}

// Each key press and each release calls a handler that draws one frame;
// Escape ends the program instead.
void Session::key(const std::string &keys)
{
    std::istringstream words(keys);
    std::string word, names;
    while (words >> word) {
        size_t star = word.find('*');
        std::string name = word.substr(0, star);
        int count = star == std::string::npos ? 1 : atoi(word.c_str() + star + 1);
        for (int k = 0; k < count; k++) {
            names += " " + name;
            expected_ += name == "Escape" ? 0 : 2;
        }
    }
    if (!names.empty())
        x11("xdotool key --delay 30" + names);
}

void Session::keyDown(const std::string &key)
{
    expected_ += key == "Escape" ? 0 : 1;
    x11("xdotool keydown " + key);
}

void Session::keyUp(const std::string &key)
{
    expected_ += 1;
    x11("xdotool keyup " + key);
}

void Session::click(int button)
{
    expected_ += 2;
    x11("xdotool click " + std::to_string(button));
}

bool Session::resize(int w, int h)
{
    Geometry before = geometry();
    if (before.width != w || before.height != h)
        expected_ += 1;  // a reshape, then its frame
    x11("xdotool windowsize --sync " + window_ + " " + std::to_string(w) + " " + std::to_string(h));
    Geometry g = geometry();
    return g.width == w && g.height == h;
}

// Waits up to seconds for anything from the program, then takes all it has
// sent: output, errors and one byte per swap. A pipe the program closed is
// left out from then on.
void Session::pump(double seconds)
{
    int *fds[3] = {&outFd_, &errFd_, &swapFd_};
    struct pollfd polls[3];
    for (int k = 0; k < 3; k++)
        polls[k] = {*fds[k], POLLIN, 0};
    poll(polls, 3, seconds > 0 ? (int)(seconds * 1000) + 1 : 0);
    std::string swapBytes;
    std::string *into[3] = {&out_, &err_, &swapBytes};
    for (int k = 0; k < 3; k++)
        if (*fds[k] >= 0 && !drain(*fds[k], *into[k])) {
            close(*fds[k]);
            *fds[k] = -1;
        }
    swaps_ += (long)swapBytes.size();
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
        pump(deadline - now());
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

