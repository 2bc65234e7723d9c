#include "trees/sprites.h"

#include "app/platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/state.h"
#include "image/tga.h"
#include "trees/billboard.h"
#include "trees/treefiles.h"

// Whether each tree kind has a texture to draw with.
static bool kindReady[2];

// What the image module's outcome means for a tree image, the one place a
// status becomes words. The header check and the load both end here.
static const char *statusProblem(int status)
{
    switch (status) {
    case tgaStatusOk: return nullptr;
    case tgaStatusOpenFailed: return "cannot be opened";
    case tgaStatusReadError: return "is truncated or unreadable";
    case tgaStatusNoMemory: return "does not fit in memory";
    case tgaStatusColourMapped: return "is colour-mapped, not true colour";
    case tgaStatusUnsupportedType: return "is compressed or of an unsupported type";
    default: return "has an impossible size";
    }
}

static bool isPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

// Whether the space-separated list holds exactly this name.
static bool listed(const char *list, const char *name)
{
    size_t length = strlen(name);
    for (const char *p = list; p && *p;) {
        const char *end = strchr(p, ' ');
        size_t word = end ? (size_t)(end - p) : strlen(p);
        if (word == length && strncmp(p, name, length) == 0)
            return true;
        p = end ? end + 1 : nullptr;
    }
    return false;
}

// OpenGL 2.0 made textures of any size core; before it an extension may offer them.
static bool takesAnyTextureSize()
{
    const char *version = (const char *)glGetString(GL_VERSION);
    if (version && atoi(version) >= 2)
        return true;
    return listed((const char *)glGetString(GL_EXTENSIONS), "GL_ARB_texture_non_power_of_two");
}

// What the header alone says against an image, checked before its pixels
// are read, so that an image the GL will refuse costs neither memory nor time.
static const char *headerProblem(const tgaInfo *image)
{
    if (image->imageType == 1)
        return statusProblem(tgaStatusColourMapped);
    if (image->imageType != 2 && image->imageType != 3)
        return statusProblem(tgaStatusUnsupportedType);
    if (image->imageType != 2 || image->pixelDepth != 32)
        return "is not a 32-bit true-colour image with alpha";
    if (image->width < 0 || image->height < 0)
        return statusProblem(tgaStatusBadSize);
    if (image->width == 0 || image->height == 0)
        return "has no pixels";
    if ((!isPowerOfTwo(image->width) || !isPowerOfTwo(image->height)) && !takesAnyTextureSize())
        return "has a size that is not a power of two, which this GL cannot take";
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (image->width > largest || image->height > largest)
        return "is larger than this GL can hold as a texture";
    return nullptr;
}

// Reads a tree image whose header promises a usable texture. Only a regular
// file is opened: a FIFO would block start-up until a writer came.
static const char *loadTree(const char *filename, tgaInfo **image)
{
    FileKind kind = pathKind(filename);
    if (kind != fileRegular)
        return kind == fileOther ? "is not a regular file" : statusProblem(tgaStatusOpenFailed);
    FILE *file = fopen(filename, "rb");
    if (!file)
        return statusProblem(tgaStatusOpenFailed);
    tgaInfo header = {};
    tgaLoadHeader(file, &header);
    const char *problem = ferror(file) || feof(file) ? statusProblem(tgaStatusReadError) : headerProblem(&header);
    if (!problem) {
        rewind(file);
        *image = tgaLoadStream(file);
        problem = *image ? statusProblem((*image)->status) : statusProblem(tgaStatusNoMemory);
        // The upload trusts only the loaded record, which read the header again.
        if (!problem)
            problem = headerProblem(*image);
    }
    fclose(file);
    return problem;
}

// Rows stored top first are turned over, so the foot of the tree is at t = 0.
static void turnUpright(tgaInfo *image)
{
    size_t row = (size_t)image->width * 4;
    unsigned char *low = image->imageData;
    unsigned char *high = image->imageData + row * (size_t)(image->height - 1);
    for (; low < high; low += row, high -= row)
        for (size_t k = 0; k < row; k++) {
            unsigned char t = low[k];
            low[k] = high[k];
            high[k] = t;
        }
}

static const char *uploadTree(GLuint name, tgaInfo *image)
{
    if (image->imageDescriptor & 0x20)
        turnUpright(image);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // Only an error raised by the upload itself may refuse the image.
    for (int k = 0; k < 8 && glGetError() != GL_NO_ERROR; k++) {
    }
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image->width, image->height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 image->imageData);
    GLenum error = glGetError();
    if (error == GL_NO_ERROR)
        return nullptr;
    return error == GL_OUT_OF_MEMORY ? "does not fit in the GL's memory" : "was refused by the GL";
}

// An image that cannot be used is named on stderr and never drawn; either way
// the texture state ends as set-up leaves it: GL_TEXTURE_2D on, texture 0 bound.
static bool setUpTree(GLuint name, const char *filename)
{
    tgaInfo *image = nullptr;
    const char *problem = loadTree(filename, &image);
    if (!problem)
        problem = uploadTree(name, image);
    if (problem)
        fprintf(stderr, "verdalo: %s %s; its trees are not drawn\n", filename, problem);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    tgaDestroy(image);
    return !problem;
}

void initTextures()
{
    glEnable(GL_DEPTH_TEST);
    glGenTextures(4, texName);
    char path[2][4096];
    kindReady[0] = setUpTree(texName[0], findTreeImage("tree1.tga", path[0], sizeof path[0]));
    kindReady[1] = setUpTree(texName[1], findTreeImage("tree2.tga", path[1], sizeof path[1]));
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
