#include "app/frame.h"

#include "app/platform.h"

#include "app/camera.h"
#include "app/state.h"
#include "trees/sprites.h"

static void applyHeldKeys()
{
    // Walk first, so it follows the direction from before this frame's turn.
    if (walkDelta != 0)
        walk((float)walkDelta);
    if (pitchDelta != 0)
        pitch((float)pitchDelta);
    if (yawDelta != 0.0f) {
        angle = angle + yawDelta;
        yaw(angle);
    }
    if (flyDelta != 0)
        fly((float)flyDelta);
}

void display()
{
    applyHeldKeys();
    float cam[3] = {eyeX, eyeY, eyeZ};

    // Every reshape leaves the model-view matrix current.
    glLoadIdentity();
    lookFromEye();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    renderTerrain();
    renderTrees(cam);
    glutSwapBuffers();
}

static inline void meshVertex(int a, int b)
{
    const float *c = finalTerrainTexture[a][b];
    glColor3f(c[0], c[1], c[2]);
    glVertex3f((float)a, terrain[a][b] * 0.1f, (float)b);
}

void renderTerrain()
{
    glBegin(wireframe ? GL_LINES : GL_TRIANGLES);
    for (int i = 0; i < 256; i++) {
        for (int j = 0; j < 256; j++) {
            meshVertex(i, j);
            meshVertex(i + 1, j + 1);
            meshVertex(i, j + 1);
            meshVertex(i, j);
            meshVertex(i + 1, j);
            meshVertex(i + 1, j + 1);
        }
    }
    glEnd();
}
