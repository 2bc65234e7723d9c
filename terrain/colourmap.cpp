#include "terrain/colourmap.h"

#include <cstdlib>

#include "app/state.h"

enum HeightClass { water, land, snow };

static HeightClass heightClass(int i, int j)
{
    float h = terrain[i][j];
    if (h < 10)
        return water;
    if (h < 255)
        return land;
    return snow;
}

// Writes one point from its own class; red, green, blue each carry value v
// only where the class lets that channel through.
static void setPoint(ColourLayer &z, int i, int j, float r, float g, float b)
{
    switch (heightClass(i, j)) {
    case water:
        z[i][j][0] = 0; z[i][j][1] = 0; z[i][j][2] = b;
        break;
    case land:
        z[i][j][0] = 0; z[i][j][1] = g; z[i][j][2] = 0;
        break;
    case snow:
        z[i][j][0] = r; z[i][j][1] = g; z[i][j][2] = b;
        break;
    }
}

void noise(int lod, ColourLayer &z)
{
    for (int i = 0; i < 257; i += lod) {
        for (int j = 0; j < 257; j += lod) {
            // One draw per lattice point, whatever its class.
            float v = (float)(rand() % 256) / 255.0f;
            float white = (float)(0.5 + (double)v);
            if (heightClass(i, j) == snow)
                setPoint(z, i, j, white, white, white);
            else
                setPoint(z, i, j, v, v, v);
        }
    }
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
    // Neighbours are taken as stored, zeros of their own class included.
    for (int i = h; i < 257; i += lod)
        for (int j = 0; j < 257; j += lod)
            setPoint(z, i, j,
                     (z[i - h][j][0] + z[i + h][j][0]) / 2.0f,
                     (z[i - h][j][1] + z[i + h][j][1]) / 2.0f,
                     (z[i - h][j][2] + z[i + h][j][2]) / 2.0f);
    for (int i = 0; i < 257; i += lod)
        for (int j = h; j < 257; j += lod)
            setPoint(z, i, j,
                     (z[i][j - h][0] + z[i][j + h][0]) / 2.0f,
                     (z[i][j - h][1] + z[i][j + h][1]) / 2.0f,
                     (z[i][j - h][2] + z[i][j + h][2]) / 2.0f);
    for (int i = h; i < 257; i += lod)
        for (int j = h; j < 257; j += lod)
            setPoint(z, i, j,
                     (((z[i][j + h][0] + z[i + h][j][0]) + z[i][j - h][0]) + z[i - h][j][0]) / 4.0f,
                     (((z[i][j + h][1] + z[i + h][j][1]) + z[i][j - h][1]) + z[i - h][j][1]) / 4.0f,
                     (((z[i][j + h][2] + z[i + h][j][2]) + z[i][j - h][2]) + z[i - h][j][2]) / 4.0f);
}

void turbulence()
{
    noise(1, terrainTexture1);
    noise(2, terrainTexture2);
    noise(4, terrainTexture4);
    noise(8, terrainTexture8);
    noise(16, terrainTexture16);

    for (int i = 0; i < 257; i++)
        for (int j = 0; j < 257; j++)
            for (int c = 0; c < 3; c++)
                finalTerrainTexture[i][j][c] = terrainTexture16[i][j][c] / 2.0f + terrainTexture8[i][j][c] / 4.0f
                                               + terrainTexture4[i][j][c] / 8.0f + terrainTexture2[i][j][c] / 16.0f
                                               + terrainTexture1[i][j][c] / 32.0f;
}
