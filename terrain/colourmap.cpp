#include "terrain/colourmap.h"

#include <cstdlib>

#include "app/state.h"

enum HeightClass { water, land, snow };

static inline HeightClass heightClass(int i, int j)
{
    float h = terrain[i][j];
    if (h < 10)
        return water;
    if (h < 255)
        return land;
    return snow;
}

// A point carries noise only in the channels of its own class.
static inline void setLattice(ColourLayer &z, int i, int j, float v)
{
    float *out = z[i][j];
    switch (heightClass(i, j)) {
    case water: out[0] = 0; out[1] = 0; out[2] = v; break;
    case land: out[0] = 0; out[1] = v; out[2] = 0; break;
    case snow: out[0] = out[1] = out[2] = (float)(0.5 + (double)v); break;
    }
}

// Neighbours are taken as stored, zeros of their own class included; only the
// channels the point's class keeps are worked out.
static inline void averageTwo(ColourLayer &z, int i, int j, const float *a, const float *b)
{
    float *out = z[i][j];
    switch (heightClass(i, j)) {
    case water: out[0] = 0; out[1] = 0; out[2] = (a[2] + b[2]) / 2.0f; break;
    case land: out[0] = 0; out[1] = (a[1] + b[1]) / 2.0f; out[2] = 0; break;
    case snow:
        for (int c = 0; c < 3; c++)
            out[c] = (a[c] + b[c]) / 2.0f;
        break;
    }
}

static inline void averageFour(ColourLayer &z, int i, int j, const float *a, const float *b, const float *c,
                               const float *d)
{
    float *out = z[i][j];
    switch (heightClass(i, j)) {
    case water: out[0] = 0; out[1] = 0; out[2] = (((a[2] + b[2]) + c[2]) + d[2]) / 4.0f; break;
    case land: out[0] = 0; out[1] = (((a[1] + b[1]) + c[1]) + d[1]) / 4.0f; out[2] = 0; break;
    case snow:
        for (int k = 0; k < 3; k++)
            out[k] = (((a[k] + b[k]) + c[k]) + d[k]) / 4.0f;
        break;
    }
}

void noise(int lod, ColourLayer &z)
{
    // One draw per lattice point, whatever its class.
    for (int i = 0; i < 257; i += lod)
        for (int j = 0; j < 257; j += lod)
            setLattice(z, i, j, (float)(rand() % 256) / 255.0f);

    if (lod > 1)
        noiseHelper(lod, z);
    if (lod > 2)
        noiseHelper(lod / 2, z);
    if (lod > 4)
        noiseHelper(lod / 4, z);
    if (lod > 8)
        noiseHelper(lod / 8, z);
}

void noiseHelper(int lod, ColourLayer &z)
{
    int h = lod / 2;
    for (int i = h; i < 257; i += lod)
        for (int j = 0; j < 257; j += lod)
            averageTwo(z, i, j, z[i - h][j], z[i + h][j]);
    for (int i = 0; i < 257; i += lod)
        for (int j = h; j < 257; j += lod)
            averageTwo(z, i, j, z[i][j - h], z[i][j + h]);
    for (int i = h; i < 257; i += lod)
        for (int j = h; j < 257; j += lod)
            averageFour(z, i, j, z[i][j + h], z[i + h][j], z[i][j - h], z[i - h][j]);
}

void turbulence()
{
    noise(1, terrainTexture1);
    noise(2, terrainTexture2);
    noise(4, terrainTexture4);
    noise(8, terrainTexture8);
    noise(16, terrainTexture16);

    // Every channel of every point is blended alike, coarsest layer first; one
    // flat pass over the grids lets the compiler do several at a time.
    const float *t16 = &terrainTexture16[0][0][0], *t8 = &terrainTexture8[0][0][0];
    const float *t4 = &terrainTexture4[0][0][0], *t2 = &terrainTexture2[0][0][0], *t1 = &terrainTexture1[0][0][0];
    float *out = &finalTerrainTexture[0][0][0];
    for (int k = 0; k < 257 * 257 * 3; k++)
        out[k] = t16[k] / 2.0f + t8[k] / 4.0f + t4[k] / 8.0f + t2[k] / 16.0f + t1[k] / 32.0f;
}
