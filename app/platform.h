// Everything that differs between Linux, Windows and macOS lives here: the
// GL, GLU and GLUT headers and the few operating-system calls the program
// makes besides the C library. Every source includes this, never the system
// GL headers themselves.
// The web build (emscripten) takes the Linux branch: its GL, GLU and GLUT
// headers have the same names, and web/gl_web.cpp mends where its GL differs.
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
#include <cstring>

#include <fcntl.h>
#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#elif defined(__APPLE__)
#include <mach-o/dyld.h>
#include <signal.h>
#include <unistd.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

#if defined(_WIN32)
typedef struct _stat64 fileStatus;
inline int statPath(const char *path, fileStatus *st) { return _stat64(path, st); }
inline int statStream(FILE *file, fileStatus *st) { return _fstat64(_fileno(file), st); }
inline bool isRegularMode(unsigned mode) { return (mode & _S_IFMT) == _S_IFREG; }
#else
typedef struct stat fileStatus;
inline int statPath(const char *path, fileStatus *st) { return stat(path, st); }
inline int statStream(FILE *file, fileStatus *st) { return fstat(fileno(file), st); }
inline bool isRegularMode(mode_t mode) { return S_ISREG(mode); }
#endif

// What is at a path or behind an open stream. Only a regular file is read as
// an image: a FIFO would block its reader, a device or a folder mislead it.
enum FileKind { fileMissing, fileRegular, fileOther };

inline FileKind pathKind(const char *path)
{
    fileStatus st;
    return statPath(path, &st) != 0 ? fileMissing : isRegularMode(st.st_mode) ? fileRegular : fileOther;
}

inline FileKind streamKind(FILE *file)
{
    fileStatus st;
    return statStream(file, &st) != 0 ? fileMissing : isRegularMode(st.st_mode) ? fileRegular : fileOther;
}

// The folder the running program's file lies in, without a trailing
// separator; false where the system cannot say or it does not fit.
inline bool programFolder(char *folder, size_t size)
{
    if (size < 2)
        return false;
#if defined(_WIN32)
    DWORD length = GetModuleFileNameA(nullptr, folder, (DWORD)size);
    if (length == 0 || length >= size)
        return false;
#elif defined(__APPLE__)
    uint32_t capacity = (uint32_t)size;
    if (_NSGetExecutablePath(folder, &capacity) != 0)
        return false;
#else
    ssize_t length = readlink("/proc/self/exe", folder, size);
    if (length <= 0 || (size_t)length >= size)
        return false;
    folder[length] = '\0';
#endif
    char *slash = strrchr(folder, '/');
#if defined(_WIN32)
    char *backslash = strrchr(folder, '\\');
    if (!slash || (backslash && backslash > slash))
        slash = backslash;
#endif
    if (!slash || slash == folder)
        return false;
    *slash = '\0';
    return true;
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
