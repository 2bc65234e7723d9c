// Drives the real program as a person would: a private Xvfb server, the
// program started in a folder with a fixed clock, keys and clicks through
// xdotool, screenshots through ImageMagick, and its output and exit status.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/command.h"

struct Rgb {
    int r, g, b;
};

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;

    Rgb at(int x, int y) const;
    bool operator==(const Picture &other) const { return width == other.width && height == other.height && rgb == other.rgb; }
    bool operator!=(const Picture &other) const { return !(*this == other); }
    // Share of pixels (0..1) in the rectangle whose colour satisfies pred.
    template <class Pred> double share(int x0, int y0, int x1, int y1, Pred pred) const;
    void savePng(const std::string &name) const;         // into shotsDir(), as name.png
    bool savePngAs(const std::string &path) const;       // anywhere
};

struct Geometry {
    int x = -1, y = -1, width = -1, height = -1;
};

// Pixel classes, as the program draws them: the sky is the clear colour
// (0.5, 0.5, 1.0) as it lands in an 8-bit frame buffer; the colour map puts
// water in blue only and land in green only, and snow is grey; no blend of
// them has red above green and blue, so those pixels are trees. The one
// definition: verdalo_census gives it to the Windows and the browser checks.
enum class Pixel { sky, water, land, tree, snow, other };
Pixel classify(Rgb c);
inline bool isSky(Rgb c) { return classify(c) == Pixel::sky; }
// A texel of colour (r, g, b) as the tree pass draws it, at half its colour.
bool isHalfOf(Rgb c, int r, int g, int b);

// A picture file of any format ImageMagick reads; empty when it cannot.
Picture loadPicture(const std::string &path);

class Session {
public:
    // Where the program's standard output goes: to the session (readLine),
    // nowhere (the descriptor closed, as some launchers start programs), or
    // to a descriptor of the test's own.
    static const int captureOutput = -2, closedOutput = -1;

    // Starts Xvfb and the program in workdir with time() fixed at fixedTime;
    // program is the build's own unless another (an installed one) is given.
    explicit Session(const std::string &workdir, long fixedTime = 1700000000L, int stdoutFd = captureOutput,
                     const std::string &program = "");
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    const std::string &display() const { return display_; }
    pid_t pid() const { return pid_; }

    bool waitForWindow(double seconds = 30);
    std::string title();
    Geometry geometry();

    // Waits until the program has drawn everything asked of it, then grabs its
    // window; an empty picture when it has ended or its frames did not come.
    Picture settledPicture();
    // Waits until the program has swapped the frames that the events sent so
    // far imply, the one rule for "on screen" wherever swaps can be counted;
    // false (and a test failure) if they do not come.
    bool waitUntilIdle();

    // Buffer swaps the program has made so far, and those the events sent
    // imply: one for the first exposure, one for every key or button pressed
    // or released (Escape draws none), at least one for a resize.
    long frames();
    long expectedFrames() const { return expected_; }

    // xdotool key names, each pressed N times when written NAME*N: "w", "F5 F5", "d*6", "Escape".
    void key(const std::string &keys);
    void keyDown(const std::string &key);
    void keyUp(const std::string &key);
    void click(int button);  // 1 left, 2 middle, 3 right
    bool resize(int w, int h);

    std::string readLine(double seconds);  // one line of standard output, without '\n'; "" on time-out
    std::string unreadOutput();            // whatever standard output holds now
    std::string errorOutput();             // everything on standard error so far
    int waitForExit(double seconds);       // exit status, or -1 if still running
    bool running();

    // Runs a command against this session's display; returns its standard output.
    std::string x11(const std::string &command, int *status = nullptr);

private:
    void pump(double seconds);
    bool waitForSwaps(long count, double seconds);

    std::string display_;
    pid_t xvfb_ = -1, pid_ = -1;
    int outFd_ = -1, errFd_ = -1, swapFd_ = -1;
    std::string out_, err_;
    std::string window_;
    int exitStatus_ = -1;
    long swaps_ = 0, expected_ = 0;
};

// Paths of the build, handed over by CMake.

std::string assetsDir();
std::string shotsDir();

template <class Pred> double Picture::share(int x0, int y0, int x1, int y1, Pred pred) const
{
    long hits = 0, all = 0;
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++, all++)
            hits += pred(at(x, y)) ? 1 : 0;
    return all ? (double)hits / (double)all : 0.0;
}
