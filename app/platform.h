// Everything that differs between Linux, Windows and macOS lives here: the
// GL, GLU and GLUT headers and the few operating-system calls the program
// makes besides the C library. Every source includes this, never the system
// GL headers themselves.
#pragma once

#if defined(__APPLE__)
#define GL_SILENCE_DEPRECATION
#include <OpenGL/gl.h>
#include <OpenGL/glu.h>
#if defined(VERDALO_FREEGLUT)
#include <GL/glut.h>  // Homebrew's freeglut, where Apple's GLUT framework is absent
#else
#include <GLUT/glut.h>
#endif
#else
// On Windows glut.h brings in what gl.h needs first (APIENTRY, WINGDIAPI).
#include <GL/glut.h>
#include <GL/glu.h>
#include <GL/gl.h>
#endif

#include <sys/stat.h>

#include <cstdio>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#endif

// True when path names a regular file: a FIFO, a device or a directory would
// block or mislead a reader that expects an image.
inline bool isRegularFile(const char *path)
{
#if defined(_WIN32)
    struct _stat64 st;
    return _stat64(path, &st) == 0 && (st.st_mode & _S_IFMT) == _S_IFREG;
#else
    struct stat st;
    return stat(path, &st) == 0 && S_ISREG(st.st_mode);
#endif
}

// The same for a file already open, checked on its descriptor.
inline bool isRegularStream(FILE *file)
{
#if defined(_WIN32)
    struct _stat64 st;
    return _fstat64(_fileno(file), &st) == 0 && (st.st_mode & _S_IFMT) == _S_IFREG;
#else
    struct stat st;
    return fstat(fileno(file), &st) == 0 && S_ISREG(st.st_mode);
#endif
}

// True when something of any kind, a folder or a device too, is at path.
inline bool pathExists(const char *path)
{
#if defined(_WIN32)
    struct _stat64 st;
    return _stat64(path, &st) == 0;
#else
    struct stat st;
    return stat(path, &st) == 0;
#endif
}

// Puts /dev/null (NUL on Windows) on any of descriptors 0, 1 and 2 that a
// launcher left closed, so that no later file or connection takes its number
// and receives what is meant for standard output.
inline void keepStandardStreamsOpen()
{
#if defined(_WIN32)
    for (int fd = 0; fd <= 2; fd++)
        if (_get_osfhandle(fd) == -1)
            _open("NUL", fd == 0 ? _O_RDONLY : _O_WRONLY);
#else
    for (int fd = 0; fd <= 2; fd++)
        if (fcntl(fd, F_GETFD) == -1)
            open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
#endif
}

// A reader of standard output that went away must not end the program: the
// write fails and the fly-through goes on. Windows has no such signal.
inline void ignoreBrokenPipe()
{
#if !defined(_WIN32)
    signal(SIGPIPE, SIG_IGN);
#endif
}
