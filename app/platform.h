// Everything that differs between Linux, Windows and macOS lives here: the
// GL, GLU and GLUT headers, and through app/platform_system.h the few
// operating-system calls the program makes besides the C library. Every
// source that draws includes this, never the system GL headers themselves.
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
