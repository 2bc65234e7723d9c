// Running a shell command from a test and reading its output, POSIX only: the
// one way the tests do it, the end-to-end harness's X commands included.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

// s in single quotes, for a shell command line.
inline std::string shellQuote(const std::string &s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs a shell command; its standard output, and its exit status in *status
// (-1 when it could not run or did not exit).
inline std::string commandOutput(const std::string &command, int *status = nullptr)
{
    FILE *f = popen(command.c_str(), "r");
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
