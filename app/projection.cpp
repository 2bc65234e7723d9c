#include "app/projection.h"

#include "app/platform.h"

#include "app/camera.h"
#include "app/state.h"

void reshape(int w1, int h1)
{
    width = w1;
    height = h1;
    // A zero-height window counts as one pixel high: no division by zero.
    aspect = (1.0f * (float)width) / (float)(height == 0 ? 1 : height);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glViewport(0, 0, width, height);
    gluPerspective(fovy, aspect, zNear, zFar);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    lookFromEye();
}
