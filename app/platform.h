// Everything that differs between Linux, Windows and macOS lives here: the
// GL, GLU and GLUT headers, and through app/platform_system.h the few
// operating-system calls the program makes besides the C library. Every
// source that draws includes this, never the system GL headers themselves.
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

#include "app/platform_system.h"

#include <cstring>
#if defined(_WIN32)
#include <windows.h>
#elif defined(__APPLE__)
#include <mach-o/dyld.h>
#endif

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
