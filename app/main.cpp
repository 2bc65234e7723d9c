#include "app/platform.h"

#include <cstdlib>
#include <ctime>

#include "app/frame.h"
#include "app/input.h"
#include "app/projection.h"
#include "app/window.h"
#include "app/world.h"
#include "trees/sprites.h"

int main()
{
    // Before anything takes a descriptor: a closed standard output must not be
    // handed to the X connection, and a reader that left must not end the run.
    keepStandardStreamsOpen();
    ignoreBrokenPipe();

    openWindow("Verdalo");
    initTextures();

    srand(time(0));
    buildWorld();

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
