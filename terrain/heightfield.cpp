#include "terrain/heightfield.h"

#include <cmath>
#include <cstdlib>

#include "app/state.h"

void getHeightField()
{
    // All four corners are drawn before any is stored.
    int c0 = rand() % 256;
    int c1 = rand() % 256;
    int c2 = rand() % 256;
    int c3 = rand() % 256;
    terrain[0][0] = (float)c0;
    terrain[0][256] = (float)c1;
    terrain[256][256] = (float)c2;
    terrain[256][0] = (float)c3;
    recursive(0, 0, 256);
}

void recursive(int x, int y, int width)
{
    if (width <= 1)
        return;
    int h = width / 2;

    // Walk the boundary once; every edge is displaced by the full side.
    // Edges shared with a neighbour are set again when the neighbour is reached.
    terrain[x + h][y] = midpoint(terrain[x][y], terrain[x + width][y], width);
    terrain[x + width][y + h] = midpoint(terrain[x + width][y], terrain[x + width][y + width], width);
    terrain[x + h][y + width] = midpoint(terrain[x + width][y + width], terrain[x][y + width], width);
    terrain[x][y + h] = midpoint(terrain[x][y + width], terrain[x][y], width);

    terrain[x + h][y + h] = (((terrain[x + h][y] + terrain[x + width][y + h]) + terrain[x + h][y + width])
                             + terrain[x][y + h]) / 4;

    recursive(x, y, h);
    recursive(x + h, y, h);
    recursive(x + h, y + h, h);
    recursive(x, y + h, h);
}

float midpoint(float a, float b, int width)
{
    float g, unused;
    Gaussian(g, unused);
    float d = (roughness * g) * (float)width;
    return ((a + b) / 2) + d;
}

// Polar method on a lattice of 1001 values per axis.
void Gaussian(float &y1, float &y2)
{
    float u1, u2, s;
    do {
        u1 = (float)(0.002 * (rand() % 1001) - 1.0);
        u2 = (float)(0.002 * (rand() % 1001) - 1.0);
        s = u1 * u1 + u2 * u2;
    } while (s >= 1.0f || s == 0.0f);  // s = 0 would send log and the division to infinity

    float L = logf(s);
    float f = (float)std::sqrt(-2.0 * (double)L / (double)s);
    y1 = u1 * f;
    y2 = u2 * f;
}
