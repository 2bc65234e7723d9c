#include "app/input.h"

#include "app/platform.h"

#include <cstdio>
#include <cstdlib>

#include "app/frame.h"
#include "app/projection.h"
#include "app/state.h"
#include "app/world.h"

// A new world continues the random sequence begun at start-up; it is never reseeded.
static void regenerate()
{
    treeCount = 0;
    buildWorld();
    printf("%i trees\n", treeCount);
    fflush(stdout);  // a reader on a pipe sees each count as it is printed
}

void keyboard(unsigned char key, int, int)
{
    switch (key) {
    case 27:
        exit(1);
    case '1': cameraType = 0; break;
    case '2': cameraType = 1; break;
    case 'w': walkDelta = 5; break;
    case 'r': pitchDelta = 5; break;
    case 'a': yawDelta = -0.05f; break;
    case 's': walkDelta = -5; break;
    case 'd': yawDelta = 0.05f; break;
    case 'f': pitchDelta = -5; break;
    case ' ': flyDelta = 5; break;
    case 'z':
        if (fovy < 179.0f) {
            fovy = fovy + 2.0f;
            reshape(width, height);
        }
        break;
    case 'x':
        if (fovy > 1.0f) {
            fovy = fovy - 2.0f;
            reshape(width, height);
        }
        break;
    }
    display();
}

// Releasing either key of a pair stops that motion.
void keyboardUp(unsigned char key, int, int)
{
    switch (key) {
    case 'w': case 's': walkDelta = 0; break;
    case 'r': case 'f': pitchDelta = 0; break;
    case 'a': case 'd': yawDelta = 0.0f; break;
    case ' ': flyDelta = 0; break;
    }
    display();
}

void special(int key, int, int)
{
    if (key == GLUT_KEY_F5)
        regenerate();
    else if (key == GLUT_KEY_DOWN)
        flyDelta = -5;
    display();
}

void specialUp(int key, int, int)
{
    if (key == GLUT_KEY_DOWN)
        flyDelta = 0;
    display();
}

void mouse(int button, int state, int, int)
{
    if (button == GLUT_LEFT_BUTTON && state == GLUT_DOWN)
        wireframe = !wireframe;
    else if (button == GLUT_RIGHT_BUTTON && state == GLUT_DOWN)
        billboard = !billboard;
    display();
}
