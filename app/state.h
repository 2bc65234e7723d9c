// The whole state of the running fly-through: world grids, camera, projection,
// held keys and flags. Every module reads and writes these directly.
#pragma once

#include "app/platform.h"

// World grids, [i][j] with i along world x and j along world z.
extern float terrain[257][257];
extern float terrainTexture1[257][257][3];
extern float terrainTexture2[257][257][3];
extern float terrainTexture4[257][257][3];
extern float terrainTexture8[257][257][3];
extern float terrainTexture16[257][257][3];
extern float finalTerrainTexture[257][257][3];
extern float treeMap[256][256];
extern GLuint texName[4];

// Camera: eye position, view direction (not unit length), constant up vector.
extern float eyeX, eyeY, eyeZ;
extern float lookX, lookY, lookZ;
extern float upX, upY, upZ;
extern float angle;      // heading in radians, 0 looks along -z
extern int cameraType;   // 0 level mode, 1 free mode

// Projection and window.
extern float fovy, aspect, zNear, zFar;
extern int width, height;

// Held-key steps, applied once at the head of every frame.
extern int walkDelta, pitchDelta, flyDelta;
extern float yawDelta;

extern float roughness;
extern int treeCount;
extern bool wireframe;
extern bool billboard;
