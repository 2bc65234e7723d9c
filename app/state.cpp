#include "app/state.h"

float terrain[257][257];
float terrainTexture1[257][257][3];
float terrainTexture2[257][257][3];
float terrainTexture4[257][257][3];
float terrainTexture8[257][257][3];
float terrainTexture16[257][257][3];
float finalTerrainTexture[257][257][3];
float treeMap[256][256];
GLuint texName[4];

float eyeX = -10.0f, eyeY = 85.0f, eyeZ = 266.0f;
float lookX = 0.0f, lookY = 0.0f, lookZ = -1.0f;
float upX = 0.0f, upY = 1.0f, upZ = 0.0f;
float angle = 0.0f;
int cameraType = 1;

float fovy = 45.0f, aspect = 0.0f, zNear = 1.0f, zFar = 1000.0f;
int width = 1000, height = 500;

int walkDelta = 0, pitchDelta = 0, flyDelta = 0;
float yawDelta = 0.0f;

float roughness = 0.9f;
int treeCount = 0;
bool wireframe = false;
bool billboard = true;
