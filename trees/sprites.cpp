#include "trees/sprites.h"

#include <GL/gl.h>

#include "app/state.h"

void initTextures()
{
    glEnable(GL_DEPTH_TEST);
}

void renderTrees(const float cam[3])
{
    (void)cam;
}
