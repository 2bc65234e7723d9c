// The operating-system half of the platform layer: file kinds and the
// standard streams on Linux, Windows and macOS, without GL. The image module
// takes only this half, so that it stands without a GL to link.
#pragma once

#include <sys/stat.h>

#include <cstdio>

#include <fcntl.h>
#if defined(_WIN32)
#include <io.h>
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
