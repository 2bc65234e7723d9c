// The one way the tests, the bench and the tour start the real program: in a
// working folder, with the clock shim fixing time() and the swap shim telling
// of every buffer swap, as a shell would hand it over. Linux only.
#pragma once

#include <sys/types.h>

#include <string>

struct Launch {
    std::string program;       // the program to start; empty: this build's own
    std::string workdir;       // where the program looks for its tree images
    long fixedTime = 0;        // what time() answers, the seed of the world
    std::string display;       // the X display; empty: this process's DISPLAY
    int stdoutFd = -1;         // becomes its standard output; -1: closed
    int stderrFd = 2;          // becomes its standard error
    int swapFd = -1;           // one byte here per swap, once the server has the frame
};

// Forks and starts the program; its process id, or -1. The descriptors given
// are the child's to keep; the caller closes its own copies.
pid_t launchVerdalo(const Launch &how);

// Starts tools/with-xvfb.sh in a process group of its own with a command that
// only waits, so that its private server lives until stopXvfb; the display
// name, or "" when no server came up within seconds.
std::string startXvfb(pid_t &group, double seconds = 20);
void stopXvfb(pid_t group);
