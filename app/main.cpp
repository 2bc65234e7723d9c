#include "app/platform.h"

#include <cstdlib>
#include <ctime>

#include "app/frame.h"
#include "app/input.h"
#include "app/projection.h"
#include "app/state.h"
#include "terrain/colourmap.h"
#include "terrain/heightfield.h"
#include "trees/placement.h"
#include "trees/sprites.h"

int main()
{
    // Before anything takes a descriptor: a closed standard output must not be
    // handed to the X connection, and a reader that left must not end the run.
    keepStandardStreamsOpen();
    ignoreBrokenPipe();

    // The command line is not read: freeglut gets an empty argument list.
    int argc = 1;
    char name[] = "verdalo";
    char *argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(100, 100);
    glutInitWindowSize(width, height);
    glutCreateWindow("Verdalo");
    glClearColor(0.5f, 0.5f, 1.0f, 1.0f);
    initTextures();

    srand(time(0));
    getHeightField();
    turbulence();
    generateTreeMap();

    glutKeyboardFunc(keyboard);
    glutKeyboardUpFunc(keyboardUp);
    glutSpecialFunc(special);
    glutSpecialUpFunc(specialUp);
    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutMouseFunc(mouse);
    glutMainLoop();
    return 0;
}
