#include "app/window.h"

#include "app/platform.h"

#include "app/state.h"

void openWindow(const char *title)
{
    // The command line is not read: freeglut gets an empty argument list.
    int argc = 1;
    char name[] = "verdalo";
    char *argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(100, 100);
    glutInitWindowSize(width, height);
    glutCreateWindow(title);
    glClearColor(0.5f, 0.5f, 1.0f, 1.0f);
}
