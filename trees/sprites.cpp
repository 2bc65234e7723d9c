#include "trees/sprites.h"

#include "app/platform.h"

#include <cstdio>

#include "app/state.h"
#include "image/tga.h"
#include "trees/billboard.h"

// Whether each tree kind has a texture to draw with.
static bool kindReady[2];

static const char *loadProblem(const tgaInfo *image)
{
    if (!image)
        return "out of memory";
    switch (image->status) {
    case tgaStatusOk: break;
    case tgaStatusOpenFailed: return "cannot be opened";
    case tgaStatusReadError: return "is truncated or unreadable";
    case tgaStatusNoMemory: return "does not fit in memory";
    case tgaStatusColourMapped: return "is colour-mapped, not true colour";
    case tgaStatusUnsupportedType: return "is compressed or of an unsupported type";
    default: return "has an impossible size";
    }
    if (image->imageType != 2 || image->pixelDepth != 32)
        return "is not a 32-bit true-colour image with alpha";
    return nullptr;
}

static bool isPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

static const char *sizeProblem(const tgaInfo *image)
{
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (!isPowerOfTwo(image->width) || !isPowerOfTwo(image->height))
        return "has a size that is not a power of two";
    if (image->width > largest || image->height > largest)
        return "is larger than this GL can hold as a texture";
    return nullptr;
}

// An image that cannot be used is never uploaded; either way the texture
// state ends as set-up leaves it: GL_TEXTURE_2D on, texture 0 bound.
static bool uploadTree(GLuint name, const char *filename, const tgaInfo *image)
{
    const char *problem = loadProblem(image);
    if (!problem)
        problem = sizeProblem(image);
    if (problem) {
        fprintf(stderr, "verdalo: %s %s; its trees are not drawn\n", filename, problem);
    } else {
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image->width, image->height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     image->imageData);
    }
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    return !problem;
}

void initTextures()
{
    glEnable(GL_DEPTH_TEST);
    glGenTextures(4, texName);

    tgaInfo *first = tgaLoad("tree1.tga");
    tgaInfo *second = tgaLoad("tree2.tga");
    kindReady[0] = uploadTree(texName[0], "tree1.tga", first);
    kindReady[1] = uploadTree(texName[1], "tree2.tga", second);
    tgaDestroy(first);
    tgaDestroy(second);
}

// Corners in drawing order, as (s, t) then (x, y) in the sprite's own plane z = 0.
static void drawSprite(float halfWidth)
{
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex3f(-halfWidth, 0, 0);
    glTexCoord2f(1, 0); glVertex3f(halfWidth, 0, 0);
    glTexCoord2f(1, 1); glVertex3f(halfWidth, 6, 0);
    glTexCoord2f(0, 1); glVertex3f(-halfWidth, 6, 0);
    glEnd();
}

static void drawTree(int kind, int i, int j, const float cam[3])
{
    glBindTexture(GL_TEXTURE_2D, texName[kind]);
    float base[3] = {(float)i, terrain[i][j] * 0.1f, (float)j};
    glTranslatef(base[0], base[1], base[2]);
    if (billboard)
        billboardCylindricalBegin(cam, base);
    drawSprite(kind == 0 ? 3.0f : 1.5f);
}

void renderTrees(const float cam[3])
{
    // Texels enter at half their colour; alpha 0 is cut out, writing no depth.
    glColor3f(0.5, 0.5, 0.5);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0);

    for (int i = 0; i < 256; i++) {
        for (int j = 0; j < 256; j++) {
            glPushMatrix();
            float v = treeMap[i][j];
            if (v == 1 && kindReady[0])
                drawTree(0, i, j, cam);
            else if (v == 2 && kindReady[1])
                drawTree(1, i, j, cam);
            glPopMatrix();
        }
    }

    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
}
