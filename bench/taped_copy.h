// Put in front of copies of the program's frame sources by the bench's CMake.
// Each GL call the frame makes goes through the tape (bench/tape.cpp) on its
// way to the GL, and the copies' functions take a prefix so that they stand
// beside the program's own. A name left out here fails the bench's link as a
// second definition; a frame call left out is drawn but not played back, and
// the bench's picture check refuses that floor.
#pragma once

#include "app/platform.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void tapeBegin(GLenum mode);
void tapeEnd();
void tapeColor3f(GLfloat r, GLfloat g, GLfloat b);
void tapeVertex3f(GLfloat x, GLfloat y, GLfloat z);
void tapeTexCoord2f(GLfloat s, GLfloat t);
void tapeTranslatef(GLfloat x, GLfloat y, GLfloat z);
void tapeRotatef(GLfloat degrees, GLfloat x, GLfloat y, GLfloat z);
void tapePushMatrix();
void tapePopMatrix();
void tapeLoadIdentity();
void tapeLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,
                GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ);
void tapeClear(GLbitfield mask);
void tapeEnable(GLenum cap);
void tapeDisable(GLenum cap);
void tapeBlendFunc(GLenum source, GLenum destination);
void tapeAlphaFunc(GLenum function, GLclampf reference);
void tapeBindTexture(GLenum target, GLuint texture);
void tapeSwapBuffers();

#define glBegin tapeBegin
#define glEnd tapeEnd
#define glColor3f tapeColor3f
#define glVertex3f tapeVertex3f
#define glTexCoord2f tapeTexCoord2f
#define glTranslatef tapeTranslatef
#define glRotatef tapeRotatef
#define glPushMatrix tapePushMatrix
#define glPopMatrix tapePopMatrix
#define glLoadIdentity tapeLoadIdentity
#define gluLookAt tapeLookAt
#define glClear tapeClear
#define glEnable tapeEnable
#define glDisable tapeDisable
#define glBlendFunc tapeBlendFunc
#define glAlphaFunc tapeAlphaFunc
#define glBindTexture tapeBindTexture
#define glutSwapBuffers tapeSwapBuffers

#define display tapedDisplay
#define renderTerrain tapedRenderTerrain
#define walk tapedWalk
#define fly tapedFly
#define pitch tapedPitch
#define yaw tapedYaw
#define lookFromEye tapedLookFromEye
#define normalize tapedNormalize
#define billboardCylindricalBegin tapedBillboardCylindricalBegin
#define initTextures tapedInitTextures
#define renderTrees tapedRenderTrees
