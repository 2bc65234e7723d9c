// The program as launchers and shells hand it over: standard output closed,
// or a pipe whose reader has gone. F5 must still grow a new world and Escape
// must still end the program with its own status.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>

#include "tests/e2e/harness.h"

namespace {

double now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::string visibleWindows(Session &x) { return x.x11("xdotool search --onlyvisible --name '^Verdalo$' 2>/dev/null"); }

// The session's display, with a second program of our own on it, started
// with standard output as given (-1: closed). Its window is the one that was
// not there before.
class Launched {
public:
    Launched(Session &display, int stdoutFd) : x_(display)
    {
        before_ = visibleWindows(display);
        pid_ = fork();
        if (pid_ == 0) {
            if (stdoutFd < 0)
                close(1);
            else
                dup2(stdoutFd, 1);
            signal(SIGPIPE, SIG_DFL);  // as a shell starts it
            if (chdir(assetsDir().c_str()) != 0)
                _exit(126);
            setenv("DISPLAY", display.display().c_str(), 1);
            execl(verdaloBinary().c_str(), "verdalo", (char *)nullptr);
            _exit(127);
        }
    }
    ~Launched()
    {
        if (status_ < 0 && pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    bool findWindow()
    {
        for (double until = now() + 30; now() < until && running();) {
            std::istringstream ids(visibleWindows(x_));
            std::string id;
            while (std::getline(ids, id)) {
                if (before_.find(id) != std::string::npos)
                    continue;
                window_ = id;
                // Ours is mapped last, so on top: the pointer over it gives it the keyboard.
                x_.x11("xdotool mousemove --window " + window_ + " 500 250");
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    std::string screenshot() { return x_.x11("import -window " + window_ + " -depth 8 ppm:-"); }

    // Polls the window until pred holds for its picture; the last picture seen, "" on time-out.
    template <class Pred> std::string waitForPicture(Pred pred)
    {
        for (double until = now() + 60; now() < until && running();) {
            std::string shot = screenshot();
            if (pred(shot))
                return shot;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return "";
    }

    void key(const std::string &keys) { x_.x11("xdotool key --delay 30 " + keys); }

    bool running()
    {
        if (status_ >= 0)
            return false;
        int s;
        if (waitpid(pid_, &s, WNOHANG) == pid_) {
            status_ = WIFEXITED(s) ? WEXITSTATUS(s) : 128 + WTERMSIG(s);
            return false;
        }
        return true;
    }

    // Exit status (128 + signal when killed), or -1 if still running.
    int waitForExit()
    {
        for (double until = now() + 30; now() < until && running();)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return status_;
    }

private:
    Session &x_;
    pid_t pid_ = -1;
    int status_ = -1;
    std::string before_, window_;
};

// The first frame is on screen once the top row is sky: a PPM's pixel at (500, 2).
bool showsSky(const std::string &ppm)
{
    int w = 0, h = 0, max = 0, used = 0;
    if (sscanf(ppm.c_str(), "P6 %d %d %d%n", &w, &h, &max, &used) != 3 || w < 1000 || h < 3)
        return false;
    size_t at = (size_t)used + 1 + ((size_t)2 * (size_t)w + 500) * 3;
    if (ppm.size() < at + 3)
        return false;
    Rgb c = {(unsigned char)ppm[at], (unsigned char)ppm[at + 1], (unsigned char)ppm[at + 2]};
    return isSky(c);
}

// F5 grows and draws new worlds, the program lives on, and Escape ends it with status 1.
void expectFlightGoesOn(Session &display, int stdoutFd)
{
    ASSERT_TRUE(display.waitForWindow()) << display.errorOutput();
    Launched app(display, stdoutFd);
    ASSERT_TRUE(app.findWindow());
    std::string start = app.waitForPicture(showsSky);
    ASSERT_FALSE(start.empty());

    app.key("F5");
    std::string next = app.waitForPicture([&](const std::string &p) { return showsSky(p) && p != start; });
    EXPECT_FALSE(next.empty()) << "no new world after the first F5";
    app.key("F5");
    EXPECT_FALSE(app.waitForPicture([&](const std::string &p) { return showsSky(p) && p != next; }).empty())
        << "no new world after the second F5";
    ASSERT_TRUE(app.running());

    app.key("Escape");
    EXPECT_EQ(app.waitForExit(), 1);
}

TEST(Launch, StandardOutputClosed)
{
    Session display(assetsDir());
    expectFlightGoesOn(display, -1);
}

TEST(Launch, StandardOutputAPipeWithNoReader)
{
    Session display(assetsDir());
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    close(fds[0]);
    expectFlightGoesOn(display, fds[1]);
    close(fds[1]);
}

}  // namespace
