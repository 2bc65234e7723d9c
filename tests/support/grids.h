// What the terrain, tree and input tests do to the world grids: fill them
// with one value, count the trees of the tree map, and see a float's bits.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "app/state.h"

// Every value of a grid of floats (heights, a colour layer, the tree map).
template <class Grid> void fillGrid(Grid &grid, float value)
{
    float *p = (float *)&grid;
    std::fill(p, p + sizeof grid / sizeof(float), value);
}

inline void fillTerrain(float h) { fillGrid(terrain, h); }
inline void fillTreeMap(float v) { fillGrid(treeMap, v); }

// Cells of the tree map that hold a tree of either kind.
inline int treesInMap()
{
    int n = 0;
    for (auto &row : treeMap)
        for (float c : row)
            n += c == 1 || c == 2;
    return n;
}

inline uint32_t bits(float f)
{
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}
