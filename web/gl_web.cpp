// Where the browser's GL emulation parts from desktop GL, the web build
// brings the desktop behaviour itself. Linked into the web program only: a
// definition here takes the place of the JavaScript library's.
#include "app/platform.h"

#include <cmath>

#include <emscripten.h>

extern "C" {

// The emulation's own functions, under the names it also answers to.
void emscripten_glBindTexture(GLenum target, GLuint texture);
void emscripten_glGenTextures(GLsizei n, GLuint *textures);
void emscripten_glTexParameteri(GLenum target, GLenum name, GLint value);
void emscripten_glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                             GLint border, GLenum format, GLenum type, const void *pixels);

// The emulation's own gluPerspective and gluLookAt replace the current matrix
// where GLU multiplies it, and its gluLookAt leaves the matrix untouched.
// These build GLU's matrices and multiply them on, as GLU does.
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    double radians = fovy / 2 * M_PI / 180;
    double deltaZ = zFar - zNear;
    double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0)
        return;
    double cotangent = std::cos(radians) / sine;
    GLfloat m[16] = {};
    m[0] = (GLfloat)(cotangent / aspect);
    m[5] = (GLfloat)cotangent;
    m[10] = (GLfloat)(-(zFar + zNear) / deltaZ);
    m[11] = -1;
    m[14] = (GLfloat)(-2 * zNear * zFar / deltaZ);
    glMultMatrixf(m);
}

static void normalize(float v[3])
{
    float r = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (r == 0)
        return;
    v[0] /= r;
    v[1] /= r;
    v[2] /= r;
}

static void cross(const float a[3], const float b[3], float out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,
               GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ)
{
    float forward[3] = {(float)(centerX - eyeX), (float)(centerY - eyeY), (float)(centerZ - eyeZ)};
    float up[3] = {(float)upX, (float)upY, (float)upZ};
    float side[3], trueUp[3];
    normalize(forward);
    cross(forward, up, side);
    normalize(side);
    cross(side, forward, trueUp);
    GLfloat m[16] = {side[0], trueUp[0], -forward[0], 0, side[1], trueUp[1], -forward[1], 0,
                     side[2], trueUp[2], -forward[2], 0, 0, 0, 0, 1};
    glMultMatrixf(m);
    glTranslatef((GLfloat)-eyeX, (GLfloat)-eyeY, (GLfloat)-eyeZ);
}

// Desktop GL draws untextured while texture 0 is bound; WebGL samples black
// from it. A white texel under the default modulation leaves the vertex
// colours as they are, so "no texture" is bound as that.
void glBindTexture(GLenum target, GLuint texture)
{
    static GLuint white = 0;
    if (texture == 0 && target == GL_TEXTURE_2D) {
        if (white == 0) {
            const unsigned char texel[4] = {255, 255, 255, 255};
            emscripten_glGenTextures(1, &white);
            emscripten_glBindTexture(GL_TEXTURE_2D, white);
            emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            emscripten_glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
        }
        texture = white;
    }
    emscripten_glBindTexture(target, texture);
}

// The emulation streams each glBegin/glEnd through temporary vertex buffers
// that it recycles only when told a new frame has begun; GLUT's swap is empty
// there, so the swap tells it. The page counts the swaps to know a frame is drawn.
void glutSwapBuffers()
{
    EM_ASM({
        GL.newRenderingFrameStarted();
        if (Module['onSwap'])
            Module['onSwap']();
    });
}
}
