#include "tools/launch.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

pid_t launchVerdalo(const Launch &how)
{
    pid_t pid = fork();
    if (pid != 0)
        return pid;
    dup2(how.stderrFd, 2);
    if (how.stdoutFd >= 0)
        dup2(how.stdoutFd, 1);
    signal(SIGPIPE, SIG_DFL);  // as a shell hands it over
    if (chdir(how.workdir.c_str()) != 0)
        _exit(126);
    if (!how.display.empty())
        setenv("DISPLAY", how.display.c_str(), 1);
    // Anything more to preload (the web's random source) comes from VERDALO_PRELOAD.
    std::string preload = FIXEDTIME_LIB ":" SWAPCOUNT_LIB;
    const char *extra = getenv("VERDALO_PRELOAD");
    if (extra && *extra)
        preload = preload + ":" + extra;
    setenv("LD_PRELOAD", preload.c_str(), 1);
    setenv("FIXED_TIME", std::to_string(how.fixedTime).c_str(), 1);
    if (how.swapFd >= 0) {
        int fd = dup(how.swapFd);  // without close-on-exec
        setenv("SWAP_COUNT_FD", std::to_string(fd).c_str(), 1);
    }
    // Closed last, so that none of the above takes its number.
    if (how.stdoutFd < 0)
        close(1);
    execl(how.program.empty() ? VERDALO_BINARY : how.program.c_str(), "verdalo", (char *)nullptr);
    _exit(127);
}

static double now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::string startXvfb(pid_t &group, double seconds)
{
    group = -1;
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0)
        return "";
    pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        int devnull = open("/dev/null", O_RDWR);
        dup2(devnull, 0);
        dup2(devnull, 1);
        dup2(devnull, 2);
        dup2(ready[1], 3);
        execl(WITH_XVFB, "with-xvfb.sh", "sh", "-c", "echo \"$DISPLAY\" >&3; exec 3>&-; exec sleep 2147483647",
              (char *)nullptr);
        _exit(127);
    }
    close(ready[1]);
    if (pid < 0) {
        close(ready[0]);
        return "";
    }
    setpgid(pid, pid);
    group = pid;
    std::string line;
    struct pollfd wait = {ready[0], POLLIN, 0};
    char c;
    for (double until = now() + seconds; now() < until && line.find('\n') == std::string::npos;) {
        if (poll(&wait, 1, (int)((until - now()) * 1000) + 1) <= 0 || read(ready[0], &c, 1) != 1)
            break;
        line += c;
    }
    close(ready[0]);
    if (line.find('\n') == std::string::npos || line.size() < 2) {
        stopXvfb(group);
        group = -1;
        return "";
    }
    return line.substr(0, line.find('\n'));
}

// The server, the wrapper and its waiting command share the group.
void stopXvfb(pid_t group)
{
    if (group <= 0)
        return;
    kill(-group, SIGTERM);
    waitpid(group, nullptr, 0);
}
