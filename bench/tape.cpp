#include "bench/tape.h"

#include <initializer_list>

void tapedDisplay();

enum Call : unsigned char {
    callBegin, callEnd, callColor3f, callVertex3f, callTexCoord2f, callTranslatef, callRotatef,
    callPushMatrix, callPopMatrix, callLoadIdentity, callLookAt, callClear, callEnable, callDisable,
    callBlendFunc, callAlphaFunc, callBindTexture, callSwap
};

static Tape *recording;
static std::vector<unsigned char> *recordingPicture;

static TapeWord f(GLfloat v)
{
    TapeWord w;
    w.f = v;
    return w;
}

static TapeWord u(GLuint v)
{
    TapeWord w;
    w.u = v;
    return w;
}

static void note(Call call, std::initializer_list<TapeWord> words)
{
    if (!recording)
        return;
    recording->calls.push_back(call);
    recording->words.insert(recording->words.end(), words);
}

static void readPicture(std::vector<unsigned char> &picture)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    picture.assign((size_t)viewport[2] * (size_t)viewport[3] * 4, 0);
    glReadPixels(viewport[0], viewport[1], viewport[2], viewport[3], GL_RGBA, GL_UNSIGNED_BYTE, picture.data());
}

// Where the quad's own origin, the foot of a sprite, falls on the screen.
static bool footInView()
{
    GLfloat modelf[16], projectionf[16];
    GLdouble model[16], projection[16];
    GLint viewport[4];
    // As floats: the GL keeps them so, and the browser's GL has no glGetDoublev.
    glGetFloatv(GL_MODELVIEW_MATRIX, modelf);
    glGetFloatv(GL_PROJECTION_MATRIX, projectionf);
    glGetIntegerv(GL_VIEWPORT, viewport);
    for (int k = 0; k < 16; k++)
        model[k] = modelf[k], projection[k] = projectionf[k];
    GLdouble x, y, z;
    return gluProject(0, 0, 0, model, projection, viewport, &x, &y, &z) && x >= viewport[0] &&
           x < viewport[0] + viewport[2] && y >= viewport[1] && y < viewport[1] + viewport[3] && z > 0 && z < 1;
}

void tapeBegin(GLenum mode)
{
    if (recording && mode == GL_QUADS)
        recording->spritesInView += footInView();
    note(callBegin, {u(mode)});
    glBegin(mode);
}

void tapeEnd() { note(callEnd, {}), glEnd(); }
void tapeColor3f(GLfloat r, GLfloat g, GLfloat b) { note(callColor3f, {f(r), f(g), f(b)}), glColor3f(r, g, b); }
void tapeVertex3f(GLfloat x, GLfloat y, GLfloat z) { note(callVertex3f, {f(x), f(y), f(z)}), glVertex3f(x, y, z); }
void tapeTexCoord2f(GLfloat s, GLfloat t) { note(callTexCoord2f, {f(s), f(t)}), glTexCoord2f(s, t); }
void tapeTranslatef(GLfloat x, GLfloat y, GLfloat z) { note(callTranslatef, {f(x), f(y), f(z)}), glTranslatef(x, y, z); }
void tapeRotatef(GLfloat degrees, GLfloat x, GLfloat y, GLfloat z)
{
    note(callRotatef, {f(degrees), f(x), f(y), f(z)});
    glRotatef(degrees, x, y, z);
}
void tapePushMatrix() { note(callPushMatrix, {}), glPushMatrix(); }
void tapePopMatrix() { note(callPopMatrix, {}), glPopMatrix(); }
void tapeLoadIdentity() { note(callLoadIdentity, {}), glLoadIdentity(); }
void tapeLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,
                GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ)
{
    note(callLookAt, {});
    if (recording)
        recording->doubles.insert(recording->doubles.end(),
                                  {eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ});
    gluLookAt(eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ);
}
void tapeClear(GLbitfield mask) { note(callClear, {u(mask)}), glClear(mask); }
void tapeEnable(GLenum cap) { note(callEnable, {u(cap)}), glEnable(cap); }
void tapeDisable(GLenum cap) { note(callDisable, {u(cap)}), glDisable(cap); }
void tapeBlendFunc(GLenum source, GLenum destination)
{
    note(callBlendFunc, {u(source), u(destination)});
    glBlendFunc(source, destination);
}
void tapeAlphaFunc(GLenum function, GLclampf reference)
{
    note(callAlphaFunc, {u(function), f(reference)});
    glAlphaFunc(function, reference);
}
void tapeBindTexture(GLenum target, GLuint texture)
{
    note(callBindTexture, {u(target), u(texture)});
    glBindTexture(target, texture);
}

void tapeSwapBuffers()
{
    note(callSwap, {});
    if (recording) {
        recording->swapped = true;
        if (recordingPicture)
            readPicture(*recordingPicture);
    }
    glutSwapBuffers();
}

void recordFrame(Tape &tape, std::vector<unsigned char> *picture)
{
    tape = Tape();
    recording = &tape;
    recordingPicture = picture;
    tapedDisplay();
    recording = nullptr;
    recordingPicture = nullptr;
}

void playTape(const Tape &tape, std::vector<unsigned char> *picture)
{
    const TapeWord *w = tape.words.data();
    const GLdouble *d = tape.doubles.data();
    for (unsigned char call : tape.calls) {
        switch (call) {
        case callBegin: glBegin(w[0].u), w += 1; break;
        case callEnd: glEnd(); break;
        case callColor3f: glColor3f(w[0].f, w[1].f, w[2].f), w += 3; break;
        case callVertex3f: glVertex3f(w[0].f, w[1].f, w[2].f), w += 3; break;
        case callTexCoord2f: glTexCoord2f(w[0].f, w[1].f), w += 2; break;
        case callTranslatef: glTranslatef(w[0].f, w[1].f, w[2].f), w += 3; break;
        case callRotatef: glRotatef(w[0].f, w[1].f, w[2].f, w[3].f), w += 4; break;
        case callPushMatrix: glPushMatrix(); break;
        case callPopMatrix: glPopMatrix(); break;
        case callLoadIdentity: glLoadIdentity(); break;
        case callLookAt: gluLookAt(d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7], d[8]), d += 9; break;
        case callClear: glClear(w[0].u), w += 1; break;
        case callEnable: glEnable(w[0].u), w += 1; break;
        case callDisable: glDisable(w[0].u), w += 1; break;
        case callBlendFunc: glBlendFunc(w[0].u, w[1].u), w += 2; break;
        case callAlphaFunc: glAlphaFunc(w[0].u, w[1].f), w += 2; break;
        case callBindTexture: glBindTexture(w[0].u, w[1].u), w += 2; break;
        case callSwap:
            if (picture)
                readPicture(*picture);
            glutSwapBuffers();
            break;
        }
    }
}
