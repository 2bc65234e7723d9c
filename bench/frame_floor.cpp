#include "bench/frame_floor.h"

#include <algorithm>

#include "app/camera.h"
#include "app/state.h"
#include "trees/billboard.h"

// Per vertex r, g, b, x, y, z, in the frame's order.
static std::vector<float> mesh;

View views[2] = {{{eyeX, eyeY, eyeZ}, {lookX, lookY, lookZ}, {}, {}, {}, 0},  // the start view
                 // high over the south edge, looking north and down across the land
                 {{128.0f, 70.0f, 280.0f}, {0.0f, -0.35f, -1.0f}, {}, {}, {}, 0}};

void applyView(const View &v)
{
    eyeX = v.eye[0], eyeY = v.eye[1], eyeZ = v.eye[2];
    lookX = v.look[0], lookY = v.look[1], lookZ = v.look[2];
}

static void addVertex(int a, int b)
{
    const float *c = finalTerrainTexture[a][b];
    mesh.insert(mesh.end(), {c[0], c[1], c[2], (float)a, terrain[a][b] * 0.1f, (float)b});
}

// What the frame of a view sends, gathered once from the program's own state.
static void prepare(View &v)
{
    applyView(v);
    glLoadIdentity();
    lookFromEye();
    glGetFloatv(GL_MODELVIEW_MATRIX, v.matrix);
    GLdouble model[16], projection[16];
    GLfloat projectionf[16];
    GLint viewport[4];
    std::copy(v.matrix, v.matrix + 16, model);
    // As floats: the GL keeps them so, and the browser's GL has no glGetDoublev.
    glGetFloatv(GL_PROJECTION_MATRIX, projectionf);
    std::copy(projectionf, projectionf + 16, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);

    v.cellSprite.assign(256 * 256, -1);
    for (int i = 0; i < 256; i++) {
        for (int j = 0; j < 256; j++) {
            int kind = (int)treeMap[i][j] - 1;
            if (kind < 0 || !glIsTexture(texName[kind]))
                continue;
            Sprite s = {texName[kind], {(float)i, terrain[i][j] * 0.1f, (float)j}, kind == 0 ? 3.0f : 1.5f, {}};
            glPushMatrix();
            glLoadIdentity();
            billboardCylindricalBegin(v.eye, s.base);
            glGetFloatv(GL_MODELVIEW_MATRIX, s.turn);
            glPopMatrix();
            v.cellSprite[(size_t)(i * 256 + j)] = (int)v.sprites.size();
            v.sprites.push_back(s);
            GLdouble x, y, z;
            gluProject(s.base[0], s.base[1], s.base[2], model, projection, viewport, &x, &y, &z);
            v.inView += x >= 0 && x < viewport[2] && y >= 0 && y < viewport[3] && z > 0 && z < 1;
        }
    }
}

// The same GL calls as the program's frame, from ready arrays: the mesh in
// immediate mode, a matrix push and pop per cell, and each tree's quad.
void floorFrame(const View &v)
{
    glLoadMatrixf(v.matrix);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBegin(GL_TRIANGLES);
    for (size_t k = 0; k < mesh.size(); k += 6) {
        glColor3f(mesh[k], mesh[k + 1], mesh[k + 2]);
        glVertex3f(mesh[k + 3], mesh[k + 4], mesh[k + 5]);
    }
    glEnd();
    glColor3f(0.5, 0.5, 0.5);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0);
    for (int cell : v.cellSprite) {
        glPushMatrix();
        if (cell >= 0) {
            const Sprite &s = v.sprites[(size_t)cell];
            glBindTexture(GL_TEXTURE_2D, s.texture);
            glTranslatef(s.base[0], s.base[1], s.base[2]);
            glMultMatrixf(s.turn);
            glBegin(GL_QUADS);
            glTexCoord2f(0, 0), glVertex3f(-s.halfWidth, 0, 0);
            glTexCoord2f(1, 0), glVertex3f(s.halfWidth, 0, 0);
            glTexCoord2f(1, 1), glVertex3f(s.halfWidth, 6, 0);
            glTexCoord2f(0, 1), glVertex3f(-s.halfWidth, 6, 0);
            glEnd();
        }
        glPopMatrix();
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glutSwapBuffers();
}

void prepareFloor()
{
    mesh.clear();
    mesh.reserve((size_t)256 * 256 * 36);
    for (int i = 0; i < 256; i++) {
        for (int j = 0; j < 256; j++) {
            addVertex(i, j), addVertex(i + 1, j + 1), addVertex(i, j + 1);
            addVertex(i, j), addVertex(i + 1, j), addVertex(i + 1, j + 1);
        }
    }
    for (View &v : views)
        prepare(v);
}
